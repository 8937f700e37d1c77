// Painting and animating GIF images: the painter, its clock and the queue that carries its
// calls to the user-interface thread.
#include "gifpainter.h"
#include "gifcanvas.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPalette>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <thread>

// ---- Waiting and time ----

void TGIFWakeEvent::Set()
{
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    changed_.notify_all();
}

bool TGIFWakeEvent::IsSet() const
{
    std::lock_guard lock(mutex_);
    return set_;
}

bool TGIFWakeEvent::WaitFor(std::int64_t Ms)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(std::max<std::int64_t>(Ms, 0)), [this] { return set_; });
}

namespace {

class SteadyClock final : public TGIFClock {
public:
    std::int64_t Ticks() override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    bool WaitFor(TGIFWakeEvent& Wake, std::int64_t Ms) override { return Wake.WaitFor(Ms); }
    void Sleep(std::int64_t Ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(Ms)); }
};

} // namespace

std::shared_ptr<TGIFClock> SystemGIFClock()
{
    static const auto clock = std::make_shared<SteadyClock>();
    return clock;
}

// ---- The queue to the user-interface thread ----

TGIFSyncQueue& TGIFSyncQueue::Instance()
{
    static TGIFSyncQueue queue;
    return queue;
}

bool TGIFSyncQueue::OnUserInterfaceThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void TGIFSyncQueue::Synchronize(const void* Owner, const std::function<void()>& Call)
{
    if (OnUserInterfaceThread()) {
        {
            std::lock_guard lock(mutex_);
            running_.push_back(Owner);
        }
        struct Pop {
            TGIFSyncQueue& queue;
            ~Pop()
            {
                std::lock_guard lock(queue.mutex_);
                queue.running_.pop_back();
            }
        } pop{*this};
        Call();
        return;
    }
    Entry entry{Owner, Call, nullptr, false};
    {
        std::lock_guard lock(mutex_);
        waiting_.push_back(&entry);
    }
    // The event loop drains the queue; so do the image's waits.
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [] { Instance().Drain(); }, Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&entry] { return entry.done; });
    if (entry.failure)
        std::rethrow_exception(entry.failure);
}

int TGIFSyncQueue::Drain()
{
    // Only the calls waiting now: a waiting caller looks at what each one changed.
    std::size_t waiting = 0;
    {
        std::lock_guard lock(mutex_);
        waiting = waiting_.size();
    }
    int ran = 0;
    for (; std::size_t(ran) < waiting;) {
        Entry* entry = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (waiting_.empty())
                break;
            entry = waiting_.front();
            waiting_.pop_front();
            running_.push_back(entry->owner);
        }
        std::exception_ptr failure;
        try {
            entry->call();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            running_.pop_back();
            entry->failure = failure;
            entry->done = true; // the caller may return and free the entry from here on
        }
        finished_.notify_all();
        ++ran;
    }
    reapOrphans();
    return ran;
}

bool TGIFSyncQueue::Running(const void* Owner) const
{
    std::lock_guard lock(mutex_);
    return std::find(running_.begin(), running_.end(), Owner) != running_.end();
}

void TGIFSyncQueue::Adopt(std::shared_ptr<TGIFPainter> Painter)
{
    std::lock_guard lock(mutex_);
    orphans_.push_back(std::move(Painter));
}

void TGIFSyncQueue::reapOrphans()
{
    std::vector<std::shared_ptr<TGIFPainter>> done;
    {
        std::lock_guard lock(mutex_);
        const auto finished = std::stable_partition(orphans_.begin(), orphans_.end(),
                                                    [](const auto& painter) { return !painter->Finished(); });
        done.assign(std::make_move_iterator(finished), std::make_move_iterator(orphans_.end()));
        orphans_.erase(finished, orphans_.end());
    }
    for (const auto& painter : done)
        painter->Join();
}

// ---- The painter ----

namespace {

QColor backgroundColorOf(TGIFImage& Image)
{
    if (const std::optional<TColor> color = Image.BackgroundColor())
        return QColor(RedOf(*color), GreenOf(*color), BlueOf(*color));
    const TGIFColorMap& map = Image.Header().ColorMap();
    if (map.Count() > 0) {
        const TColor c = map.Colors()[std::min<std::size_t>(Image.Header().BackgroundIndex, map.Colors().size() - 1)];
        return QColor(RedOf(c), GreenOf(c), BlueOf(c));
    }
    return QPalette().color(QPalette::Window);
}

const TGIFAppExtNSLoop* loopBlockOf(const TGIFSubImage& Frame)
{
    for (const auto& extension : Frame.Extensions())
        if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get()))
            return loop;
    return nullptr;
}

} // namespace

