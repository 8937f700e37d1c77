#include "mainform.h"

#include "log.h"
#include "rotopt.h"
#include "buttonimages.h"
#include "components/aboutbox.h"
#include "components/bitbtn.h"
#include "components/elidedtext.h"

#include "platform/hourglass.h"
#include "platform/prompts.h"
#include "platform/shell.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int mainHelpContext = 42;

} // namespace

TfrmMain::TfrmMain(const platform::Services& services, const CommandLine& commandLine, QString programFolder,
                   QWidget* parent)
    : QWidget(parent)
    , ProgramFolder(std::move(programFolder))
    , RotateMode(commandLine.RotateMode)
    , services_(services)
    , sites_(ProgramFolder)
    , report_(log_, services.prompts, commandLine.RotateMode)
    , engine_(sites_, log_, report_)
    , run_(sites_, log_, report_, engine_)
{
    makeControls();
    dlgRotOpt = new TdlgRotOpt(log_, report_, services_, this);
    connect(dlgRotOpt, &TdlgRotOpt::optionsChanged, this, [this](const RotationOptions& o) { options_ = o; });
    dlgLog = new TdlgLog(log_, *dlgRotOpt, report_, ProgramFolder, this);
    Timer1.setInterval(300);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
    FormCreate(commandLine);
}

TfrmMain::~TfrmMain()
{
    // The dialogs hold on to the log: they go before it does.
    delete dlgLog;
    delete dlgRotOpt;
}

void TfrmMain::makeControls()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Pictorum Pro Rotation Site Tool"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(513, 407);

    Label7 = new QLabel(QStringLiteral("Turnfold must be run with the the /Rotate parameter to automatically "
                                       "rotate your site!"), this);
    QFont bold = Label7->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    Label7->setFont(bold);
    Label7->setWordWrap(true);

    auto* sitesGroup = new QGroupBox(QStringLiteral("Web Sites"), this);
    lbxsites = new QListWidget(sitesGroup);
    // Rows show the display name of each key, drawn by the window itself.
    lbxsites->setItemDelegate(new NamedRowDelegate(
        [this](QPainter& painter, int row, const QRect& rect, bool selected) { lbxsitesDrawItem(painter, row, rect, selected); },
        [this](int row) { return lbxsitename.value(row); }, this));
    lbxsites->setUniformItemSizes(true);
    (new QVBoxLayout(sitesGroup))->addWidget(lbxsites);

    auto* statusGroup = new QGroupBox(QStringLiteral("Site Status"), this);
    auto* status = new QVBoxLayout(statusGroup);
    const QList<std::pair<QString, QLabel**>> rows = {
        {QStringLiteral("Site Name:"), &lblsitename},       {QStringLiteral("Location:"), &lbllocation},
        {QStringLiteral("No. of Rotations:"), &lblrotationcount}, {QStringLiteral("Auto Rotate:"), &lblautorotate},
        {QStringLiteral("Copy Rotation to:"), &lbllivepath}, {QStringLiteral("Next Rotation to copy:"), &lblcurrentrotation},
    };
    for (const auto& [caption, value] : rows) {
        auto* label = new QLabel(caption, statusGroup);
        // Long names and folders are cut at the group's edge rather than widening the window.
        *value = new ElidedLabel(statusGroup);
        (*value)->setIndent(12);
        status->addWidget(label);
        status->addWidget(*value);
    }
    status->addStretch();

    const TImageList& images = imgLmILButtons();
    btnRotateCurrent = TLmILBitBtn::Make(this, images, "btnRotateCurrent", "Rotate Current",
                                         "Clicking this will copy the next available rotation of the selected suite", 0);
    btnRotateCurrent->SetDefault(true);
    btnrotateall = TLmILBitBtn::Make(this, images, "btnrotateall", "Rotate All",
                                     "Clicking this will copy the next available rotation of all sites that have "
                                     "rotation enabled", 24);
    btnOptions = TLmILBitBtn::Make(this, images, "btnOptions", "Options..", "Set Turnfold ", 21);
    btnabout = TLmILBitBtn::Make(this, images, "btnabout", "About..", "About Pictorum Pro", 17);
    BitBtn2 = TLmILBitBtn::Make(this, images, "BitBtn2", bkClose, "Close this application");
    BitBtn1 = TLmILBitBtn::Make(this, images, "BitBtn1", bkHelp, "Display Help information");
    BitBtn1->SetHelp(services_, mainHelpContext);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : std::initializer_list<QPushButton*>{btnRotateCurrent, btnrotateall, btnOptions, btnabout})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* middle = new QHBoxLayout;
    middle->addWidget(sitesGroup, 1);
    middle->addWidget(statusGroup, 1);
    middle->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label7);
    layout->addLayout(middle, 1);
    // The status line keeps the height of its first text, so that nothing moves under the
    // pointer when a run changes or empties it.
    const QMargins margins = layout->contentsMargins();
    Label7->setFixedHeight(Label7->heightForWidth(width() - margins.left() - margins.right()));

    connect(lbxsites, &QListWidget::itemSelectionChanged, this, &TfrmMain::lbxsitesClick);
    // A click on the row already selected reads the site's file again, as any click does.
    connect(lbxsites, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item->isSelected())
            lbxsitesClick();
    });
    connect(btnRotateCurrent, &TILBitBtn::OnClick, this, &TfrmMain::btnRotateCurrentClick);
    connect(btnrotateall, &TILBitBtn::OnClick, this, &TfrmMain::btnrotateallClick);
    connect(btnOptions, &TILBitBtn::OnClick, this, &TfrmMain::btnOptionsClick);
    connect(btnabout, &TILBitBtn::OnClick, this, &TfrmMain::btnaboutClick);
}

