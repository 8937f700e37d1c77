#include "previewthread.h"

#include "openpreviewlayout.h"

#include "imaging/loadsave.h"
#include "imaging/orientation.h"
#include "imaging/pixelgraphic.h"
#include "platform/filecontent.h"

#include <QFile>

#include <chrono>

std::optional<int> PreviewProgressThrottle::Report(std::int64_t Done, std::int64_t Total, std::int64_t Tick)
{
    if (Total <= 0)
        return std::nullopt;
    const int percent = int(Done * 100 / Total);
    const int sixteenth = percent / 16;
    if (percent == lastPercent_ || (Tick / 100 == lastTick_ / 100 && sixteenth == lastPercentSixteenth_))
        return std::nullopt;
    lastPercentSixteenth_ = sixteenth;
    lastPercent_ = percent;
    lastTick_ = Tick;
    return percent;
}

std::unique_ptr<TPixelGraphic> ReduceToDisplay(TPixelGraphic& Picture, int DisplayBits,
                                               TPaletteIdent Palette8BitSys24BitGraphic,
                                               TPaletteIdent Palette8BitSys8BitGraphic)
{
    if (DisplayBits > 8)
        return nullptr;
    auto reduced = std::make_unique<TPixelGraphic>();
    reduced->SetOnProgress(Picture.OnProgress());
    if (DisplayBits < 8) {
        reduced->Allocate(Picture.Width(), Picture.Height(), bcn4Bit);
        reduced->SetPaletteIdent(pSys16);
    } else {
        reduced->Allocate(Picture.Width(), Picture.Height(), bcn8Bit);
        const bool trueColor = Picture.BitCount() == 24;
        const TPaletteIdent wanted = trueColor ? Palette8BitSys24BitGraphic : Palette8BitSys8BitGraphic;
        if (wanted == pOptimized252Sys16)
            reduced->ReduceColorsFrom(Picture, 252, true);
        else if (!trueColor && wanted == pSource)
            reduced->CopyPalette(Picture);
        else
            reduced->SetPaletteIdent(wanted);
    }
    reduced->StretchFrom(Picture);
    return reduced;
}

// ---- the worker ----

namespace {

// A file read through until its request is superseded; then every read fails, so a reader
// busy with a long file (a GIF's information decodes all of it) ends at its next read and
// the dialog never waits for it.
class StopWhenStale : public QIODevice {
public:
    StopWhenStale(QIODevice& File, std::function<bool()> Stale) : file_(File), stale_(std::move(Stale))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return file_.isSequential(); }
    qint64 size() const override { return file_.size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && file_.seek(pos); }

protected:
    qint64 readData(char* data, qint64 maxSize) override { return stale_() ? -1 : file_.read(data, maxSize); }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& file_;
    std::function<bool()> stale_;
};

} // namespace

TCreateOpenSaveDialogPaintPGThread::TCreateOpenSaveDialogPaintPGThread(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<PreviewFileInfo>();
    qRegisterMetaType<PreviewGraphicPtr>();
    tickCount_ = [] {
        return std::int64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count());
    };
}

TCreateOpenSaveDialogPaintPGThread::~TCreateOpenSaveDialogPaintPGThread()
{
    Terminate();
}

void TCreateOpenSaveDialogPaintPGThread::SetTickCount(std::function<std::int64_t()> TickCount)
{
    tickCount_ = std::move(TickCount);
}

void TCreateOpenSaveDialogPaintPGThread::Load(PreviewRequest Request)
{
    std::lock_guard lock(mutex_);
    if (stop_)
        return;
    current_ = Request.Generation;
    pending_ = std::move(Request);
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
    wake_.notify_one();
}

void TCreateOpenSaveDialogPaintPGThread::Supersede(std::uint64_t Generation)
{
    std::lock_guard lock(mutex_);
    current_ = Generation;
    if (pending_ && pending_->Generation < Generation)
        pending_.reset();
}

