#include "editsite.h"

#include "copyfrom.h"
#include "style.h"
#include "thumbop.h"
#include "app/settings/rotationlist.h"
#include "app/settings/rotationsection.h"
#include "app/site/fileroutines.h"
#include "app/site/sitestore.h"

#include "platform/hourglass.h"
#include "platform/inifile.h"
#include "platform/prompts.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TdlgEditSite::TdlgEditSite(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Edit Site"));
    grpRotations = new QGroupBox(QStringLiteral("Current Site"), this);
    lblstatus = new QLabel(grpRotations);
    edtrotationdirectory = new QLineEdit(grpRotations);
    auto* rotation = new QVBoxLayout(grpRotations);
    rotation->addWidget(lblstatus);
    rotation->addWidget(edtrotationdirectory);

    cmbstyle = new QComboBox(this);
    cmbstyle->setEditable(true);
    cmbstyle->setInsertPolicy(QComboBox::NoInsert);
    btnThumbnailOptions = new QPushButton(QStringLiteral("Other Layout Settings"), this);
    btnteststyle = new QPushButton(QStringLiteral("Test Compliance"), this);
    btnteststyle->setEnabled(false);
    btnCopyFrom = new QPushButton(QStringLiteral("Copy settings.."), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnteststyle);
    buttons->addWidget(btnThumbnailOptions);
    buttons->addWidget(btnCopyFrom);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpRotations);
    layout->addWidget(cmbstyle);
    layout->addLayout(buttons);

    connect(cmbstyle, &QComboBox::editTextChanged, this,
            [this](const QString& text) { context_.state.rotationSettings.cmbstyle = text; });
    connect(cmbstyle, &QComboBox::editTextChanged, this, &TdlgEditSite::cmbstyleChange);
    connect(btnteststyle, &QPushButton::clicked, this, &TdlgEditSite::btnteststyleClick);
    connect(btnThumbnailOptions, &QPushButton::clicked, this, &TdlgEditSite::btnThumbnailOptionsClick);
    connect(btnCopyFrom, &QPushButton::clicked, this, &TdlgEditSite::btnCopyFromClick);
}

void TdlgEditSite::cmbstyleChange()
{
    btnteststyle->setEnabled(!cmbstyle->currentText().isEmpty());
}

void TdlgEditSite::btnteststyleClick()
{
    showTemplateCompliance(context_, cmbstyle->currentText(), true, this);
    btnteststyle->setEnabled(false);
}

void TdlgEditSite::LoadRotation(const QString& siteKey, int n, bool loadStatus, bool loadFolder)
{
    PictorumState& state = context_.state;
    const platform::IniDocument doc = platform::IniFile(SiteStore(state.ProgramFolder).siteFile(siteKey)).read();
    if (loadStatus) {
        currentRotation = n;
        grpRotations->setTitle(state.options.UseRotations ? QStringLiteral("Rotation %1").arg(n)
                                                          : QStringLiteral("Current Site"));
        LoadRotationStatus(doc, n, rotationStatus);
        Displaycurrentstatus();
    }
    if (loadFolder)
        edtrotationdirectory->setText(
            LoadRotationFolder(doc, state.ProgramFolder, n, state.CurrentSite.Path, state.options.UseRotations));
    ::LoadRotation(doc, state.ProgramFolder, n, state.rotationSettings);
    if (cmbstyle->currentText() != state.rotationSettings.cmbstyle)
        cmbstyle->setEditText(state.rotationSettings.cmbstyle);
    if (context_.dlgThumbOptions)
        context_.dlgThumbOptions->showSettings();
}

bool TdlgEditSite::SaveRotation(int n, bool withStatusAndFolder)
{
    PictorumState& state = context_.state;
    const RotationPlace place{rotationStatus, edtrotationdirectory->text()};
    platform::IniFile file(SiteStore(state.ProgramFolder).siteFile(state.CurrentSite.SiteKey));
    if (::SaveRotation(file, state.ProgramFolder, n, state.rotationSettings, withStatusAndFolder ? &place : nullptr))
        return true;
    context_.services.prompts.warning(QStringLiteral("Error encountered saving your settings!  You may be out of disk space!"));
    return false;
}

void TdlgEditSite::loadrotationlist(const QString& siteKey, QListWidget* list)
{
    const platform::Hourglass busy;
    list->clear();
    list->addItems(rotationListRows(context_.state.ProgramFolder, siteKey, context_.state.options.UseRotations));
}

void TdlgEditSite::Displaycurrentstatus()
{
    const QString subject = context_.state.options.UseRotations ? QStringLiteral("This Rotation") : QStringLiteral("This Site");
    if (rotationStatus < RotationBuilt)
        lblstatus->setText(subject + QStringLiteral(" has NOT been built"));
    else if (rotationStatus == RotationBuilt)
        lblstatus->setText(subject + QStringLiteral(" has been built"));
}

void TdlgEditSite::btnThumbnailOptionsClick()
{
    context_.services.dialogs.showModal(*context_.dlgThumbOptions);
}

void TdlgEditSite::btnCopyFromClick()
{
    TdlgCopySettings dialog(context_, this);
    if (context_.services.dialogs.showModal(dialog) != platform::mrOk)
        return;
    const QString key = dialog.selectedSiteKey();
    const int row = dialog.lbxrotation->currentRow();
    if (!key.isEmpty() && row >= 0)
        LoadRotation(key, row + 1, false, false);
}

void TdlgEditSite::docopyfile(const QString& source, const QString& destination, bool confirm)
{
    ::docopyfile(source, destination, confirm, context_.services.prompts);
}

void TdlgEditSite::dodeletedir(const QString& folder)
{
    ::dodeletedir(folder, context_.state.ProgramFolder, context_.services.prompts);
}
