#include "copyfrom.h"

#include "buttonimages.h"
#include "mainform.h"
#include "app/settings/rotationlist.h"
#include "components/bitbtn.h"

#include "platform/hourglass.h"
#include "platform/prompts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

TdlgCopySettings::TdlgCopySettings(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Copy Settings"));
    cmbsites = new QComboBox(this);
    lbxrotation = new QListWidget(this);
    lbxrotation->setMinimumSize(320, 160);
    BitBtn1 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn1", bkOK);
    BitBtn1->SetModalResult(platform::mrNone);  // closed by its handler once a rotation is chosen
    BitBtn2 = TLmILBitBtn::Make(this, imgLmILButtons(), "BitBtn2", bkCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Copy the settings of this site:"), this));
    layout->addWidget(cmbsites);
    layout->addWidget(new QLabel(QStringLiteral("Rotation:"), this));
    layout->addWidget(lbxrotation);
    layout->addLayout(rightAlignedRow({BitBtn1, BitBtn2}));

    connect(cmbsites, &QComboBox::activated, this, &TdlgCopySettings::cmbsitesChange);
    connect(BitBtn1, &TILBitBtn::OnClick, this, &TdlgCopySettings::BitBtn1Click);
}

void TdlgCopySettings::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    FormShow();
}

void TdlgCopySettings::FormShow()
{
    const TfrmMain& main = *context_.frmMain;
    keys_ = main.siteKeys();
    cmbsites->clear();
    cmbsites->addItems(main.lbxsitename);
    cmbsites->setCurrentIndex(main.selectedRow());
    cmbsitesChange();
}

QString TdlgCopySettings::selectedSiteKey() const
{
    const int index = cmbsites->currentIndex();
    return index >= 0 && index < keys_.size() ? keys_[index] : QString();
}

void TdlgCopySettings::cmbsitesChange()
{
    const QString key = selectedSiteKey();
    lbxrotation->clear();
    if (!key.isEmpty()) {
        const platform::Hourglass busy;
        lbxrotation->addItems(rotationListRows(context_.state.ProgramFolder, key, context_.state.options.UseRotations));
    }
    if (lbxrotation->count() > 0)
        lbxrotation->setCurrentRow(0);
    BitBtn1->setEnabled(lbxrotation->count() > 0);
}

void TdlgCopySettings::BitBtn1Click()
{
    if (lbxrotation->currentRow() < 0 || lbxrotation->selectedItems().isEmpty()) {
        context_.services.prompts.information(QStringLiteral("You have not selected a rotation to copy settings from!"));
        return;
    }
    setModalResult(platform::mrOk);
}