void TCreateOpenSaveDialogPaintPGThread::Terminate()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        pending_.reset();
        wake_.notify_one();
    }
    if (thread_.joinable())
        thread_.join();
}

bool TCreateOpenSaveDialogPaintPGThread::stale(std::uint64_t Generation) const
{
    return stop_ || current_ != Generation;
}

void TCreateOpenSaveDialogPaintPGThread::run()
{
    for (;;) {
        PreviewRequest request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || pending_; });
            if (stop_)
                return;
            request = std::move(*pending_);
            pending_.reset();
        }
        work(request);
    }
}

void TCreateOpenSaveDialogPaintPGThread::work(const PreviewRequest& Request)
{
    if (stale(Request.Generation))
        return;
    const BudgetJob charged(budget_, &stop_);
    const FormatRegistry& registry = Request.Registry ? *Request.Registry : FileFormatRegistry();
    const QString extension = GetLowerExtension(Request.FileName);
    PreviewFileInfo info;
    QFile plain;
    StopWhenStale file(plain, [this, generation = Request.Generation] { return stale(generation); });
    if (platform::openPlainFile(plain, Request.FileName))
        info.Valid = ReadStreamFileInfo(registry, file, extension, 0, info.Description, info.Info);
    if (stale(Request.Generation))
        return;
    emit InfoRead(Request.Generation, info);
    if (!info.Valid)
        return;
    PreviewGraphicPtr preview;
    try {
        preview = makePreview(file, registry, Request, info.Info.Orientation);
    } catch (...) {
        preview.reset(); // nothing to show, nothing to say
    }
    if (!stale(Request.Generation))
        emit Finished(Request.Generation, preview);
}

PreviewGraphicPtr TCreateOpenSaveDialogPaintPGThread::makePreview(QIODevice& File, const FormatRegistry& Registry,
                                                                 const PreviewRequest& Request, int Orientation)
{
    const std::uint64_t generation = Request.Generation;
    int step = 1;
    PreviewProgressThrottle throttle(tickCount_());
    const TProgressEvent progress = [&](PGObject*, int done, int total, bool& abort) {
        if (const std::optional<int> percent = throttle.Report(done, total, tickCount_());
            percent && !stale(generation))
            emit Progress(generation, step, *percent);
        abort = stale(generation);
    };

    auto picture = std::make_unique<TPixelGraphic>();
    picture->SetOnProgress(progress);
    picture->SetWarningAction(waIgnore);
    picture->SetFastJPEGDecode(true);
    File.seek(0);
    LoadGraphic(*picture, Registry, File, GetLowerExtension(Request.FileName), 0);
    if (stale(generation))
        return nullptr;

    // Fitted as it will stand, resampled as stored, turned last: the turn costs only the small frame.
    const QSize upright = UprightSize(QSize(picture->Width(), picture->Height()), Orientation);
    const std::optional<QSize> size = PreviewFitSize(upright, QSize(Request.BoxWidth, Request.BoxHeight));
    if (!size || picture->Empty())
        return nullptr;
    if (*size != upright) {
        ++step;
        const QSize stored = UprightSize(*size, Orientation); // a turn undoes itself in size
        auto fitted = std::make_unique<TPixelGraphic>();
        fitted->Allocate(stored.width(), stored.height(), bcn24Bit);
        fitted->SetStretchMode(Request.StretchMode);
        fitted->SetOnProgress(progress);
        fitted->StretchFrom(*picture);
        picture = std::move(fitted);
        if (stale(generation))
            return nullptr;
    }
    TurnUpright(*picture, Orientation);

    if (Request.DisplayBits <= 8) {
        ++step;
        if (auto reduced = ReduceToDisplay(*picture, Request.DisplayBits, Request.Palette8BitSys24BitGraphic,
                                           Request.Palette8BitSys8BitGraphic))
            picture = std::move(reduced);
        if (stale(generation))
            return nullptr;
    }
    picture->SetOnProgress({}); // the handler refers to this frame
    return PreviewGraphicPtr(std::move(picture));
}
