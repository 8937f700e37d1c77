#include "bitbtn.h"

#include "platform/services.h"
#include "platform/shell.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <array>

namespace {

constexpr std::array<TILBitBtnKindValues, 11> kinds{{
    {"", 0, false, false},         // bkCustom
    {"OK", 1, true, false},        // bkOK
    {"Cancel", 2, false, true},    // bkCancel
    {"Help", 0, false, false},     // bkHelp
    {"Yes", 6, true, false},       // bkYes
    {"No", 7, false, true},        // bkNo
    {"Close", 0, false, false},    // bkClose
    {"Abort", 3, false, false},    // bkAbort
    {"Retry", 4, false, false},    // bkRetry
    {"Ignore", 5, false, false},   // bkIgnore
    {"All", 8, false, false},      // bkAll
}};

const char* const helpContextProperty = "HelpContext";

// The picture's embossed form goes into the strip in white and mid grey; drawing the disabled
// state turns them into the palette's highlight and shadow.
const QColor stripHighlight(0xFF, 0xFF, 0xFF);
const QColor stripShadow(0x80, 0x80, 0x80);

bool horizontal(TButtonLayout layout)
{
    return layout == blGlyphLeft || layout == blGlyphRight;
}

} // namespace

const TILBitBtnKindValues& KindValues(TILBitBtnKind kind)
{
    return kinds.at(static_cast<std::size_t>(kind));
}

void SetHelpContext(QWidget* control, int context)
{
    control->setProperty(helpContextProperty, context);
}

int HelpContext(const QWidget* control)
{
    return control->property(helpContextProperty).toInt();
}

TILBitBtn::TILBitBtn(QWidget* parent)
    : QPushButton(parent)
{
    glyph_.SetNumGlyphs(2);
    connect(this, &QAbstractButton::clicked, this, &TILBitBtn::Click);
}

TILBitBtnKind TILBitBtn::Kind() const
{
    if (kind_ != bkCustom) {
        const TILBitBtnKindValues& values = KindValues(kind_);
        if (default_ != values.isDefault || cancel_ != values.isCancel || modalResult_ != values.modalResult
            || glyphModified_)
            kind_ = bkCustom;
    }
    return kind_;
}

void TILBitBtn::SetKind(TILBitBtnKind kind)
{
    if (kind == Kind())
        return;
    if (kind != bkCustom) {
        const TILBitBtnKindValues& values = KindValues(kind);
        SetDefault(values.isDefault);
        cancel_ = values.isCancel;
        setText(QString::fromLatin1(values.caption));
        modalResult_ = values.modalResult;
        glyph_.SetNumGlyphs(2);
        glyphModified_ = false;
        glyphChanged();
    }
    kind_ = kind;
    update();
}

void TILBitBtn::SetGlyph(const QImage& glyph)
{
    SetProvidedGlyph(glyph);
    glyphModified_ = true;
}

void TILBitBtn::SetProvidedGlyph(const QImage& glyph)
{
    glyph_.SetGlyph(glyph);
    glyphChanged();
}

void TILBitBtn::SetNumGlyphs(int count)
{
    glyph_.SetNumGlyphs(count);
    glyphChanged();
}

void TILBitBtn::glyphChanged()
{
    updateGeometry();
    update();
}

void TILBitBtn::SetLayout(TButtonLayout layout)
{
    if (layout == layout_)
        return;
    layout_ = layout;
    glyphChanged();
}

void TILBitBtn::SetMargin(int margin)
{
    if (margin < -1 || margin == margin_)
        return;
    margin_ = margin;
    update();
}

void TILBitBtn::SetSpacing(int spacing)
{
    if (spacing == spacing_)
        return;
    spacing_ = spacing;
    glyphChanged();
}

void TILBitBtn::SetDefault(bool isDefault)
{
    default_ = isDefault;
    setDefault(isDefault);
}

void TILBitBtn::SetHelp(const platform::Services& services, int context)
{
    helpServices_ = &services;
    if (context != 0)
        SetHelpContext(this, context);
}

void TILBitBtn::Click()
{
    const TILBitBtnKind kind = Kind();
    if (kind == bkClose) {
        if (QWidget* form = window(); form != this) {
            form->close();
            return;
        }
    } else if (kind == bkHelp && helpServices_) {
        for (const QWidget* control = this; control; control = control->parentWidget())
            if (const int context = HelpContext(control)) {
                platform::showHelp(*helpServices_, context);
                return;
            }
    }
    emit OnClick();
    if (modalResult_ == 0)
        return;
    // The handler may have ended the dialog already, or hidden it.
    if (auto* dialog = qobject_cast<QDialog*>(window()); dialog && dialog->isVisible())
        dialog->done(modalResult_);
}

