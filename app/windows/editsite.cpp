#include "editsite.h"
#include "filelistdelete.h"

#include "addimage.h"
#include "buttonimages.h"
#include "copyfrom.h"
#include "mainform.h"
#include "settingsbinder.h"
#include "style.h"
#include "thumbop.h"
#include "app/pages/templatecheck.h"
#include "app/settings/pageoptionsrules.h"
#include "app/settings/rotationlist.h"
#include "app/settings/rotationsection.h"
#include "app/site/fileroutines.h"
#include "app/site/sitestore.h"
#include "components/bitbtn.h"
#include "components/filelistbox.h"

#include "platform/fileidentity.h"
#include "platform/hourglass.h"
#include "platform/inifile.h"
#include "platform/pathresolver.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/shell.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

constexpr int helpContext = 27;

// Offered in the template box while it holds no recent templates, when they are shipped.
constexpr const char* sampleTemplates[] = {"Styles/Sample_With_Index.htm", "Styles/Sample_No_Index.htm",
                                           "Styles/Blue_Border_With_Index.htm"};

const QString saveFailed = QStringLiteral("Error encountered saving your settings!  You may be out of disk space!");

QComboBox* choiceBox(QWidget* parent, const ListChoice& choice)
{
    auto* box = new QComboBox(parent);
    box->addItems(choice.entries());
    return box;
}

QLineEdit* hiddenEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->hide();
    return edit;
}

void showProblem(platform::PromptService& prompts, const PageOptionsProblem& problem)
{
    if (problem.icon == platform::PromptIcon::Information)
        prompts.information(problem.text);
    else
        prompts.warning(problem.text);
}

} // namespace

