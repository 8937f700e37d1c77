#pragma once

#include "appcontext.h"
#include "app/pages/headerfooterlist.h"

#include "platform/modaldialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class TdlgNewHeaderFooter;
class TLmILBitBtn;

// The list editor: the header or footer entries of one list file, one of which goes on each
// page in turn. Entries are added and changed through the composer it is given.
class TdlgHeaderFooter : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgHeaderFooter(AppContext& context, TdlgNewHeaderFooter& composer, QWidget* parent = nullptr);

    QCheckBox* chkisheader;         // hidden: a header list, else a footer list
    QLabel* lblmessage;
    QGroupBox* GroupBox1;           // "Header List" / "Footer List"
    QListWidget* lbxheaders;
    TLmILBitBtn* btnadd;            // "Add.."
    TLmILBitBtn* btnremove;         // "Remove"
    TLmILBitBtn* btnclearall;       // "Clear All"
    TLmILBitBtn* btnmodify;         // "Modify"
    TLmILBitBtn* bkmkup;            // Tag -1
    TLmILBitBtn* bkmkdown;          // Tag +1
    QGroupBox* GroupBox2;           // "Header List File" / "Footer List File"
    QLineEdit* edtheaderfile;
    TLmILBitBtn* btnloadfromfile;   // "Load.."
    TLmILBitBtn* btnsavetofile;     // "Save as.."
    TLmILBitBtn* BitBtn3;           // OK
    TLmILBitBtn* BitBtn1;           // Cancel
    TLmILBitBtn* BitBtn2;           // Help

    QStringList entries() const;

    void FormShow();
    // fromButton: the open dialog runs first (the button itself was pressed).
    void btnloadfromfileClick(bool fromButton);
    void btnsavetofileClick();
    bool savefile();
    void BitBtn3Click();
    void btnaddClick(QObject* sender);
    void btnmodifyClick();
    void btnremoveClick();
    void btnclearallClick();
    void bkmkupClick(QObject* sender);
    void lbxheadersClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The entries as the list file gets them.
    QList<QByteArray> entryBytes() const;
    // The file the box names; a relative name lies in the program folder.
    QString listFile() const;
    int selectedIndex() const;
    void select(int index);

    AppContext& context_;
    TdlgNewHeaderFooter& composer_;
    ListEncoding encoding_ = ListEncoding::Utf8; // of the list file last loaded
};
