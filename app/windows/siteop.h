#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Site Options: the current site's name, folder, first page name and automatic rotation.
class TdlgSIteOptions : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgSIteOptions(AppContext& context, QWidget* parent = nullptr);

    QLineEdit* edtname;
    QLineEdit* edtpath;
    QPushButton* BitBtn4;           // Browse.. for the site folder
    QComboBox* edtBaseHTMLName;
    QCheckBox* chkTurnfold;
    QLineEdit* edtlivepath;
    QPushButton* btnBrowseSite;     // Browse.. for the live folder
    QSpinBox* spnrotpos;
    QLabel* lbllivepath;
    QLabel* lblrotpos;
    QLabel* lblrotposnote;
    QPushButton* BitBtn1;           // OK
    QPushButton* BitBtn2;           // Cancel
    QPushButton* BitBtn3;           // Help

    void FormShow();
    void chkTurnfoldClick();
    void BitBtn4Click();
    void btnBrowseSiteClick();
    void BitBtn1Click();
    void BitBtn3Click();

    // The first page's name as stored: empty becomes "Index.html", no extension gets ".html".
    static QString completeBaseHTMLName(const QString& typed);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void browseInto(QLineEdit* edit);

    AppContext& context_;
};