TdlgEditSite::TdlgEditSite(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
    , binder_(new SettingsBinder(context.state.rotationSettings, context.state.ProgramFolder, [] {}, this))
{
    setWindowTitle(QStringLiteral("Edit Site"));
    buildControls();
    using S = RotationSettings;
    binder_->bindEditPath(cmbstyle, &S::cmbstyle);
    binder_->bind(cmbHeader, &S::cmbHeader);
    binder_->bind(cmbFooter, &S::cmbFooter);
    binder_->bind(edtheaderhtml, &S::edtheaderhtml);
    binder_->bind(edtfooterhtml, &S::edtfooterhtml);
    binder_->bindPath(edtheaderfile, &S::edtheaderfile);
    binder_->bindPath(edtfooterfile, &S::edtfooterfile);
    connectControls();
    DropFileTarget1 = makeImageDropTarget(FileBox, context_, this);
    binder_->refresh();
    cmbstyleChange();
    cmbHeaderChange(cmbHeader);
    cmbHeaderChange(cmbFooter);
    enableRotationCommands();
}

// ---- layout ----

void TdlgEditSite::buildControls()
{
    edtsite = new QLineEdit(this);
    edtsite->setReadOnly(true);
    auto* siteRow = new QHBoxLayout;
    siteRow->addWidget(new QLabel(QStringLiteral("Site:"), this));
    siteRow->addWidget(edtsite, 1);

    const TImageList& images = imgLmILButtons();
    btnThumbnailOptions = TLmILBitBtn::Make(this, images, "btnThumbnailOptions", "Other Layout Settings", QString(), 21);
    btnCopyFrom = TLmILBitBtn::Make(this, images, "btnCopyFrom", "Copy settings..", QString(), 30);
    btnApplytoAll = TLmILBitBtn::Make(this, images, "btnApplytoAll", "Apply to All",
                                      "Use these settings in every rotation of this site", 9);
    btnbuild = TLmILBitBtn::Make(this, images, "btnbuild", "Build!", QString(), 13);
    btnBuildAll = TLmILBitBtn::Make(this, images, "btnBuildAll", "Build All", "Build every rotation of this site", 13);
    btnpreview = TLmILBitBtn::Make(this, images, "btnpreview", "Preview", QString(), 15);
    BitBtn1 = TLmILBitBtn::Make(this, images, "BitBtn1", bkHelp);
    BitBtn1->SetHelp(context_.services, helpContext);
    BitBtn2 = TLmILBitBtn::Make(this, images, "BitBtn2", bkClose);
    fbxtemp = new TFileListBox(this);
    fbxtemp->SetMask(QLatin1String(RotationImageMask));
    fbxtemp->hide();

    auto* settingsRow = new QHBoxLayout;
    for (QPushButton* b : std::initializer_list<QPushButton*>{btnThumbnailOptions, btnCopyFrom, btnApplytoAll})
        settingsRow->addWidget(b);
    settingsRow->addStretch();
    auto* buildRow = new QHBoxLayout;
    for (QPushButton* b : std::initializer_list<QPushButton*>{btnbuild, btnBuildAll, btnpreview})
        buildRow->addWidget(b);
    buildRow->addStretch();
    buildRow->addWidget(BitBtn1);
    buildRow->addWidget(BitBtn2);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(siteRow);
    outer->addLayout(buildRotationControls(), 1);
    outer->addWidget(buildStyleGroup());
    outer->addLayout(settingsRow);
    outer->addLayout(buildRow);
    // Enter in the template box must not press a button.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    resize(720, 620);
}

QLayout* TdlgEditSite::buildRotationControls()
{
    lbxrotations = new QListWidget(this);
    lbxrotations->setMinimumWidth(260);
    btnNewRotation = TLmILBitBtn::Make(this, imgLmILButtons(), "btnNewRotation", "New Rotation", QString(), 10);
    btndeleterotation = TLmILBitBtn::Make(this, imgLmILButtons(), "btndeleterotation", "Delete Rotation", QString(), 11);
    auto* rotationButtons = new QHBoxLayout;
    rotationButtons->addWidget(btnNewRotation);
    rotationButtons->addWidget(btndeleterotation);
    rotationButtons->addStretch();
    auto* list = new QVBoxLayout;
    list->addWidget(lbxrotations, 1);
    list->addLayout(rotationButtons);

    grpRotations = new QGroupBox(QStringLiteral("Current Site"), this);
    lblstatus = new QLabel(grpRotations);
    lblstatus->setWordWrap(true);
    edtrotationdirectory = new QLineEdit(grpRotations);
    edtrotationdirectory->setReadOnly(true);
    Label9 = new QLabel(grpRotations);
    FileBox = new TFileListBox(grpRotations);
    FileBox->SetMask(QLatin1String(RotationImageMask));
    lblfilecount = new QLabel(grpRotations);
    btnAddFiles = TLmILBitBtn::Make(grpRotations, imgLmILButtons(), "btnAddFiles", "Select Images", QString(), 20);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("Folder:"), grpRotations));
    folderRow->addWidget(edtrotationdirectory, 1);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(lblfilecount, 1);
    countRow->addWidget(btnAddFiles);
    auto* rotation = new QVBoxLayout(grpRotations);
    rotation->addWidget(lblstatus);
    rotation->addLayout(folderRow);
    rotation->addWidget(Label9);
    rotation->addWidget(FileBox, 1);
    rotation->addLayout(countRow);

    auto* layout = new QHBoxLayout;
    layout->addLayout(list, 2);
    layout->addWidget(grpRotations, 3);
    return layout;
}

