#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

class QComboBox;
class QListWidget;
class TLmILBitBtn;

// Copy Settings: chooses another site's rotation whose page and thumbnail settings the
// editor takes over (not its folder or status).
class TdlgCopySettings : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgCopySettings(AppContext& context, QWidget* parent = nullptr);

    QComboBox* cmbsites;            // display names of the main window's sites
    QListWidget* lbxrotation;       // rotations of the chosen site
    TLmILBitBtn* BitBtn1;           // OK
    TLmILBitBtn* BitBtn2;           // Cancel

    void FormShow();
    void cmbsitesChange();
    void BitBtn1Click();

    // The key of the site chosen in cmbsites; empty when none is.
    QString selectedSiteKey() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppContext& context_;
    QStringList keys_;              // the site keys, row for row with cmbsites
};
