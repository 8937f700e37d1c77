#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

class TFolderDialog;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class TLmILBitBtn;
class QSpinBox;

// Site Options: the current site's name, folder, first page name and automatic rotation.
class TdlgSIteOptions : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgSIteOptions(AppContext& context, QWidget* parent = nullptr);

    QLineEdit* edtname;
    QLineEdit* edtpath;
    TLmILBitBtn* BitBtn4;           // Browse.. for the site folder
    QComboBox* edtBaseHTMLName;
    QCheckBox* chkTurnfold;
    QLineEdit* edtlivepath;
    TLmILBitBtn* btnBrowseSite;     // Browse.. for the live folder
    QSpinBox* spnrotpos;
    QLabel* lbllivepath;
    QLabel* lblrotpos;
    QLabel* lblrotposnote;
    TLmILBitBtn* BitBtn1;           // OK
    TLmILBitBtn* BitBtn2;           // Cancel
    TLmILBitBtn* BitBtn3;           // Help
    TFolderDialog* dlgFolder;

    void FormShow();
    void chkTurnfoldClick();
    void BitBtn4Click();
    void btnBrowseSiteClick();
    void BitBtn1Click();

    // The first page's name as stored: empty becomes "Index.html", no extension gets ".html".
    static QString completeBaseHTMLName(const QString& typed);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void browseInto(QLineEdit* edit);

    AppContext& context_;
};