QWidget* TdlgEditSite::buildStyleGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Style"), this);
    cmbstyle = new QComboBox(group);
    cmbstyle->setEditable(true);
    cmbstyle->setInsertPolicy(QComboBox::NoInsert);
    showRecentTemplates(*cmbstyle, context_.recentTemplates.index);
    cmbstyle->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbstyle->setMinimumContentsLength(30);
    const TImageList& images = imgLmILButtons();
    btnnewstyle = TLmILBitBtn::Make(group, images, "btnnewstyle", "Browse..", QString(), 34);
    btnteststyle = TLmILBitBtn::Make(group, images, "btnteststyle", "Test Compliance", QString(), 26);
    btnviewhtml = TLmILBitBtn::Make(group, images, "btnviewhtml", "View Page", QString(), 27);
    const RotationSettings defaults;
    cmbHeader = choiceBox(group, defaults.cmbHeader);
    cmbFooter = choiceBox(group, defaults.cmbFooter);
    btneditheader = TLmILBitBtn::Make(group, images, "btneditheader", "Edit Header", QString(), 28);
    btneditfooter = TLmILBitBtn::Make(group, images, "btneditfooter", "Edit Footer", QString(), 29);
    edtheaderhtml = hiddenEdit(group);
    edtfooterhtml = hiddenEdit(group);
    edtheaderfile = hiddenEdit(group);
    edtfooterfile = hiddenEdit(group);

    auto* templateButtons = new QHBoxLayout;
    templateButtons->addWidget(btnteststyle);
    templateButtons->addWidget(btnviewhtml);
    templateButtons->addStretch();
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Thumbnail page template:"), group), 0, 0);
    grid->addWidget(cmbstyle, 0, 1);
    grid->addWidget(btnnewstyle, 0, 2);
    grid->addLayout(templateButtons, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Header:"), group), 2, 0);
    grid->addWidget(cmbHeader, 2, 1);
    grid->addWidget(btneditheader, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("Footer:"), group), 3, 0);
    grid->addWidget(cmbFooter, 3, 1);
    grid->addWidget(btneditfooter, 3, 2);
    grid->setColumnStretch(1, 1);
    return group;
}

void TdlgEditSite::connectControls()
{
    connect(lbxrotations, &QListWidget::itemSelectionChanged, this, [this] {
        if (!selecting_)
            lbxrotationsClick();
    });
    connect(btnNewRotation, &TILBitBtn::OnClick, this, &TdlgEditSite::btnNewRotationClick);
    connect(btndeleterotation, &TILBitBtn::OnClick, this, &TdlgEditSite::btndeleterotationClick);
    connect(edtrotationdirectory, &QLineEdit::textChanged, this, &TdlgEditSite::edtrotationdirectoryChange);
    connect(FileBox, &TFileListBox::Change, this, &TdlgEditSite::FileBoxChange);
    connect(FileBox, &TFileListBox::KeyUp, this, [this](int key) { FileBoxKeyUp(key); });
    connect(cmbstyle, &QComboBox::editTextChanged, this, &TdlgEditSite::cmbstyleChange);
    connect(cmbstyle->lineEdit(), &QLineEdit::editingFinished, this, &TdlgEditSite::cmbstyleExit);
    connect(btnnewstyle, &TILBitBtn::OnClick, this, &TdlgEditSite::btnnewstyleClick);
    connect(btnteststyle, &TILBitBtn::OnClick, this, &TdlgEditSite::btnteststyleClick);
    connect(btnviewhtml, &TILBitBtn::OnClick, this, [this] { btnpreviewClick(btnviewhtml); });
    connect(btnpreview, &TILBitBtn::OnClick, this, [this] { btnpreviewClick(btnpreview); });
    connect(cmbHeader, &QComboBox::currentIndexChanged, this, [this] { cmbHeaderChange(cmbHeader); });
    connect(cmbFooter, &QComboBox::currentIndexChanged, this, [this] { cmbHeaderChange(cmbFooter); });
    connect(btneditheader, &TILBitBtn::OnClick, this, [this] { btneditheaderClick(btneditheader); });
    connect(btneditfooter, &TILBitBtn::OnClick, this, [this] { btneditheaderClick(btneditfooter); });
    connect(btnThumbnailOptions, &TILBitBtn::OnClick, this, &TdlgEditSite::btnThumbnailOptionsClick);
    connect(btnCopyFrom, &TILBitBtn::OnClick, this, &TdlgEditSite::btnCopyFromClick);
    connect(btnbuild, &TILBitBtn::OnClick, this, [this] { btnbuildClick(btnbuild); });
    connect(btnBuildAll, &TILBitBtn::OnClick, this, &TdlgEditSite::btnBuildAllClick);
    connect(btnApplytoAll, &TILBitBtn::OnClick, this, &TdlgEditSite::btnApplytoAllClick);
    connect(btnAddFiles, &TILBitBtn::OnClick, this, &TdlgEditSite::btnAddFilesClick);
}

// ---- showing and closing ----

void TdlgEditSite::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    if (!event->spontaneous()) // not when the window comes back from being minimised
        FormShow();
}

void TdlgEditSite::done(int result)
{
    FormClose();
    ModalDialog::done(result);
}