TGIFPainter::TGIFPainter(TGIFImage& Image, TGIFCanvas& Canvas, const QRect& Rect, TGIFDrawOptions Options,
                         std::shared_ptr<TGIFClock> Clock)
    : image_(&Image), canvas_(&Canvas), canvasToken_(Canvas.LifeToken()), rect_(Rect), options_(Options),
      clock_(std::move(Clock)), backgroundColor_(backgroundColorOf(Image))
{
    bool restoreBackground = false, restorePrevious = false;
    for (const auto& frame : Image.Images()) {
        frames_.push_back(frame);
        FrameTiming timing;
        timing.empty = frame->Empty();
        if (const TGIFGraphicControlExtension* control = frame->GraphicControlExtension()) {
            timing.hasControl = true;
            timing.delay = control->Delay;
            timing.disposal = control->Disposal();
            restoreBackground |= timing.disposal == dmBackground;
            restorePrevious |= timing.disposal == dmPrevious;
        }
        if (const TGIFAppExtNSLoop* loop = loopBlockOf(*frame))
            timing.loops = loop->Loops;
        timing_.push_back(timing);
    }
    if (restoreBackground && (options_ & GIFDrawOption(doTransparent)))
        background_ = Canvas.Grab(Rect);
    if (restoreBackground || restorePrevious) {
        work_ = Canvas.Grab(Rect);
        spare_ = QImage(Rect.size(), QImage::Format_RGB32);
        spare_.fill(backgroundColor_);
    }
}

TGIFPainter::~TGIFPainter()
{
    Stop();
    Join();
}

void TGIFPainter::Start(int Priority)
{
    if (!OwnThread()) {
        run();
        return;
    }
    thread_.reset(QThread::create([this] { run(); }));
    thread_->start(QThread::Priority(std::clamp(Priority, 0, 6)));
}

void TGIFPainter::Stop()
{
    stop_ = true;
    wake_.Set();
}

void TGIFPainter::Join()
{
    if (!thread_)
        return;
    // A painter still waiting for a call needs the queue drained to get there.
    while (!finished_ && !thread_->isFinished())
        if (TGIFSyncQueue::Instance().Drain() == 0)
            std::this_thread::yield();
    thread_->wait();
    thread_.reset();
}

void TGIFPainter::ForgetImage()
{
    image_ = nullptr;
}

bool TGIFPainter::PaintsOn(const TGIFCanvas& Canvas, const QRect& Rect) const
{
    const std::shared_ptr<const TGIFCanvas> canvas = canvasToken_.lock();
    return canvas.get() == &Canvas && rect_ == Rect;
}

bool TGIFPainter::onCaller(const std::function<void()>& Call)
{
    if (OwnThread())
        TGIFSyncQueue::Instance().Synchronize(this, Call);
    else
        Call();
    return !stop_;
}

void TGIFPainter::fire(const TNotifyEvent& Event)
{
    if (Event)
        onCaller([this, &Event] {
            if (image_) // an image that went has no one to tell
                Event(this);
        });
}

// Waits the pending delay (hundredths; each counts 12 ms) less the time spent since the last
// frame. False when the run is to end.
bool TGIFPainter::waitDelay(int Delay, std::int64_t Since)
{
    const auto left = [&] { return std::int64_t(Delay) * 12 - (clock_->Ticks() - Since); };
    if (OwnThread())
        return !clock_->WaitFor(wake_, std::max<std::int64_t>(left(), 0)) && !stop_;
    std::int64_t remaining = std::max<std::int64_t>(left(), 1);
    while (remaining > 0 && !stop_) {
        clock_->Sleep(100);
        TGIFSyncQueue::Instance().Drain();
        QCoreApplication::processEvents();
        remaining = left();
    }
    return !stop_;
}