void TfrmMain::FormCreate(const CommandLine& commandLine)
{
    RotateMode = commandLine.RotateMode;
    if (!commandLine.irrelevantParameter.isEmpty())
        services_.prompts.warning(irrelevantParameterText(commandLine.irrelevantParameter));
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmMain::FormShow()
{
    platform::FileOutcome sitesReading;
    {
        const QSignalBlocker quiet(lbxsites);
        lbxsites->clear();
        lbxsites->addItems(sites_.siteKeys(&sitesReading));
    }
    options_ = loadRotationOptions(ProgramFolder, &optionsReading_);
    // An unattended run reads the site list again and logs both failures itself; without its
    // options it cannot tell where its log is meant to go, so it says so outside the log too.
    if (!RotateMode) {
        for (const platform::FileOutcome* reading : {&sitesReading, &optionsReading_})
            if (!*reading)
                report_.report(reading->reason);
    } else if (!optionsReading_) {
        report_.alsoOutsideLog(optionsReading_.reason);
    }
    dlgRotOpt->setOptions(options_);
    rebuildSiteNameList();
    doselectionstatus();
    if (RotateMode)
        Timer1.start();
}

void TfrmMain::rebuildSiteNameList()
{
    QStringList keys;
    for (int i = 0; i < lbxsites->count(); ++i)
        keys << lbxsites->item(i)->text();
    lbxsitename = sites_.displayNames(keys);
    lbxsites->viewport()->update();
}

void TfrmMain::lbxsitesDrawItem(QPainter& painter, int index, const QRect& rect, bool selected)
{
    if (lbxsitename.size() != lbxsites->count())
        rebuildSiteNameList();
    const QPalette& palette = lbxsites->palette();
    painter.fillRect(rect, selected ? palette.highlight() : palette.base());
    painter.setPen(selected ? palette.highlightedText().color() : palette.text().color());
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     fitText(painter.fontMetrics(), lbxsitename.value(index), rect.width()));
}

int TfrmMain::selectedRow() const
{
    const QList<QListWidgetItem*> selected = lbxsites->selectedItems();
    return selected.isEmpty() ? -1 : lbxsites->row(selected.first());
}

void TfrmMain::lbxsitesClick()
{
    const int row = selectedRow();
    platform::FileOutcome reading;
    if (row >= 0)
        sites_.loadsite(lbxsites->item(row)->text(), CurrentSite, &reading);
    doselectionstatus();
    if (!reading)
        report_.report(reading.reason);
}

