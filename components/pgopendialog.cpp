#include "pgopendialog.h"

#include "openpreviewlayout.h"

#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"
#include "imaging/readerfilter.h"
#include "platform/fileidentity.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QImage>
#include <QItemSelectionModel>
#include <QPainter>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

// Lets folders through and files whose names match the selected filter entry, by the
// platform's mask rules rather than the file dialog's own.
class NameMaskProxy : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setMask(std::optional<platform::FileMask> Mask)
    {
        mask_ = std::move(Mask);
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* model = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!model || !mask_)
            return true;
        const QModelIndex index = model->index(row, 0, parent);
        return model->isDir(index) || mask_->matches(model->fileName(index));
    }

private:
    std::optional<platform::FileMask> mask_;
};

namespace {

// An owner-drawn box of the panel.
class PanelBox : public QWidget {
public:
    PanelBox(QWidget* parent, std::function<void(QPainter&)> paint) : QWidget(parent), paint_(std::move(paint))
    {
        setEnabled(false); // shows, takes no input
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        paint_(painter);
    }

private:
    std::function<void(QPainter&)> paint_;
};

// The average character width and the height of a font: what dialog units count in.
QSize dialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((letters / 26 + 1) / 2, metrics.height());
}

// A line from one point to the next, the last point left out, as the platform draws them.
void polyline(QPainter& painter, const QColor& color, std::initializer_list<QPoint> points)
{
    painter.setPen(color);
    const QPoint* previous = nullptr;
    for (const QPoint& point : points) {
        if (previous) {
            const QPoint step((point.x() > previous->x()) - (point.x() < previous->x()),
                              (point.y() > previous->y()) - (point.y() < previous->y()));
            if (point != *previous)
                painter.drawLine(*previous, point - step);
        }
        previous = &point;
    }
}

QFont infoFont()
{
    const PGInfoFont& spec = PixelGraphicInfoFont;
    QFont font(spec.FaceName);
    font.setPixelSize(std::max(1, std::abs(spec.Height)));
    if (spec.Weight > 0)
        font.setWeight(QFont::Weight(std::clamp(spec.Weight, 100, 900)));
    font.setItalic(spec.Italic);
    font.setUnderline(spec.Underline);
    font.setStrikeOut(spec.StrikeOut);
    return font;
}

const QString kShareAwareMessage =
    QStringLiteral("TPGOpenDialog.Options and TPGSaveDialog.Options must include ofShareAware!");

} // namespace