void TdlgEditSite::FormShow()
{
    const PictorumState& state = context_.state;
    currentRotation = -1;
    QStringListModel& recent = context_.recentTemplates.index;
    if (recent.rowCount() == 0) {
        QStringList samples;
        for (const char* name : sampleTemplates) {
            const QString file = state.ProgramFolder + QLatin1String(name);
            if (platform::fileExists(file))
                samples.append(file);
        }
        binder_->quietly([&] { recent.setStringList(samples); });
    }

    edtsite->setText(state.CurrentSite.Name);
    loadrotationlist(state.CurrentSite, lbxrotations);
    if (lbxrotations->count() == 0) {
        btnNewRotationClick();
    } else {
        selectRowQuietly(0);
        lbxrotationsClick();
    }

    const bool rotations = state.options.UseRotations;
    Label9->setText(rotations ? QStringLiteral("This Rotation contains the following images:")
                              : QStringLiteral("This Site contains the following images:"));
    btnNewRotation->setVisible(rotations && lbxrotations->count() > 0);
    btndeleterotation->setVisible(rotations);
    enableRotationCommands();
}

void TdlgEditSite::FormClose()
{
    const bool rotationSaved = currentRotation < 0 || SaveRotation(currentRotation, true);
    // A failed rotation has told the user already: one message per close.
    context_.frmMain->savecurrentsite(rotationSaved ? TfrmMain::SaveFailure::Shown : TfrmMain::SaveFailure::Quiet);
}

// ---- rotations ----

void TdlgEditSite::loadrotationlist(const tsiterecord& site, QListWidget* list)
{
    const platform::Hourglass busy;
    const PictorumState& state = context_.state;
    const auto count = [this](const QString& folder) {
        fbxtemp->SetDirectory(folder);
        return fbxtemp->count();
    };
    const QList<RotationListEntry> entries = rotationList(state.ProgramFolder, site, state.options.UseRotations, count);
    QStringList rows;
    QStringList choices;
    for (const RotationListEntry& e : entries) {
        rows.append(e.row);
        choices.append(e.choice);
    }
    selecting_ = true;
    list->clear();
    list->addItems(rows);
    selecting_ = false;
    if (list == lbxrotations) {
        context_.state.rotationChoices = choices;
        context_.state.rotationChoice = -1;
    }
}

void TdlgEditSite::selectRowQuietly(int row)
{
    selecting_ = true;
    if (row >= 0 && row < lbxrotations->count())
        lbxrotations->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    else
        lbxrotations->clearSelection();
    selecting_ = false;
    context_.state.rotationChoice = lbxrotations->selectedItems().isEmpty() ? -1 : row;
}

void TdlgEditSite::lbxrotationsClick()
{
    PictorumState& state = context_.state;
    const bool rotations = state.options.UseRotations;
    const QList<QListWidgetItem*> selected = lbxrotations->selectedItems();
    const int row = selected.isEmpty() ? -1 : lbxrotations->row(selected.front());
    btndeleterotation->setEnabled(rotations && row >= 0 && row == lbxrotations->count() - 1);
    if (row < 0)
        return;
    state.rotationChoice = row;
    if (currentRotation >= 0)
        SaveRotation(currentRotation, true);

    const tsiterecord& site = state.CurrentSite;
    const platform::IniDocument doc = platform::IniFile(context_.sites().siteFile(site.SiteKey)).read();
    const QString folder = LoadRotationFolder(doc, state.ProgramFolder, row + 1, site.Path, rotations);
    if (platform::folderExists(folder)) {
        LoadRotation(site.SiteKey, row + 1, true, true);
    } else {
        // Until a row loads, nothing shown here is saved into or built for another rotation.
        lblstatus->setText(QStringLiteral("Error!  The directory, ") + folder + QStringLiteral(", could not be located!"));
        currentRotation = -1;
        edtrotationdirectory->clear();
    }
    enableRotationCommands();
}

