#pragma once

#include "buttonglyph.h"
#include "buttonplacement.h"
#include "imagelist.h"

#include <QPushButton>

#include <initializer_list>

class QHBoxLayout;

namespace platform {
struct Services;
}

enum TILBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
// Kept for the button's description only: drawing follows the widget style.
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };

// What setting a kind gives a button (bkCustom gives nothing).
struct TILBitBtnKindValues {
    const char* caption;
    int modalResult;
    bool isDefault;
    bool isCancel;
};
const TILBitBtnKindValues& KindValues(TILBitBtnKind kind);

// The help context number of a control (0: none), which help buttons look up from themselves
// through their parents.
void SetHelpContext(QWidget* control, int context);
int HelpContext(const QWidget* control);

// A push button drawn with the style's bevel and our own glyph and caption placement, with a
// kind that gives it a caption, a modal result and the default and cancel flags.
//
// Connect handlers to OnClick, not to clicked: OnClick is the ordinary click, which a button
// of the Close kind (closes its window) or of the Help kind (shows the nearest help context)
// does not run. After OnClick a nonzero ModalResult ends the dialog holding the button with it.
// Escape in a platform::ModalDialog clicks the button whose Cancel flag is set.
class TILBitBtn : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
public:
    explicit TILBitBtn(QWidget* parent = nullptr);

    // Reads back as bkCustom (for good) once the default flag, the cancel flag or the modal
    // result no longer match the kind, or the glyph was set by hand.
    TILBitBtnKind Kind() const;
    virtual void SetKind(TILBitBtnKind kind);

    const QImage& Glyph() const { return glyph_.Glyph(); }
    void SetGlyph(const QImage& glyph);  // set by hand
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return margin_; }
    void SetMargin(int margin);  // -1 centres; below -1 is ignored
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int count);  // clamped to 1..4
    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle style) { style_ = style; }
    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing);

    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    // The default flag as given (focus moves in a dialog change only the shown default).
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool cancel) { cancel_ = cancel; }

    // Where help buttons show help (and warn when it cannot be shown); with a context, it is
    // set on the button itself. The services must outlive the button.
    void SetHelp(const platform::Services& services, int context = 0);

    virtual void Click();

    // Glyph and caption in the client rectangle, as the button draws them.
    GlyphCaptionPlacement Placement(const QRect& client) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    // A glyph that comes from elsewhere (an image list): the kind stays.
    void SetProvidedGlyph(const QImage& glyph);

private:
    int captionFlags() const;
    QSize captionSize(int width) const;
    void glyphChanged();

    TButtonGlyph glyph_;
    mutable TILBitBtnKind kind_ = bkCustom;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    TButtonStyle style_ = bsAutoDetect;
    int modalResult_ = 0;
    bool default_ = false;
    bool cancel_ = false;
    bool glyphModified_ = false;
    const platform::Services* helpServices_ = nullptr;
};

// A bitmap button whose glyph is a picture of a shared image list: the picture and its
// embossed form for the disabled state, as a two-frame strip.
//
// Windows make their buttons in one call each:
//     btnOptions = TLmILBitBtn::Make(this, images, "btnOptions", "Options..", "Set Turnfold ", 21);
//     BitBtn2 = TLmILBitBtn::Make(this, images, "BitBtn2", bkCancel);
//     BitBtn3 = TLmILBitBtn::Make(this, images, "BitBtn3", bkHelp);
//     BitBtn3->SetHelp(services, 26);
// and connect their handlers to OnClick.
class TLmILBitBtn : public TILBitBtn {
    Q_OBJECT
public:
    explicit TLmILBitBtn(QWidget* parent = nullptr);

    // Name, caption, hint and image index in one call.
    static TLmILBitBtn* Make(QWidget* parent, const TImageList& images, const QString& name, const QString& caption,
                             const QString& hint, int imageIndex);
    // A button of a kind: its caption, modal result and flags, and the kind's picture.
    static TLmILBitBtn* Make(QWidget* parent, const TImageList& images, const QString& name, TILBitBtnKind kind,
                             const QString& hint = {});

    // The list must outlive the button.
    const TImageList* Images() const { return images_; }
    void SetImages(const TImageList* images);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    // Without an image index, a kind also takes its own picture (bkOK 0, bkCancel 1, ...).
    void SetKind(TILBitBtnKind kind) override;

private:
    void rebuildGlyph();

    const TImageList* images_ = nullptr;
    int imageIndex_ = -1;
};

// A right-aligned row of buttons for the foot of a dialog.
QHBoxLayout* rightAlignedRow(std::initializer_list<QPushButton*> buttons);
