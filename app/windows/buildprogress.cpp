#include "buildprogress.h"

#include "buttonimages.h"
#include "app/gallery/buildrunner.h"
#include "app/pages/pagesnapshot.h"
#include "components/bitbtn.h"

#include "platform/hourglass.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QShowEvent>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int helpContext = 38;

} // namespace

// The progress bar and status line as the runner drives them.
class TdlgBuildProgress::Display : public BuildDisplay {
public:
    explicit Display(TdlgBuildProgress& dialog) : dialog_(dialog) {}
    void setProgressMaximum(int maximum) override
    {
        dialog_.ProgressBar->setRange(0, std::max(maximum, 1));
        dialog_.ProgressBar->setValue(0);
    }
    void stepProgress() override
    {
        dialog_.ProgressBar->setValue(std::min(dialog_.ProgressBar->value() + 1, dialog_.ProgressBar->maximum()));
    }
    void resetProgress() override { dialog_.ProgressBar->setValue(0); }
    void showStatus(const QString& text) override { dialog_.lblmessage->setText(text); }
    void processPendingInput() override { QCoreApplication::processEvents(); }

private:
    TdlgBuildProgress& dialog_;
};

TdlgBuildProgress::TdlgBuildProgress(AppContext& context, EditorBuildRequest request, QWidget* parent)
    : ModalDialog(parent)
    , threads(std::max(1, QThread::idealThreadCount()))
    , context_(context)
    , request_(std::move(request))
    , display_(std::make_unique<Display>(*this))
{
    setWindowTitle(QStringLiteral("Build Site"));
    const TImageList& images = imgLmILButtons();

    grpImages = new QGroupBox(QStringLiteral("Site Images"), this);
    lbximages = new QListWidget(grpImages);
    lbximages->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbximages->setMinimumSize(280, 200);
    bkmkup = new QToolButton(grpImages);
    bkmkup->setArrowType(Qt::UpArrow);
    bkmkup->setProperty("tag", -1);
    bkmkup->setToolTip(QStringLiteral("Move the selected image further up the index"));
    bkmkdown = new QToolButton(grpImages);
    bkmkdown->setArrowType(Qt::DownArrow);
    bkmkdown->setProperty("tag", 1);
    bkmkdown->setToolTip(QStringLiteral("Move the selected image further down the index"));
    btnexclude = TLmILBitBtn::Make(grpImages, images, "btnexclude", "Exclude", QString(), 6);
    for (QWidget* w : std::initializer_list<QWidget*>{bkmkup, bkmkdown, btnexclude})
        w->setEnabled(false);
    chkNoThumbRecreate = new QCheckBox(QStringLiteral("Do not create thumbnails if they already exist"), grpImages);
    chkNoThumbRecreate->setChecked(true);
    auto* moveColumn = new QVBoxLayout;
    moveColumn->addWidget(bkmkup);
    moveColumn->addWidget(bkmkdown);
    moveColumn->addStretch();
    moveColumn->addWidget(btnexclude);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(lbximages, 1);
    listRow->addLayout(moveColumn);
    auto* imagesLayout = new QVBoxLayout(grpImages);
    imagesLayout->addWidget(new QLabel(QStringLiteral("The following images will be built into a site:"), grpImages));
    imagesLayout->addLayout(listRow);
    imagesLayout->addWidget(chkNoThumbRecreate);

    grpProgress = new QGroupBox(QStringLiteral("Build Progress"), this);
    ProgressBar = new QProgressBar(grpProgress);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    lblmessage = new QLabel(grpProgress);
    auto* progressLayout = new QVBoxLayout(grpProgress);
    progressLayout->addWidget(ProgressBar);
    progressLayout->addWidget(lblmessage);

    btnok = TLmILBitBtn::Make(this, images, "btnok", "Start", QString(), 13);
    BitBtn2 = TLmILBitBtn::Make(this, images, "BitBtn2", bkCancel);
    BitBtn2->SetModalResult(platform::mrNone); // its handler decides: cancel the build or close
    BitBtn1 = TLmILBitBtn::Make(this, images, "BitBtn1", bkHelp);
    BitBtn1->SetHelp(context_.services, helpContext);
    Timer1 = new QTimer(this);
    Timer1->setInterval(300);
    Timer1->setSingleShot(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpImages, 1);
    layout->addWidget(grpProgress);
    layout->addLayout(rightAlignedRow({btnok, BitBtn2, BitBtn1}));

    connect(lbximages, &QListWidget::itemClicked, this, &TdlgBuildProgress::lbximagesClick);
    connect(lbximages, &QListWidget::currentItemChanged, this, &TdlgBuildProgress::lbximagesClick);
    connect(btnexclude, &TILBitBtn::OnClick, this, &TdlgBuildProgress::btnexcludeClick);
    connect(bkmkup, &QToolButton::clicked, this, [this] { bkmkupClick(bkmkup); });
    connect(bkmkdown, &QToolButton::clicked, this, [this] { bkmkupClick(bkmkdown); });
    connect(btnok, &TILBitBtn::OnClick, this, &TdlgBuildProgress::btnokClick);
    connect(BitBtn2, &TILBitBtn::OnClick, this, &TdlgBuildProgress::BitBtn2Click);
    connect(Timer1, &QTimer::timeout, this, &TdlgBuildProgress::Timer1Timer);
}

