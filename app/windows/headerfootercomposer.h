#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

class EntryLineEdit;
class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;
class TLmILBitBtn;

// The entry composer: one header or footer entry as pure HTML, an image or banner link or a
// text link. OK leaves the entry in edtRawHTML.
class TdlgNewHeaderFooter : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgNewHeaderFooter(AppContext& context, QWidget* parent = nullptr);

    QCheckBox* chkisheader;         // hidden: a header, else a footer
    QLabel* lblmessage;

    QRadioButton* rdbRawHTML;       // "Pure HTML:"
    EntryLineEdit* edtRawHTML;      // at most 1000 characters typed or pasted

    QRadioButton* rdbimagelink;     // "Image/Banner Link:"
    QLabel* lblimageurl;
    EntryLineEdit* edtimageurl;
    QLabel* lblimagelink;
    EntryLineEdit* edtimagelink;
    QLabel* lblalttext;
    EntryLineEdit* edtalttext;
    QLabel* lblborderwidth;
    QSpinBox* spnborderwidth;

    QRadioButton* rdbtextlink;      // "Text Link:"
    QLabel* lbltext;
    EntryLineEdit* edttext;
    QLabel* lbltextlink;
    EntryLineEdit* edttextlink;

    TLmILBitBtn* btnEditHTML;       // "Edit..": the snippet editor on edtRawHTML
    TLmILBitBtn* BitBtn1;           // OK
    TLmILBitBtn* BitBtn2;           // Cancel
    TLmILBitBtn* BitBtn3;           // Help

    void FormShow();
    void rdbtextlinkClick();
    void BitBtn1Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppContext& context_;
};