int TILBitBtn::captionFlags() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const bool underline = style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this);
    return Qt::AlignCenter | (underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic);
}

QSize TILBitBtn::captionSize(int width) const
{
    if (text().isEmpty())
        return {};
    // Line breaks in the caption count; long lines are not wrapped.
    return fontMetrics().boundingRect(QRect(0, 0, width, 0), captionFlags(), text()).size();
}

GlyphCaptionPlacement TILBitBtn::Placement(const QRect& client) const
{
    TButtonLayout layout = layout_;
    if (layoutDirection() == Qt::RightToLeft && horizontal(layout))
        layout = layout == blGlyphLeft ? blGlyphRight : blGlyphLeft;
    return placeGlyphAndCaption(client, glyph_.FrameSize(), captionSize(client.width()), layout, margin_, spacing_);
}

QSize TILBitBtn::sizeHint() const
{
    QSize hint = QPushButton::sizeHint();
    const QSize glyph = glyph_.FrameSize();
    if (glyph.isEmpty())
        return hint;
    const int gap = text().isEmpty() ? 0 : std::max(spacing_, 0);
    if (horizontal(layout_))
        return {hint.width() + glyph.width() + gap, std::max(hint.height(), glyph.height() + 8)};
    const int captionHeight = text().isEmpty() ? 0 : fontMetrics().height();
    return {std::max(hint.width(), glyph.width() + 16), glyph.height() + gap + captionHeight + 12};
}

void TILBitBtn::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const bool pressed = isDown() || isChecked();
    QRect client = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (pressed)
        client.translate(1, 1);
    const GlyphCaptionPlacement at = Placement(client);

    const TButtonGlyph::State state = !isEnabled() ? TButtonGlyph::Disabled
                                      : pressed    ? TButtonGlyph::Down
                                                   : TButtonGlyph::Up;
    const QImage picture = glyph_.Picture(state, palette());
    if (!picture.isNull())
        painter.drawImage(at.glyph.topLeft(), picture);

    if (!text().isEmpty()) {
        const int flags = captionFlags();
        if (isEnabled()) {
            painter.setPen(palette().color(QPalette::ButtonText));
            painter.drawText(at.caption, flags, text());
        } else {
            painter.setPen(palette().color(QPalette::Light));
            painter.drawText(at.caption.translated(1, 1), flags, text());
            painter.setPen(palette().color(QPalette::Dark));
            painter.drawText(at.caption, flags, text());
        }
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(4, 4, -4, -4);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

TLmILBitBtn::TLmILBitBtn(QWidget* parent)
    : TILBitBtn(parent)
{
}

TLmILBitBtn* TLmILBitBtn::Make(QWidget* parent, const TImageList& images, const QString& name, const QString& caption,
                               const QString& hint, int imageIndex)
{
    auto* button = new TLmILBitBtn(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->SetImages(&images);
    button->SetImageIndex(imageIndex);
    return button;
}

TLmILBitBtn* TLmILBitBtn::Make(QWidget* parent, const TImageList& images, const QString& name, TILBitBtnKind kind,
                               const QString& hint)
{
    auto* button = new TLmILBitBtn(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->SetImages(&images);
    button->SetKind(kind);
    return button;
}

void TLmILBitBtn::SetImages(const TImageList* images)
{
    images_ = images;
    rebuildGlyph();
}

void TLmILBitBtn::SetImageIndex(int index)
{
    if (index == imageIndex_)
        return;
    imageIndex_ = index;
    rebuildGlyph();
}

void TLmILBitBtn::SetKind(TILBitBtnKind kind)
{
    if (kind == Kind())
        return;
    TILBitBtn::SetKind(kind);
    if (imageIndex_ < 0)
        SetImageIndex(static_cast<int>(kind) - 1);
}

void TLmILBitBtn::rebuildGlyph()
{
    const QImage picture = images_ && imageIndex_ >= 0 ? images_->Picture(imageIndex_) : QImage();
    QImage strip;
    if (!picture.isNull()) {
        strip = QImage(picture.width() * 2, picture.height(), QImage::Format_ARGB32);
        strip.fill(Qt::transparent);
        QPainter painter(&strip);
        painter.drawImage(0, 0, picture);
        painter.drawImage(picture.width(), 0, embossedPicture(picture, stripHighlight, stripShadow));
    }
    SetProvidedGlyph(strip);
    SetNumGlyphs(2);  // whatever the picture's shape
}

QHBoxLayout* rightAlignedRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons)
        row->addWidget(button);
    return row;
}