TPGOpenDialog::TPGOpenDialog(const platform::Services& Services, QWidget* parent)
    : ModalDialog(parent)
    , services_(Services)
    , registry_(&FileFormatRegistry())
    , PreviewThread(std::make_unique<TCreateOpenSaveDialogPaintPGThread>())
{
    setSizeGripEnabled(true);
    clockBkColor_ = palette().color(QPalette::Button);
    clockLineColor_ = palette().color(QPalette::Dark);

    FileDialog = new QFileDialog(this);
    FileDialog->setWindowFlags(Qt::Widget);
    FileDialog->setOption(QFileDialog::DontUseNativeDialog);
    FileDialog->setAcceptMode(QFileDialog::AcceptOpen);
    proxy_ = new NameMaskProxy(FileDialog);
    FileDialog->setProxyModel(proxy_);

    // The panel, laid out in dialog units: the standard controls' place is 191 units wide,
    // the panel fills the rest of 288 x 144.
    const QSize base = dialogBaseUnits(font());
    const QRect whole = DialogUnitsToPixels(QRect(0, 0, 288, 144), base);
    const int controlsWidth = DialogUnitsToPixels(QRect(0, 0, 191, 144), base).width();
    auto* panel = new QWidget(this);
    panel->setFixedSize(whole.width() - controlsWidth, whole.height());
    PreviewBox = new PanelBox(panel, [this](QPainter& painter) { PaintPreviewBox(painter); });
    PreviewBox->setGeometry(DialogUnitsToPixels(QRect(192, 20, 92, 85), base).translated(-controlsWidth, 0));
    InfoBox = new PanelBox(panel, [this](QPainter& painter) { PaintInfoBox(painter); });
    InfoBox->setGeometry(DialogUnitsToPixels(QRect(193, 110, 92, 33), base).translated(-controlsWidth, 0));

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(FileDialog, 1);
    layout->addWidget(panel, 0, Qt::AlignTop);

    PreviewTimer = new QTimer(this);
    PreviewTimer->setInterval(150);
    PreviewTimer->setSingleShot(true);
    connect(PreviewTimer, &QTimer::timeout, this, &TPGOpenDialog::PreviewTimerTick);

    connect(FileDialog, &QFileDialog::currentChanged, this, &TPGOpenDialog::SelectionChanged);
    // Typing a name or widening the selection changes it without moving the current file.
    if (auto* view = FileDialog->findChild<QAbstractItemView*>(QStringLiteral("listView")); view && view->selectionModel()) {
        selectionModel_ = view->selectionModel();
        connect(selectionModel_, &QItemSelectionModel::selectionChanged, this, &TPGOpenDialog::SelectionChanged);
    }
    connect(FileDialog, &QFileDialog::accepted, this, [this] { setModalResult(platform::mrOk); });
    connect(FileDialog, &QFileDialog::rejected, this, [this] { setModalResult(platform::mrCancel); });
    // The file dialog sets its own name filters first; the mask replaces them afterwards.
    connect(FileDialog, &QFileDialog::filterSelected, this, &TPGOpenDialog::applyNameFilter, Qt::QueuedConnection);

    connect(PreviewThread.get(), &TCreateOpenSaveDialogPaintPGThread::InfoRead, this, &TPGOpenDialog::previewInfoRead);
    connect(PreviewThread.get(), &TCreateOpenSaveDialogPaintPGThread::Progress, this, &TPGOpenDialog::previewProgress);
    connect(PreviewThread.get(), &TCreateOpenSaveDialogPaintPGThread::Finished, this, &TPGOpenDialog::previewFinished);

    filter_ = BuildDefaultFilter();
}

TPGOpenDialog::~TPGOpenDialog()
{
    // The file dialog goes after this object's members: nothing it reports then may arrive.
    disconnect(FileDialog, nullptr, this, nullptr);
    if (selectionModel_)
        disconnect(selectionModel_, nullptr, this, nullptr);
    PreviewTimer->stop();
    PreviewThread->Terminate();
}

void TPGOpenDialog::SetOptions(TOpenOptions Value)
{
    if (!Value.testFlag(ofShareAware)) {
        services_.prompts.message(kShareAwareMessage);
        Value |= ofShareAware;
    }
    options_ = Value;
}

// ---- the filter ----

QString TPGOpenDialog::GetEnabledReaderExtension(int FilterIndex) const
{
    return useDefaultFilter_ ? ::GetEnabledReaderExtension(FilterIndex, *registry_) : QString();
}

int TPGOpenDialog::GetEnabledReaderCount() const
{
    return useDefaultFilter_ ? ::GetEnabledReaderCount(*registry_) : 0;
}

QString TPGOpenDialog::BuildDefaultFilter() const
{
    return ::BuildDefaultFilter(*registry_);
}

std::span<const TFileFormatReader* const> TPGOpenDialog::GetFileFormatReaders() const
{
    return ::GetFileFormatReaders(*registry_);
}

void TPGOpenDialog::applyNameFilter(const QString& NameFilter)
{
    const QStringList names = FileDialog->nameFilters();
    const qsizetype index = names.indexOf(NameFilter);
    proxy_->setMask(index >= 0 && index < filterEntries_.size()
                        ? std::optional<platform::FileMask>(filterEntries_[index].Mask())
                        : std::nullopt);
    if (auto* model = qobject_cast<QFileSystemModel*>(proxy_->sourceModel()))
        model->setNameFilters({});
}

// ---- showing ----

