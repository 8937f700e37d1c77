#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

class QCheckBox;
class TLmILBitBtn;
class QRadioButton;
class QSpinBox;

// The program options dialog. It changes the options in memory; the main window writes them
// when the program closes.
class TdlgOptions : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgOptions(AppContext& context, QWidget* parent = nullptr);

    QRadioButton* rgpsinglesite;
    QRadioButton* rgpmultiplerotations;
    QSpinBox* spnDefaultJPEGCompression;
    QCheckBox* chkMaxFilenameLength;
    QSpinBox* spnMaxFilenameLength;
    QCheckBox* Chksavetothumbdir;
    QCheckBox* chkforcelowercase;
    TLmILBitBtn* btnOK;
    TLmILBitBtn* btnCancel;
    TLmILBitBtn* btnHelp;

    void FormShow();
    void chkMaxFilenameLengthClick();
    void btnOKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppContext& context_;
};