void TdlgEditSite::btnNewRotationClick()
{
    PictorumState& state = context_.state;
    tsiterecord& site = state.CurrentSite;
    if (currentRotation >= 0 && !SaveRotation(currentRotation, true))
        return;
    const int count = rotationCount(site);
    if (count == LargestRotationCount)
        return;
    const int n = count + 1;
    const QString sitePath = platform::fixpath(site.Path, true, state.ProgramFolder);
    const QString folder = platform::resolvePathIgnoringCase(defaultRotationFolder(sitePath, state.options.UseRotations, n));
    if (!platform::folderExists(folder)
        && !createnewdirectory(folder, state.ProgramFolder, context_.services.prompts)) {
        context_.services.prompts.information(QStringLiteral("Error encountered creating a new rotation directory!"));
        return;
    }
    edtrotationdirectory->setText(folder);
    site.RotationCount = n;
    context_.frmMain->savecurrentsite();
    loadrotationlist(site, lbxrotations);
    currentRotation = n;
    rotationStatus = RotationNotBuilt;
    selectRowQuietly(lbxrotations->count() - 1);
    lbxrotationsClick();
    btnNewRotation->setVisible(state.options.UseRotations && lbxrotations->count() > 0);
}

void TdlgEditSite::btndeleterotationClick()
{
    PictorumState& state = context_.state;
    tsiterecord& site = state.CurrentSite;
    // The last row's rotation.
    const int n = rotationCount(site);
    if (!state.options.UseRotations || lbxrotations->selectedItems().isEmpty() || n < 1)
        return;
    platform::IniFile file(context_.sites().siteFile(site.SiteKey));
    const QString folder = LoadRotationFolder(file.read(), state.ProgramFolder, n, site.Path, true);
    platform::PromptService& prompts = context_.services.prompts;
    if (prompts.confirm(QStringLiteral("Are you sure you want to remove Rotation %1 and delete all files in the directory, ")
                            .arg(n)
                        + folder + QStringLiteral("?"))
        != platform::mrYes)
        return;
    if (platform::folderExists(folder))
        dodeletedir(folder);
    if (!file.eraseSection(rotationSectionName(n)).ok) {
        prompts.warning(saveFailed);
        return;
    }
    site.RotationCount = n - 1;
    context_.frmMain->savecurrentsite();
    FormShow();
}

void TdlgEditSite::LoadRotation(const QString& siteKey, int n, bool loadStatus, bool loadFolder)
{
    PictorumState& state = context_.state;
    const platform::IniDocument doc = platform::IniFile(context_.sites().siteFile(siteKey)).read();
    if (loadStatus) {
        currentRotation = n;
        grpRotations->setTitle(state.options.UseRotations ? QStringLiteral("Rotation %1").arg(n)
                                                          : QStringLiteral("Current Site"));
        LoadRotationStatus(doc, n, rotationStatus);
        Displaycurrentstatus();
    }
    if (loadFolder) {
        const QString folder = LoadRotationFolder(doc, state.ProgramFolder, n, state.CurrentSite.Path,
                                                  state.options.UseRotations);
        if (edtrotationdirectory->text() == folder)
            edtrotationdirectoryChange(); // the same folder: its files may have changed
        else
            edtrotationdirectory->setText(folder);
    }
    ::LoadRotation(doc, state.ProgramFolder, n, state.rotationSettings);
    showRotationSettings();
}

bool TdlgEditSite::SaveRotation(int n, bool withStatusAndFolder)
{
    PictorumState& state = context_.state;
    const RotationPlace place{rotationStatus, edtrotationdirectory->text()};
    platform::IniFile file(context_.sites().siteFile(state.CurrentSite.SiteKey));
    if (::SaveRotation(file, state.ProgramFolder, n, state.rotationSettings, withStatusAndFolder ? &place : nullptr))
        return true;
    context_.services.prompts.warning(saveFailed);
    return false;
}

void TdlgEditSite::showRotationSettings()
{
    binder_->refresh();
    if (context_.dlgThumbOptions)
        context_.dlgThumbOptions->showSettings();
}

void TdlgEditSite::Displaycurrentstatus()
{
    const QString subject = context_.state.options.UseRotations ? QStringLiteral("This Rotation") : QStringLiteral("This Site");
    if (rotationStatus < RotationBuilt)
        lblstatus->setText(subject + QStringLiteral(" has NOT been built"));
    else if (rotationStatus == RotationBuilt)
        lblstatus->setText(subject + QStringLiteral(" has been built"));
    enableRotationCommands();
}