void TfrmMain::doselectionstatus()
{
    if (selectedRow() < 0)
        CurrentSite.SiteKey.clear();
    lbllivepath->clear();
    lblcurrentrotation->clear();
    if (CurrentSite.SiteKey.isEmpty()) {
        for (QLabel* label : {lblsitename, lbllocation, lblrotationcount, lblautorotate})
            label->clear();
        return;
    }
    lblsitename->setText(CurrentSite.Name);
    lbllocation->setText(CurrentSite.Path);
    lblrotationcount->setText(QString::number(CurrentSite.RotationCount));
    if (CurrentSite.AutoRotate) {
        lblautorotate->setText(QStringLiteral("Yes"));
        lbllivepath->setText(CurrentSite.LivePath);
        lblcurrentrotation->setText(QString::number(CurrentSite.CurrentRotationPosition));
    } else {
        lblautorotate->setText(QStringLiteral("No"));
    }
}

void TfrmMain::showStatus(const QString& text)
{
    Label7->setText(text);
    Label7->repaint();  // the engine keeps the event loop waiting
}

void TfrmMain::showSite(int row, const tsiterecord& site)
{
    {
        const QSignalBlocker quiet(lbxsites);
        lbxsites->setCurrentRow(row);
    }
    // The run has read the site already and logs a file it could not read.
    CurrentSite = site;
    doselectionstatus();
}

void TfrmMain::SetControlsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{btnOptions, btnRotateCurrent, btnrotateall, lbxsites, BitBtn1})
        w->setEnabled(enabled);
}

int TfrmMain::showLog(const QString& heading)
{
    dlgLog->Label1->setText(heading);
    return services_.dialogs.showModal(*dlgLog);
}

void TfrmMain::btnrotateallClick()
{
    SetControlsEnabled(false);
    struct Restore {
        TfrmMain& form;
        ~Restore()
        {
            form.SetControlsEnabled(true);
            form.showStatus(QString());
        }
    } restore{*this};

    int updated = 0;
    {
        platform::Hourglass busy;
        updated = run_.rotateAll(rotationInput(), options_, *this);
        if (RotateMode)
            verdict_ = run_.finishUnattended(options_);
    }
    if (!RotateMode)
        showLog(QStringLiteral("Rotation of All sites is completed with a total of ") + QString::number(updated)
                + QStringLiteral(" updated!"));
}

RotationInput TfrmMain::rotationInput() const
{
    // By hand the rows on screen are rotated, in their order; a scheduled run takes the file.
    if (!RotateMode) {
        RotationInput listed;
        for (int i = 0; i < lbxsites->count(); ++i)
            listed.siteKeys << lbxsites->item(i)->text();
        return listed;
    }
    RotationInput stored = run_.storedSites();
    if (!optionsReading_)
        stored.unreadable.prepend(optionsReading_.reason);
    return stored;
}

void TfrmMain::btnRotateCurrentClick()
{
    // Without a selected row the record may still hold the last site shown.
    if (selectedRow() < 0)
        return;
    if (!CurrentSite.AutoRotate) {
        const QString text = QStringLiteral("The site, ") + CurrentSite.Name
                             + QStringLiteral(", does not have auto-rotation enabled so it will be skipped!");
        if (RotateMode)
            log_.Addwarning(text, true);
        else
            services_.prompts.information(text);
        return;
    }
    bool updated = false;
    {
        platform::Hourglass busy;
        updated = run_.rotateSite(CurrentSite, options_).succeeded();
        loadsite(CurrentSite.SiteKey);  // the stored position moved on
        doselectionstatus();
    }
    showLog(updated ? QStringLiteral("The current site has been updated!")
                    : QStringLiteral("The current site was not updated.  View log for details"));
    log_.clear();
}

void TfrmMain::btnOptionsClick()
{
    services_.dialogs.showModal(*dlgRotOpt);
}

void TfrmMain::btnaboutClick()
{
    TAboutBox box(services_, QStringLiteral("Turnfold"), this);
    services_.dialogs.showModal(box);
}

void TfrmMain::Timer1Timer()
{
    Timer1.stop();
    btnrotateallClick();
    close();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmMain::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the focused button, else the default one; a window has no dialog to do it.
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    QPushButton* target = focused ? focused : btnRotateCurrent;
    if (target->isEnabled())
        target->click();
}

void TfrmMain::FormClose()
{
    if (RotateMode)
        return;
    if (!saveRotationOptions(ProgramFolder, options_))
        services_.prompts.message(QStringLiteral("Error encountered saving your settings!  You may be out of disk space!"));
}
