#include "thumbop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

TdlgThumbOptions::TdlgThumbOptions(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Settings"));
    edtpreviousfile = new QLineEdit(this);
    edtnextfile = new QLineEdit(this);
    Chkusecustombuttons = new QCheckBox(this);
    cmbimagestyle = new QComboBox(this);
    cmbimagestyle->setEditable(true);
    auto* form = new QFormLayout(this);
    form->addRow(Chkusecustombuttons);
    form->addRow(edtpreviousfile);
    form->addRow(edtnextfile);
    form->addRow(cmbimagestyle);
}