void TdlgEditSite::enableRotationCommands()
{
    const bool loaded = currentRotation >= 0;
    btnbuild->setEnabled(loaded);
    btnAddFiles->setEnabled(loaded);
    btnApplytoAll->setEnabled(loaded);
    btnpreview->setEnabled(loaded && rotationStatus == RotationBuilt);
}

// ---- the rotation's images ----

void TdlgEditSite::edtrotationdirectoryChange()
{
    context_.state.rotationFolder = edtrotationdirectory->text();
    FileBox->SetDirectory(edtrotationdirectory->text()); // an unreadable folder just lists nothing
}

void TdlgEditSite::FileBoxChange()
{
    lblfilecount->setText(QStringLiteral("%1 Images").arg(FileBox->count()));
    if (rotationStatus == RotationNotBuilt)
        rotationStatus = 1;
}

void TdlgEditSite::FileBoxKeyUp(int key)
{
    if (!deleteFilesOnKey(*FileBox, key, context_.services.prompts))
        return;
}

void TdlgEditSite::btnAddFilesClick()
{
    context_.services.dialogs.showModal(*context_.dlgAddImages);
    FileBox->Update();
}

// ---- templates, header and footer ----

void TdlgEditSite::cmbstyleChange()
{
    const bool named = !cmbstyle->currentText().isEmpty();
    btnteststyle->setEnabled(named);
    btnviewhtml->setEnabled(named);
}

void TdlgEditSite::cmbstyleExit()
{
    const QString text = cmbstyle->currentText();
    if (text.isEmpty() || cmbstyle->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive) >= 0)
        return;
    binder_->quietly([&] {
        cmbstyle->addItem(text);
        cmbstyle->setEditText(text);
    });
}

void TdlgEditSite::btnnewstyleClick()
{
    const QString& current = context_.state.rotationSettings.cmbstyle;
    const auto file = context_.dlgThumbOptions->hooks.openHTMLTemplate({QString(), current, htmlTemplateFilter});
    if (file && showTemplateCompliance(context_, *file, true, this) == platform::mrOk)
        cmbstyle->setEditText(*file);
}

void TdlgEditSite::btnteststyleClick()
{
    showTemplateCompliance(context_, context_.state.rotationSettings.cmbstyle, true, this);
    btnteststyle->setEnabled(false);
}

void TdlgEditSite::btnpreviewClick(QPushButton* sender)
{
    QString file = context_.state.rotationSettings.cmbstyle;
    if (sender == btnpreview) {
        const QString folder = edtrotationdirectory->text();
        file = folder.isEmpty() ? QString()
                                : platform::resolvePathIgnoringCase(platform::addTrailingSeparator(folder)
                                                                    + context_.state.CurrentSite.BaseHTMLName);
    }
    if (!file.isEmpty())
        platform::openDocument(context_.services, file);
}

void TdlgEditSite::cmbHeaderChange(QComboBox* sender)
{
    (sender == cmbHeader ? btneditheader : btneditfooter)->setEnabled(sender->currentIndex() > 0);
}

void TdlgEditSite::btneditheaderClick(QPushButton* sender)
{
    const bool isHeader = sender == btneditheader;
    const int choice = (isHeader ? cmbHeader : cmbFooter)->currentIndex();
    const PageOptionsHooks& hooks = context_.dlgThumbOptions->hooks;
    if (choice == rotationentries::HeaderHTML)
        hooks.editHeaderFooter(isHeader, true, *(isHeader ? edtheaderhtml : edtfooterhtml));
    else if (choice == rotationentries::HeaderFile)
        hooks.editHeaderFooter(isHeader, false, *(isHeader ? edtheaderfile : edtfooterfile));
}

// ---- building ----

bool TdlgEditSite::testTemplate(const QString& file, bool isThumbnailPage)
{
    TdlgStyle check(context_, this);
    if (!check.TestCompliancy(file, isThumbnailPage))
        return false;
    addRequiredFiles(file, check.requiredFiles(), context_.state.RequiredFileNames, context_.state.RequiredFilePaths);
    return true;
}