void TGIFPainter::run()
{
    try {
        const bool ownThread = OwnThread();
        const bool animate = options_ & GIFDrawOption(doAnimate);
        const bool loopForever = options_ & GIFDrawOption(doLoopForever);
        fire(Events.OnStartPaint);
        int loopCount = 1;
        bool endless = ownThread && loopForever; // never in the caller's thread: Draw would not return
        int firstFrame = 0;
        bool loopSeen = false;
        int delay = ownThread ? 0 : 1;
        int previous = dmNone;
        bool looped = false, ended = false;
        std::int64_t since = clock_->Ticks();
        while ((endless || loopCount > 0) && !stop_ && !ended) {
            if (looped)
                fire(Events.OnLoop);
            looped = true;
            for (int i = firstFrame; i < int(timing_.size()) && !stop_; ++i) {
                const FrameTiming& frame = timing_[std::size_t(i)];
                if (frame.empty)
                    break;
                if (!waitDelay(delay, since)) {
                    ended = true;
                    break;
                }
                since = clock_->Ticks();
                int disposal = dmDoNotDispose;
                if (frame.loops >= 0 && !loopSeen) {
                    // n passes; 0 for ever (in the painter's own thread), else once
                    loopSeen = true;
                    loopCount = std::max(frame.loops, 1);
                    endless |= ownThread && frame.loops == 0;
                    firstFrame = i;
                }
                if (frame.hasControl)
                    disposal = frame.disposal;
                fire(Events.OnPaint);
                onCaller([this, i, disposal, previous] { paint(i, disposal, previous); });
                previous = disposal;
                fire(Events.OnAfterPaint);
                if (!animate) {
                    ended = true;
                    break;
                }
                delay = !frame.hasControl || frame.delay == 0 ? 10 : std::max(frame.delay, 4);
                if (!ownThread)
                    delay = std::min(delay, 1000);
            }
            --loopCount;
        }
    } catch (...) {
        stop_ = true; // a painter gives up quietly; the image stays as it was
    }
    activeImage_ = -1;
    try {
        fire(Events.OnEndPaint);
        onCaller([this] {
            if (image_)
                image_->painterEnded(this);
        });
    } catch (...) {
    }
    finished_ = true;
    // A painter let go while one of its calls ran is joined by the next drain: ask for one.
    if (QCoreApplication* app = OwnThread() ? QCoreApplication::instance() : nullptr)
        QMetaObject::invokeMethod(app, [] { TGIFSyncQueue::Instance().Drain(); }, Qt::QueuedConnection);
}

void TGIFPainter::drawFrame(TGIFSubImage& Frame, QImage& Target)
{
    QPainter painter(&Target);
    Frame.Draw(painter, Target.rect(), options_ & GIFDrawOption(doTransparent));
}

void TGIFPainter::copyToCanvas(const QImage& Source)
{
    QPainter& painter = canvas_->BeginPaint();
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(rect_, Source);
    painter.restore();
    canvas_->EndPaint();
}

// On the user-interface thread.
void TGIFPainter::paint(int Index, int Disposal, int Previous)
{
    if (!image_)
        return;
    TGIFSubImage& frame = *frames_[std::size_t(Index)];
    const bool transparent = options_ & GIFDrawOption(doTransparent);
    // Made first: making them reports progress, and a handler may change the image.
    frame.Bitmap();
    if (transparent)
        frame.Mask();
    if (canvasToken_.expired()) {
        Stop(); // the canvas is gone
        return;
    }
    activeImage_ = Index;
    if (work_.isNull()) {
        QPainter& painter = canvas_->BeginPaint();
        frame.Draw(painter, rect_, transparent);
        canvas_->EndPaint();
    } else if (Disposal == dmNone || Disposal == dmDoNotDispose) {
        drawFrame(frame, work_);
        copyToCanvas(work_);
    } else if (Disposal == dmBackground) {
        drawFrame(frame, work_);
        copyToCanvas(work_);
        const QRect area = frame.TargetRect(work_.rect());
        QPainter painter(&work_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (transparent)
            painter.drawImage(area.topLeft(), background_, area);
        else
            painter.fillRect(area, backgroundColor_);
    } else if (Disposal == dmPrevious && (Previous == dmNone || Previous == dmDoNotDispose)) {
        QPainter& painter = canvas_->BeginPaint();
        frame.Draw(painter, rect_, transparent);
        canvas_->EndPaint();
    } else if (Disposal == dmPrevious && (Previous == dmBackground || Previous == dmPrevious)) {
        spare_ = work_.copy();
        drawFrame(frame, spare_);
        copyToCanvas(spare_);
    }
    painted_ = true;
}
