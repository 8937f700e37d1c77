#include "addimage.h"
#include "filelistdelete.h"

#include "buttonimages.h"
#include "app/gallery/imageadding.h"
#include "app/settings/rotationlist.h"
#include "app/settings/rotationsection.h"
#include "app/site/fileroutines.h"
#include "components/bitbtn.h"
#include "components/dropsource.h"
#include "components/droptarget.h"
#include "components/filelistbox.h"
#include "components/lmthumbgrid.h"
#include "components/shelltree.h"

#include "platform/fileidentity.h"
#include "platform/hourglass.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace {

constexpr int dragDistance = 10;
const QString copyCaption = QStringLiteral("Copy to current Site");

} // namespace

bool startsFileDrag(const QPoint& downAt, const QPoint& now, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    const bool oneButton = buttons == Qt::LeftButton || buttons == Qt::RightButton;
    const bool noShift = (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
    const QPoint moved = now - downAt;
    return oneButton && noShift && (qAbs(moved.x()) >= dragDistance || qAbs(moved.y()) >= dragDistance);
}

TDropFileTarget* makeImageDropTarget(TFileListBox* list, AppContext& context, QObject* owner)
{
    auto* target = new TDropFileTarget(owner);
    target->setObjectName(QStringLiteral("DropFileTarget1"));
    // Copy only: a move reported back would make the source delete files only copied here.
    target->SetDragtypes(dtCopy);
    target->Register(list);
    QObject::connect(target, &TDropTarget::Drop, list, [target, list, &context] {
        const QStringList files = target->Files;
        QTimer::singleShot(0, list, [files, list, &context] {
            if (list->Directory().isEmpty())
                return; // no rotation shown: nowhere to add them
            adddroppedimages(files, list->Directory(), context.state.options.DefaultJPEGCompression,
                             context.services.prompts);
            list->Update();
        });
    });
    return target;
}

TdlgAddImages::TdlgAddImages(AppContext& context, QWidget* parent)
    : ModalDialog(parent)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Add Images to Current Rotation"));
    btnclose = TLmILBitBtn::Make(this, imgLmILButtons(), "btnclose", bkClose);
    auto* sides = new QHBoxLayout;
    sides->addWidget(buildSourceGroup(), 1);
    sides->addWidget(buildRotationGroup(), 0);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnclose);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(sides, 1);
    outer->addLayout(bottom);
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);

    DropSource1 = new TDropFileSource(this);
    DropFileTarget1 = makeImageDropTarget(FileBox, context_, this);
    connectControls();
    dirSource->SetPath(QDir::homePath());
    resize(860, 560);
}

QWidget* TdlgAddImages::buildSourceGroup()
{
    grpSource = new QGroupBox(QStringLiteral("Source Images"), this);
    dirSource = new TShellTree(grpSource);
    dirSource->SetOptions(TF_FOLDERS);
    dirSource->SetServices(&context_.services);
    fbxsource = new TFileListBox(grpSource);
    fbxsource->SetMask(QLatin1String(ImageFilePattern));
    ThumbGrid = new TLmThumbGrid(grpSource, 100);
    ThumbGrid->SetThumbDisplayType(tdtLargeIcon);
    ThumbGrid->SetMultipleSelect(true);
    ThumbGrid->SetSupportedFormats(QLatin1String(ImageFilePattern));

    Panel4 = new QWidget(grpSource);
    btncopy2site = new QPushButton(copyCaption, Panel4);
    btncopy2site->setObjectName(QStringLiteral("btncopy2site"));
    btncopy2site->setEnabled(false);
    auto* panel4 = new QHBoxLayout(Panel4);
    panel4->setContentsMargins(10, 4, 10, 4); // the button keeps 10 pixels from each side
    panel4->addWidget(btncopy2site, 1);

    auto* lists = new QVBoxLayout;
    lists->addWidget(dirSource, 3);
    lists->addWidget(fbxsource, 2);
    auto* top = new QHBoxLayout;
    top->addLayout(lists, 1);
    top->addWidget(ThumbGrid, 2);
    auto* layout = new QVBoxLayout(grpSource);
    layout->addLayout(top, 1);
    layout->addWidget(Panel4);
    return grpSource;
}

QWidget* TdlgAddImages::buildRotationGroup()
{
    grpRotations = new QGroupBox(QStringLiteral("Rotations"), this);
    Panel2 = grpRotations;
    lblsite = new QLabel(grpRotations);
    lblrotation = new QLabel(grpRotations);
    cmbrotation = new QComboBox(grpRotations);
    cmbrotation->setMinimumContentsLength(16);
    edtrotationdirectory = new QLineEdit(grpRotations);
    edtrotationdirectory->setReadOnly(true);
    lblcontains = new QLabel(grpRotations);
    lblcontains->setWordWrap(true); // the side keeps its width: a long caption takes two lines
    FileBox = new TFileListBox(grpRotations);
    FileBox->setObjectName(QStringLiteral("FileBox"));
    FileBox->SetMask(QLatin1String(RotationImageMask));
    lblcount = new QLabel(grpRotations);

    auto* rotationRow = new QHBoxLayout;
    rotationRow->addWidget(lblrotation);
    rotationRow->addWidget(cmbrotation, 1);
    auto* layout = new QVBoxLayout(grpRotations);
    layout->addWidget(lblsite);
    layout->addLayout(rotationRow);
    layout->addWidget(edtrotationdirectory);
    layout->addWidget(lblcontains);
    layout->addWidget(FileBox, 1);
    layout->addWidget(lblcount);
    // The rotation side keeps its width; the source side takes what the window gains.
    grpRotations->setFixedWidth(280);
    return grpRotations;
}

