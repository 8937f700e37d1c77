#include "addimage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

TdlgAddImages::TdlgAddImages(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Add Images to Current Rotation"));
    lblrotation = new QLabel(this);
    cmbrotation = new QComboBox(this);
    cmbrotation->setMinimumContentsLength(16);
    auto* layout = new QFormLayout(this);
    layout->addRow(lblrotation, cmbrotation);
}

void TdlgAddImages::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TdlgAddImages::FormShow()
{
    const PictorumState& state = context_.state;
    lblrotation->setText(state.options.UseRotations ? QStringLiteral("Rotation:") : QStringLiteral("Version:"));
    cmbrotation->clear();
    cmbrotation->addItems(state.rotationChoices);
    cmbrotation->setCurrentIndex(state.rotationChoice);
}