void TdlgEditSite::btnbuildClick(QPushButton* sender)
{
    if (currentRotation < 0)
        return;
    PictorumState& state = context_.state;
    const RotationSettings& settings = state.rotationSettings;
    platform::PromptService& prompts = context_.services.prompts;
    FileBox->Update();
    noThumbnails = false;
    if (sender == btnbuild)
        buildAll = false;
    state.rotationSettings.SetDefaultValues();
    showRotationSettings();

    if (const auto problem = checkBuildSettings(settings)) {
        showProblem(prompts, *problem);
        return;
    }
    if (FileBox->count() == 0) {
        if (prompts.confirm(QStringLiteral("The current Site or Rotation does not contain any images!  Do you want to "
                                           "create a site without thumbnails?"))
            != platform::mrYes)
            return;
        const auto typed = prompts.inputText(QStringLiteral("Number of Pages"),
                                             QStringLiteral("How many pages should be inserted into your site?"),
                                             QStringLiteral("10"));
        if (!typed)
            return;
        const auto pages = pageCountFromText(*typed);
        if (!pages) {
            prompts.warning(QStringLiteral("You failed to enter a valid number"));
            return;
        }
        pageCount = *pages;
        noThumbnails = true;
    }

    state.RequiredFileNames.clear();
    state.RequiredFilePaths.clear();
    addNavigationButtonFiles(settings, state.RequiredFileNames, state.RequiredFilePaths);
    if (!testTemplate(settings.cmbstyle, true)) {
        prompts.warning(QStringLiteral("The HTML Template file, ") + settings.cmbstyle
                        + QStringLiteral(", has failed the compliancy test.  Please use 'Test Compliance' to review "
                                         "and correct the problems!"));
        Displaycurrentstatus();
        return;
    }
    if (settings.rdbHTMLImageWindow && !testTemplate(settings.cmbimagestyle, false)) {
        prompts.warning(QStringLiteral("The HTML Template file for your image pages, ") + settings.cmbimagestyle
                        + QStringLiteral(", has failed the compliancy test.  Please use 'Test Compliance' to review "
                                         "and correct the problems."));
        return;
    }

    Displaycurrentstatus();
    if (runBuild) {
        const EditorBuildRequest request{currentRotation, platform::addTrailingSeparator(FileBox->Directory()),
                                         FileBox->FileNames(), buildAll, noThumbnails, pageCount};
        if (runBuild(request)) {
            rotationStatus = RotationBuilt;
            Displaycurrentstatus();
        }
    }
    if (sender == btnbuild) {
        loadrotationlist(state.CurrentSite, lbxrotations);
        selectRowQuietly(currentRotation - 1);
    }
}

void TdlgEditSite::btnBuildAllClick()
{
    const platform::Hourglass busy;
    buildAll = true;
    for (int row = 0; row < lbxrotations->count(); ++row) {
        selectRowQuietly(row);
        lbxrotationsClick();
        if (currentRotation >= 0) // a row whose folder is missing is left out
            btnbuildClick(nullptr);
    }
    buildAll = false;
    loadrotationlist(context_.state.CurrentSite, lbxrotations);
    selectRowQuietly(currentRotation - 1);
}

void TdlgEditSite::btnApplytoAllClick()
{
    if (currentRotation < 0)
        return;
    const platform::Hourglass busy;
    const PictorumState& state = context_.state;
    platform::IniFile file(context_.sites().siteFile(state.CurrentSite.SiteKey));
    if (!SaveRotationToAll(file, state.ProgramFolder, rotationCount(state.CurrentSite), state.rotationSettings))
        context_.services.prompts.warning(saveFailed);
}

// ---- other dialogs ----

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

// ---- file routines ----

void TdlgEditSite::docopyfile(const QString& source, const QString& destination, bool confirm)
{
    ::docopyfile(source, destination, confirm, context_.services.prompts);
}

void TdlgEditSite::dodeletedir(const QString& folder)
{
    ::dodeletedir(folder, context_.state.ProgramFolder, context_.services.prompts);
}