void TdlgAddImages::connectControls()
{
    connect(dirSource, &TShellTree::Change, this, &TdlgAddImages::dirSourceChange);
    connect(fbxsource, &TFileListBox::Answered, this, &TdlgAddImages::fillGrid);
    connect(cmbrotation, &QComboBox::activated, this, &TdlgAddImages::cmbrotationChange);
    connect(FileBox, &TFileListBox::Change, this, &TdlgAddImages::FileBoxChange);
    connect(FileBox, &TFileListBox::KeyUp, this, [this](int key) { FileBoxKeyUp(key); });
    connect(ThumbGrid, &TLmThumbGrid::selectionChanged, this, &TdlgAddImages::ThumbGridSelectionChanged);
    connect(ThumbGrid, &TLmThumbGrid::doubleClicked, this, &TdlgAddImages::ThumbGridDblClick);
    connect(btncopy2site, &QPushButton::clicked, this, &TdlgAddImages::btncopy2siteClick);
    connect(ThumbGrid, &TLmThumbGrid::mousePressed, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint at) { fbxsourceMouseDown(at); });
    connect(ThumbGrid, &TLmThumbGrid::mouseMoved, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers keys, QPoint at) {
                fbxsourceMouseMove(ThumbGrid, buttons, keys, at);
            });
    fbxsource->viewport()->installEventFilter(this);
}

bool TdlgAddImages::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fbxsource->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            fbxsourceMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
        else if (event->type() == QEvent::MouseMove) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            fbxsourceMouseMove(fbxsource, mouse->buttons(), mouse->modifiers(), mouse->position().toPoint());
        }
    }
    return ModalDialog::eventFilter(watched, event);
}

// ---- showing ----

void TdlgAddImages::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TdlgAddImages::FormShow()
{
    const PictorumState& state = context_.state;
    const bool rotations = state.options.UseRotations;
    lblrotation->setText(rotations ? QStringLiteral("Rotation:") : QStringLiteral("Version:"));
    lblcontains->setText(rotations ? QStringLiteral("This Rotation contains the following images:")
                                   : QStringLiteral("This Site contains the following images:"));
    lblsite->setText(state.CurrentSite.Name);
    cmbrotation->clear();
    cmbrotation->addItems(state.rotationChoices);
    cmbrotation->setCurrentIndex(state.rotationChoice);
    edtrotationdirectory->setText(state.rotationFolder);
    FileBox->SetDirectory(state.rotationFolder);
}

// ---- source ----

void TdlgAddImages::dirSourceChange()
{
    fbxsource->SetDirectory(dirSource->Path());
    fillGrid();
}

// Also when a remote folder's files come in after it was chosen.
void TdlgAddImages::fillGrid()
{
    ThumbGrid->LoadFromFileSource(fbxsource, true, true);
}

void TdlgAddImages::ThumbGridSelectionChanged()
{
    const int n = ThumbGrid->GetSelectedCount();
    btncopy2site->setEnabled(n > 0);
    btncopy2site->setText(n > 0 ? QStringLiteral("Copy these %1 images to the current Site").arg(n) : copyCaption);
}

void TdlgAddImages::ThumbGridDblClick()
{
    if (ThumbGrid->GetSelectedCount() > 0)
        btncopy2siteClick();
}

void TdlgAddImages::btncopy2siteClick()
{
    const QString folder = edtrotationdirectory->text();
    QStringList files;
    if (folder.isEmpty() || ThumbGrid->GetSelectedFiles(files) == 0)
        return;
    addimages(files, folder, context_.state.options.DefaultJPEGCompression, context_.services.prompts);
    FileBox->Update();
}

void TdlgAddImages::fbxsourceMouseDown(const QPoint& at)
{
    dragStart_ = at;
}

void TdlgAddImages::fbxsourceMouseMove(QWidget* from, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                                       const QPoint& at)
{
    if (!dragStart_ || !startsFileDrag(*dragStart_, at, buttons, modifiers))
        return;
    dragStart_.reset();
    DropSource1->Files.clear();
    if (from == ThumbGrid)
        ThumbGrid->GetSelectedFiles(DropSource1->Files);
    else
        DropSource1->Files = fbxsource->SelectedFiles();
    DropSource1->Execute();
}

// ---- target ----

void TdlgAddImages::cmbrotationChange()
{
    const PictorumState& state = context_.state;
    const int n = cmbrotation->currentIndex() + 1;
    if (n < 1)
        return;
    const platform::IniDocument doc = platform::IniFile(context_.sites().siteFile(state.CurrentSite.SiteKey)).read();
    const QString folder =
        LoadRotationFolder(doc, state.ProgramFolder, n, state.CurrentSite.Path, state.options.UseRotations);
    if (!platform::folderExists(folder)) {
        context_.services.prompts.warning(QStringLiteral("Error!  The directory, ") + folder
                                          + QStringLiteral(", could not be located!"));
        return;
    }
    edtrotationdirectory->setText(folder);
    FileBox->SetDirectory(folder);
}

void TdlgAddImages::FileBoxChange()
{
    lblcount->setText(QStringLiteral("%1 Images").arg(FileBox->count()));
}

void TdlgAddImages::FileBoxKeyUp(int key)
{
    deleteFilesOnKey(*FileBox, key, context_.services.prompts, true);
}