bool TPGOpenDialog::Execute()
{
    info_ = {};
    if (useDefaultFilter_)
        filter_ = BuildDefaultFilter();
    filterEntries_ = ParseOpenFilter(filter_);
    QStringList names;
    for (const OpenFilterEntry& entry : filterEntries_)
        names << entry.NameFilter();
    FileDialog->setNameFilters(names);
    if (!names.isEmpty()) {
        const QString selected = names[std::clamp<qsizetype>(filterIndex_ - 1, 0, names.size() - 1)];
        FileDialog->selectNameFilter(selected);
        applyNameFilter(selected);
    } else {
        applyNameFilter({});
    }
    FileDialog->setFileMode(options_.testFlag(ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                            : options_.testFlag(ofFileMustExist)  ? QFileDialog::ExistingFile
                                                                  : QFileDialog::AnyFile);
    setWindowTitle(title_.isEmpty() ? QStringLiteral("Open") : title_);
    files_.clear();
    shownSelection_.reset();
    running_ = true;
    if (!initialDir_.isEmpty())
        FileDialog->setDirectory(initialDir_);
    if (!fileName_.isEmpty())
        FileDialog->selectFile(fileName_);
    FileDialog->show(); // it hides itself when it closes
    const int result = services_.dialogs.showModal(*this);
    return result == platform::mrOk && !files_.isEmpty();
}

void TPGOpenDialog::done(int result)
{
    PreviewTimer->stop();
    stopPreview();
    running_ = false;
    if (result == platform::mrOk) {
        files_ = FileDialog->selectedFiles();
        fileName_ = files_.value(0);
        filterIndex_ = int(FileDialog->nameFilters().indexOf(FileDialog->selectedNameFilter())) + 1;
    }
    ModalDialog::done(result);
}

void TPGOpenDialog::showEvent(QShowEvent* event)
{
    ModalDialog::showEvent(event);
    if (const QScreen* screen = this->screen())
        move(OpenDialogPosition(screen->geometry(), frameGeometry().size()));
}

// ---- the preview ----

QRect TPGOpenDialog::previewInside() const
{
    return PreviewBox->rect().adjusted(2, 2, -2, -2);
}

void TPGOpenDialog::stopPreview()
{
    PreviewThread->Supersede(++generation_);
    previewGraphic_.reset();
    info_ = {};
    clock_.reset();
    PreviewBox->update(previewInside());
    InfoBox->update();
}

void TPGOpenDialog::SelectionChanged()
{
    // The views also report a selection they only laid out again.
    QStringList selection = FileDialog->selectedFiles();
    if (selection == shownSelection_)
        return;
    shownSelection_ = std::move(selection);
    PreviewTimer->stop();
    stopPreview();
    PreviewTimer->start();
}

void TPGOpenDialog::PreviewTimerTick()
{
    PreviewTimer->stop();
    QMetaObject::invokeMethod(this, &TPGOpenDialog::LoadSelectedPreview, Qt::QueuedConnection);
}

void TPGOpenDialog::LoadSelectedPreview()
{
    if (!running_)
        return;
    stopPreview();
    const QString path = FileDialog->selectedFiles().value(0);
    if (path.isEmpty())
        return;
    PreviewRequest request;
    request.Generation = generation_;
    request.FileName = path;
    request.Registry = registry_;
    request.BoxWidth = PreviewBox->width() - 4;
    request.BoxHeight = PreviewBox->height() - 4;
    request.StretchMode = stretchMode_;
    request.Palette8BitSys24BitGraphic = palette24_;
    request.Palette8BitSys8BitGraphic = palette8_;
    request.DisplayBits = displayBits_;
    PreviewThread->Load(std::move(request));
}

void TPGOpenDialog::previewInfoRead(std::uint64_t Generation, const PreviewFileInfo& Info)
{
    if (Generation != generation_)
        return;
    info_ = Info;
    InfoBox->update();
}

void TPGOpenDialog::previewProgress(std::uint64_t Generation, int Step, int Percent)
{
    if (Generation != generation_ || !clockVisible_)
        return;
    clock_ = std::make_pair(Step, Percent);
    PreviewBox->update(QRect(ProgressClockOrigin(PreviewBox->size()), QSize(ProgressClockSize, ProgressClockSize)));
}

void TPGOpenDialog::previewFinished(std::uint64_t Generation, const PreviewGraphicPtr& Graphic)
{
    if (Generation != generation_)
        return; // an older load's picture goes with its last copy
    clock_.reset();
    previewGraphic_ = Graphic;
    PreviewBox->update(previewInside());
}

void TPGOpenDialog::PaintPreviewBox(QPainter& Painter)
{
    const QPalette& colors = palette();
    const int l = 0, t = 0, r = PreviewBox->width(), b = PreviewBox->height();
    Painter.fillRect(QRect(QPoint(l + 2, t + 2), QPoint(r - 2, b - 2)), colors.color(QPalette::Button));
    polyline(Painter, colors.color(QPalette::Dark), {{l, b - 2}, {l, t}, {r - 1, t}});
    polyline(Painter, Qt::black, {{l + 1, b - 3}, {l + 1, t + 1}, {r - 2, t + 1}});
    polyline(Painter, Qt::white, {{l, b - 1}, {r - 1, b - 1}, {r - 1, t - 1}});
    polyline(Painter, colors.color(QPalette::Button), {{l + 1, b - 2}, {r - 2, b - 2}, {r - 2, t}});

    if (previewGraphic_) {
        const QRect place = PreviewPlacement(PreviewBox->size(), QSize(previewGraphic_->Width(), previewGraphic_->Height()));
        if (!place.isEmpty())
            previewGraphic_->DrawOn(Painter, place, false, QPainter::CompositionMode_Source);
    } else if (clock_ && clockVisible_) {
        QImage clock(ProgressClockSize, ProgressClockSize, QImage::Format_RGB32);
        clock.fill(colors.color(QPalette::Button));
        QPainter face(&clock);
        face.setPen(clockLineColor_);
        face.setBrush(clockBkColor_);
        face.drawEllipse(QRect(0, 0, ProgressClockSize - 1, ProgressClockSize - 1));
        const ClockHands hands = ProgressClockHands(clock_->first, clock_->second);
        face.drawLine(QPoint(7, 7), hands.Long);
        face.drawLine(QPoint(7, 7), hands.Short);
        face.end();
        Painter.drawImage(ProgressClockOrigin(PreviewBox->size()), clock);
    }
}

void TPGOpenDialog::PaintInfoBox(QPainter& Painter)
{
    Painter.fillRect(InfoBox->rect(), palette().color(QPalette::Button));
    if (!showInfo_ || !info_.Valid)
        return;
    const QStringList lines = InfoBoxLines(info_.Description, info_.Info);
    const QFont font = infoFont();
    Painter.setFont(font);
    Painter.setPen(palette().color(QPalette::ButtonText));
    const int ascent = QFontMetrics(font).ascent();
    for (int i = 0; i < lines.size(); ++i)
        Painter.drawText(QPoint(0, InfoLineTop(i, int(lines.size()), InfoBox->height()) + ascent), lines[i]);
}

// ---- a dialog for one choice ----

std::optional<QString> ChoosePicture(const platform::Services& Services, const QString& Name,
                                     const platform::FileChoice& Choice, QWidget* Parent)
{
    TPGOpenDialog dialog(Services, Parent);
    dialog.setObjectName(Name);
    dialog.SetTitle(Choice.caption);
    if (!Choice.filter.isEmpty()) {
        dialog.SetUseDefaultFilter(false);
        dialog.SetFilter(Choice.filter);
    }
    if (platform::folderExists(Choice.folder))
        dialog.SetInitialDir(Choice.folder);
    else
        dialog.SetFileName(Choice.folder);
    if (!dialog.Execute())
        return std::nullopt;
    return dialog.FileName();
}