TdlgBuildProgress::~TdlgBuildProgress() = default;

void TdlgBuildProgress::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TdlgBuildProgress::FormShow()
{
    const platform::Hourglass busy;
    lbximages->clear();
    const QStringList& required = context_.state.RequiredFileNames;
    for (const QString& name : request_.images) {
        const QString upper = name.toUpper();
        if (upper.contains(QLatin1String("_THB")) || upper.contains(QLatin1String("PAGE_BUTTON_")) || required.contains(upper))
            continue;
        lbximages->addItem(name);
    }
    if (request_.buildAll)
        Timer1->start();
    else
        Timer1->stop();
}

bool TdlgBuildProgress::building() const
{
    return runner_ && runner_->running();
}

// ---- the list ----

void TdlgBuildProgress::lbximagesClick()
{
    const bool focused = lbximages->currentItem() != nullptr;
    for (QWidget* w : std::initializer_list<QWidget*>{bkmkup, bkmkdown, btnexclude})
        w->setEnabled(focused);
}

void TdlgBuildProgress::btnexcludeClick()
{
    for (QListWidgetItem* item : lbximages->selectedItems())
        delete lbximages->takeItem(lbximages->row(item));
    lbximagesClick();
}

void TdlgBuildProgress::bkmkupClick(QToolButton* sender)
{
    lbximages->clearSelection();
    const int count = lbximages->count();
    const int from = lbximages->currentRow();
    if (count < 2 || from < 0)
        return;
    const int to = (from + sender->property("tag").toInt() + count) % count; // past either end: the other end
    QListWidgetItem* item = lbximages->takeItem(from);
    lbximages->insertItem(to, item);
    lbximages->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
}

// ---- the build ----

void TdlgBuildProgress::btnokClick()
{
    BuildJob job;
    QStringList images;
    for (int i = 0; i < lbximages->count(); ++i)
        images << lbximages->item(i)->text();
    job.pages = pageInputsFor(context_.state, request_.rotationFolder, images, request_.noThumbnails);
    job.requiredFileNames = context_.state.RequiredFileNames;
    job.requiredFilePaths = context_.state.RequiredFilePaths;
    job.typedPageCount = request_.pageCount;
    job.buildAll = request_.buildAll;
    job.skipExistingThumbnails = chkNoThumbRecreate->isChecked();
    job.threads = threads;

    BuildRunner runner(std::move(job), context_.services.prompts, *display_);
    runner_ = &runner;
    BuildRunner::StartResult result;
    {
        const platform::Hourglass busy;
        btnok->setEnabled(false);
        result = runner.start();
        btnok->setEnabled(true);
    }
    runner_ = nullptr;
    if (result.ran) // the build completes the prefix in the settings as well
        context_.state.rotationSettings.edtpagenumberprefix = runner.pageNumberPrefix();
    if (!result.built)
        return;
    if (result.previewWanted && preview)
        preview();
    setModalResult(platform::mrOk);
}

void TdlgBuildProgress::BitBtn2Click()
{
    if (building())
        runner_->requestCancel();
    else
        setModalResult(platform::mrCancel);
}

void TdlgBuildProgress::Timer1Timer()
{
    Timer1->stop();
    btnokClick();
}

void TdlgBuildProgress::done(int result)
{
    // Escape and the close box only ask the running build to stop.
    if (building()) {
        runner_->requestCancel();
        return;
    }
    ModalDialog::done(result);
}
