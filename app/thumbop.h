#pragma once

#include "appcontext.h"

#include "platform/modaldialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

// Page and thumbnail options of the rotation open in the site editor.
class TdlgThumbOptions : public platform::ModalDialog {
    Q_OBJECT
public:
    TdlgThumbOptions(AppContext& context, QWidget* parent = nullptr);

    QLineEdit* edtpreviousfile;     // previous-page button image
    QLineEdit* edtnextfile;         // next-page button image
    QCheckBox* Chkusecustombuttons;
    QComboBox* cmbimagestyle;       // image-page template, with its recent list

private:
    AppContext& context_;
};
