#include "mainform.h"

#include "addimage.h"
#include "buildprogress.h"
#include "buttonimages.h"
#include "editsite.h"
#include "options.h"
#include "siteop.h"
#include "style.h"
#include "thumbop.h"
#include "app/site/fileroutines.h"
#include "components/aboutbox.h"
#include "components/bitbtn.h"
#include "components/elidedtext.h"

#include "platform/fileidentity.h"
#include "platform/hintpause.h"
#include "platform/inifile.h"
#include "platform/modaldialog.h"
#include "platform/paths.h"
#include "platform/programfiles.h"
#include "platform/prompts.h"
#include "platform/shell.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int hintHidePause = 5000;

QLabel* statusValue(QWidget* parent)
{
    auto* label = new ElidedLabel(parent);
    label->setMinimumWidth(170);
    return label;
}

} // namespace

TfrmMain::TfrmMain(AppContext& context)
    : context_(context)
    , state_(context.state)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Pictorum Pro"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    buildControls();
    new platform::HintPause(hintHidePause, this);  // every window's hints, while the program runs
}

void TfrmMain::buildControls()
{
    auto* sitesGroup = new QGroupBox(QStringLiteral("Web Sites"), this);
    lbxsites = new QListWidget(sitesGroup);
    lbxsites->setObjectName(QStringLiteral("lbxsites"));
    lbxsites->setUniformItemSizes(true);
    // Each row shows the display name of its key; the key itself is never shown.
    lbxsites->setItemDelegate(new NamedRowDelegate(
        [this](QPainter& painter, int row, const QRect& rect, bool selected) {
            const QPalette& palette = lbxsites->palette();
            painter.fillRect(rect, palette.brush(selected ? QPalette::Highlight : QPalette::Base));
            painter.setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
            lbxsitesDrawItem(painter, row, rect);
        },
        [this](int row) { return lbxsitename.value(row); }, this));
    lbxsites->setMinimumSize(200, 220);
    const TImageList& images = imgLmILButtons();
    btnnewsite = TLmILBitBtn::Make(sitesGroup, images, "btnnewsite", "New Site..", QString(), 10);
    btndeletesite = TLmILBitBtn::Make(sitesGroup, images, "btndeletesite", "Delete Site..", QString(), 11);
    btnsiteoptions = TLmILBitBtn::Make(sitesGroup, images, "btnsiteoptions", "Site Options..", QString(), 12);
    btnedtsite = TLmILBitBtn::Make(sitesGroup, images, "btnedtsite", "Edit/Build Site..", QString(), 13);
    auto* siteButtons = new QVBoxLayout;
    for (QPushButton* b : std::initializer_list<QPushButton*>{btnnewsite, btndeletesite, btnsiteoptions, btnedtsite})
        siteButtons->addWidget(b);
    siteButtons->addStretch();
    auto* sitesLayout = new QHBoxLayout(sitesGroup);
    sitesLayout->addWidget(lbxsites, 1);
    sitesLayout->addLayout(siteButtons);

    auto* statusGroup = new QGroupBox(QStringLiteral("Site Status"), this);
    auto* statusLayout = new QGridLayout(statusGroup);
    const char* captions[] = {"Site Name:", "Location:", "No. of Rotations:", "Auto Rotate:", "Copy Rotation to:",
                              "Next Rotation to copy:"};
    QLabel** values[] = {&lblsitename, &lbllocation, &lblrotationcount, &lblautorotate, &lbllivepath,
                         &lblcurrentrotation};
    for (int i = 0; i < 6; ++i) {
        auto* caption = new QLabel(QString::fromLatin1(captions[i]), statusGroup);
        *values[i] = statusValue(statusGroup);
        statusLayout->addWidget(caption, i, 0, Qt::AlignLeft | Qt::AlignTop);
        statusLayout->addWidget(*values[i], i, 1, Qt::AlignLeft | Qt::AlignTop);
    }
    statusLayout->setColumnStretch(1, 1);
    statusLayout->setRowStretch(6, 1);

    btnRotateNow = TLmILBitBtn::Make(this, images, "btnRotateNow", "Rotate Now!", QString(), 14);
    btnOptions = TLmILBitBtn::Make(this, images, "btnOptions", "Options..", QString(), 21);
    btnabout = TLmILBitBtn::Make(this, images, "btnabout", "About..", QString(), 17);
    BitBtn1 = TLmILBitBtn::Make(this, images, "BitBtn1", "Help", QString(), 2);
    BitBtn2 = TLmILBitBtn::Make(this, images, "BitBtn2", "&Close", QString(), 5);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(btnRotateNow);
    bottom->addWidget(btnOptions);
    bottom->addWidget(btnabout);
    bottom->addStretch();
    bottom->addWidget(BitBtn1);
    bottom->addWidget(BitBtn2);

    auto* groups = new QHBoxLayout;
    groups->addWidget(sitesGroup, 1);
    groups->addWidget(statusGroup, 1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(groups);
    outer->addLayout(bottom);

    connect(lbxsites, &QListWidget::itemSelectionChanged, this, [this] {
        if (!selecting_)
            lbxsitesClick();
    });
    connect(lbxsites, &QListWidget::itemDoubleClicked, this, [this] { lbxsitesDblClick(); });
    connect(btnnewsite, &TILBitBtn::OnClick, this, &TfrmMain::btnnewsiteClick);
    connect(btndeletesite, &TILBitBtn::OnClick, this, &TfrmMain::btndeletesiteClick);
    connect(btnsiteoptions, &TILBitBtn::OnClick, this, &TfrmMain::btnsiteoptionsClick);
    connect(btnedtsite, &TILBitBtn::OnClick, this, &TfrmMain::btnedtsiteClick);
    connect(btnOptions, &TILBitBtn::OnClick, this, &TfrmMain::btnOptionsClick);
    connect(btnRotateNow, &TILBitBtn::OnClick, this, &TfrmMain::btnRotateNowClick);
    connect(btnabout, &TILBitBtn::OnClick, this, &TfrmMain::btnaboutClick);
    connect(BitBtn1, &TILBitBtn::OnClick, this, &TfrmMain::BitBtn1Click);
    connect(BitBtn2, &TILBitBtn::OnClick, this, &TfrmMain::BitBtn2Click);

    setFixedSize(sizeHint().expandedTo(QSize(640, 380)));
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    FormShow();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

// ---- start-up and close ----

void TfrmMain::FormShow()
{
    // The program folder comes first: the help pages are found through it.
    state_.ProgramFolder = fixpath(context_.programFileFolder, true);

    state_.RequiredFileNames.clear();
    state_.RequiredFilePaths.clear();

    TdlgThumbOptions& thumbOptions = *context_.dlgThumbOptions;
    const QString previous = state_.ProgramFolder + QStringLiteral("Samples/Previous.gif");
    const QString next = state_.ProgramFolder + QStringLiteral("Samples/Next.gif");
    if (platform::fileExists(previous))
        thumbOptions.edtpreviousfile->setText(previous);
    if (platform::fileExists(next))
        thumbOptions.edtnextfile->setText(next);
    if (!thumbOptions.edtpreviousfile->text().isEmpty() && !thumbOptions.edtnextfile->text().isEmpty())
        thumbOptions.Chkusecustombuttons->setChecked(true);

    selecting_ = true;
    lbxsites->clear();
    lbxsites->addItems(context_.sites().siteKeys());
    selecting_ = false;

    state_.options = loadProgramOptions(platform::IniFile(state_.ProgramFolder + platform::programfile::options));
    btnRotateNow->setEnabled(state_.options.UseRotations);

    rebuildSiteNameList();
    doselectionstatus();
    context_.recentTemplates.load(state_.ProgramFolder);
}

void TfrmMain::FormClose()
{
    platform::IniFile options(state_.ProgramFolder + platform::programfile::options);
    const bool saved =
        saveProgramOptions(options, state_.options).ok && context_.recentTemplates.save(state_.ProgramFolder).ok;
    if (!saved)
        context_.services.prompts.message(QStringLiteral("Error encountered saving your settings!  You may be out of disk space!"));
    state_.RequiredFileNames.clear();
    state_.RequiredFilePaths.clear();
}

// ---- site list ----

QStringList TfrmMain::siteKeys() const
{
    QStringList keys;
    for (int i = 0; i < lbxsites->count(); ++i)
        keys.append(lbxsites->item(i)->text());
    return keys;
}

int TfrmMain::selectedRow() const
{
    const QList<QListWidgetItem*> selected = lbxsites->selectedItems();
    return selected.isEmpty() ? -1 : lbxsites->row(selected.front());
}

void TfrmMain::selectRow(int row)
{
    selecting_ = true;
    if (row < 0 || row >= lbxsites->count())
        lbxsites->clearSelection();
    else
        lbxsites->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    selecting_ = false;
}

void TfrmMain::rebuildSiteNameList()
{
    lbxsitename = context_.sites().displayNames(siteKeys());
    lbxsites->viewport()->update();
}

void TfrmMain::lbxsitesDrawItem(QPainter& painter, int index, const QRect& rect)
{
    if (lbxsitename.size() != lbxsites->count())
        rebuildSiteNameList();
    if (index < 0 || index >= lbxsitename.size())
        return;
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     fitText(painter.fontMetrics(), lbxsitename[index], rect.width()));
}

void TfrmMain::lbxsitesClick()
{
    const int row = selectedRow();
    if (row >= 0)
        loadsite(lbxsites->item(row)->text());
    doselectionstatus();
}

void TfrmMain::lbxsitesDblClick()
{
    lbxsitesClick();
    btnedtsiteClick();
    doselectionstatus();
}

void TfrmMain::doselectionstatus()
{
    tsiterecord& site = state_.CurrentSite;
    if (selectedRow() < 0)
        site.SiteKey.clear();
    lbllivepath->clear();
    lblcurrentrotation->clear();
    const bool hasSite = !site.SiteKey.isEmpty();
    if (hasSite) {
        const bool rotations = state_.options.UseRotations;
        lblsitename->setText(site.Name);
        lbllocation->setText(site.Path);
        lblrotationcount->setText(rotations ? QString::number(site.RotationCount) : QStringLiteral("N/A"));
        if (site.AutoRotate && rotations) {
            lblautorotate->setText(QStringLiteral("Yes"));
            lbllivepath->setText(site.LivePath);
            lblcurrentrotation->setText(QString::number(site.CurrentRotationPosition));
        } else {
            lblautorotate->setText(QStringLiteral("No"));
        }
    } else {
        for (QLabel* label : {lblsitename, lbllocation, lblrotationcount, lblautorotate})
            label->clear();
    }
    btndeletesite->setEnabled(hasSite);
    btnsiteoptions->setEnabled(hasSite);
    btnedtsite->setEnabled(hasSite);
}

// ---- commands ----

void TfrmMain::btnnewsiteClick()
{
    const auto created = context_.sites().newSite(siteKeys());
    if (!created || !created->stored)
        context_.services.prompts.warning(
            QStringLiteral("Error encountered creating new site!  Ensure you have write access and sufficient disk "
                           "space for your data directory, ")
            + state_.ProgramFolder + QStringLiteral("!"));
    // With every key taken there is no new site to go on with.
    if (!created)
        return;
    // Unstored, the site is still listed and edited: its options dialog saves it, or its
    // Cancel removes it again.
    const tsiterecord& site = created->site;
    selecting_ = true;
    lbxsites->addItem(site.SiteKey);
    selecting_ = false;

    state_.CurrentSite = site;
    state_.CurrentRotationPositionChanged = true;
    selectRow(lbxsites->count() - 1);

    const bool folderExisted = platform::folderExists(site.Path);
    TdlgSIteOptions dialog(context_, this);
    if (context_.services.dialogs.showModal(dialog) == platform::mrCancel)
        deletecurrentsite(!folderExisted);
    doselectionstatus();
}

void TfrmMain::btndeletesiteClick()
{
    const int row = selectedRow();
    const tsiterecord& site = state_.CurrentSite;
    if (row >= 0 && lbxsites->item(row)->text() == site.SiteKey) {
        const QString question = QStringLiteral("Are you sure you want to delete the current site, ") + site.Name
                                 + QStringLiteral("?  \r\n\r\nNote: This will also delete the directory, ") + site.Path
                                 + QStringLiteral(" and all files that it contains!");
        if (context_.services.prompts.confirm(question) == platform::mrYes)
            deletecurrentsite();
    }
    lbxsitesClick();
}

void TfrmMain::btnsiteoptionsClick()
{
    if (selectedRow() < 0) {
        context_.services.prompts.warning(QStringLiteral("You have not selected a site!"));
        return;
    }
    int result = platform::mrNone;
    {
        TdlgSIteOptions dialog(context_, this);
        result = context_.services.dialogs.showModal(dialog);
    }
    // After OK the dialog has saved the site and shown any failure: one message per click.
    savecurrentsite(result == platform::mrOk ? SaveFailure::Quiet : SaveFailure::Shown);
    doselectionstatus();
}

void TfrmMain::btnedtsiteClick()
{
    const tsiterecord& site = state_.CurrentSite;
    if (!site.SiteKey.isEmpty() && !site.Path.isEmpty()) {
        context_.services.dialogs.showModal(*context_.dlgEditSite);
        doselectionstatus();
    } else {
        btnsiteoptionsClick();
    }
}

void TfrmMain::btnOptionsClick()
{
    {
        TdlgOptions dialog(context_, this);
        context_.services.dialogs.showModal(dialog);
    }
    btnRotateNow->setEnabled(state_.options.UseRotations);
}

void TfrmMain::btnRotateNowClick()
{
    const QString tool = state_.ProgramFolder + QStringLiteral("Turnfold");
    if (!context_.services.shell.startProgram(tool, {}))
        context_.services.prompts.message(QStringLiteral("Could not load ") + tool + QStringLiteral("!"));
    doselectionstatus();
}

void TfrmMain::btnaboutClick()
{
    TAboutBox about(context_.services, QStringLiteral("Pictorum Pro"), this);
    context_.services.dialogs.showModal(about);
}

void TfrmMain::BitBtn1Click()
{
    platform::showHelp(context_.services, 0);
}

void TfrmMain::BitBtn2Click()
{
    close();
}

// ---- site files ----

void TfrmMain::savecurrentsite(SaveFailure failure)
{
    if (state_.CurrentSite.SiteKey.isEmpty())
        return;
    if (!context_.sites().savecurrentsite(state_.CurrentSite, state_.CurrentRotationPositionChanged)) {
        if (failure == SaveFailure::Shown)
            context_.services.prompts.warning(QStringLiteral("Error encountered saving your settings!  You may be out of disk space!"));
        return;
    }
    state_.CurrentRotationPositionChanged = false;
}

bool TfrmMain::loadsite(const QString& key)
{
    state_.CurrentRotationPositionChanged = false;
    return context_.sites().loadsite(key, state_.CurrentSite);
}

void TfrmMain::deletecurrentsite(bool deleteFolder)
{
    const QString key = state_.CurrentSite.SiteKey;
    if (!key.isEmpty() && context_.sites().removeSite(state_.CurrentSite, deleteFolder, context_.services.prompts)) {
        const int row = selectedRow();
        if (row >= 0 && lbxsites->item(row)->text() == key) {
            selecting_ = true;
            delete lbxsites->takeItem(row);
            selecting_ = false;
        }
    }
    rebuildSiteNameList();
    selectRow(-1);
}

// ---- helpers ----

QString TfrmMain::expandpath(const QString& path) const
{
    return platform::expandpath(path, state_.ProgramFolder);
}

QString TfrmMain::truncatepath(const QString& path) const
{
    return platform::truncatepath(path, state_.ProgramFolder);
}

QString TfrmMain::fixpath(const QString& path, bool add) const
{
    return platform::fixpath(path, add, state_.ProgramFolder);
}

QString TfrmMain::changeextension(const QString& name, const QString& ext)
{
    return platform::changeextension(name, ext);
}

bool TfrmMain::createnewdirectory(const QString& path)
{
    return ::createnewdirectory(path, state_.ProgramFolder, context_.services.prompts);
}

bool TfrmMain::dodeletefile(const QString& name, bool overwriting)
{
    return ::dodeletefile(name, overwriting, context_.services.prompts);
}

// ---- the four long-lived windows ----

void createPictorumWindows(AppContext& context)
{
    context.frmMain = new TfrmMain(context);
    context.dlgThumbOptions = new TdlgThumbOptions(context, context.frmMain);
    context.dlgThumbOptions->hooks.runTemplateCheck = [&context](const QString& file, bool isThumbnailPage) {
        return showTemplateCompliance(context, file, isThumbnailPage, context.dlgThumbOptions);
    };
    context.dlgAddImages = new TdlgAddImages(context, context.frmMain);
    context.dlgEditSite = new TdlgEditSite(context, context.frmMain);
    context.dlgEditSite->runBuild = [&context](const EditorBuildRequest& request) {
        TdlgEditSite& editor = *context.dlgEditSite;
        TdlgBuildProgress dialog(context, request, &editor);
        dialog.preview = [&editor] { editor.btnpreviewClick(editor.btnpreview); };
        return context.services.dialogs.showModal(dialog) == platform::mrOk;
    };
}
