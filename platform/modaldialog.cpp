#include "modaldialog.h"

#include <QAbstractButton>

namespace platform {

ModalDialog::ModalDialog(QWidget* parent)
    : QDialog(parent)
{
    setResult(mrNone);
}

void ModalDialog::bindResult(QAbstractButton* button, int result)
{
    connect(button, &QAbstractButton::clicked, this, [this, result] { setModalResult(result); });
}

int DialogRunner::showModal(QDialog& dialog)
{
    dialog.setResult(mrNone);
    return dialog.exec();
}

} // namespace platform
