#pragma once
// Animation of a GIF image: TGIFPainter walks the frames onto a canvas rectangle, waits their
// delays, honours the loop block and the frames' disposal methods and fires its events.
//
// On its own thread a painter only keeps time; reading frames, drawing and firing events run
// on the user-interface thread through TGIFSyncQueue. The image stops and joins its painters
// before it is destroyed or cleared.

#include "gifimage.h"

#include "imaging/pgobject.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QThread;
class TGIFCanvas;

// Set to wake a waiting painter.
class TGIFWakeEvent {
public:
    void Set();
    bool IsSet() const;
    // Waits up to Ms milliseconds; true when set.
    bool WaitFor(std::int64_t Ms);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
};

// Time as painters see it; tests give their own.
class TGIFClock {
public:
    virtual ~TGIFClock() = default;
    // Milliseconds from some start.
    virtual std::int64_t Ticks() = 0;
    // Waits up to Ms milliseconds or until Wake is set: true when woken.
    virtual bool WaitFor(TGIFWakeEvent& Wake, std::int64_t Ms) = 0;
    // A pause of the caller-thread mode between rounds of event handling.
    virtual void Sleep(std::int64_t Ms) = 0;
};
// The steady clock.
std::shared_ptr<TGIFClock> SystemGIFClock();

// Calls from other threads, run on the user-interface thread: by its event loop, and inside
// the image's waits for its painters (so that neither side waits on the other).
class TGIFSyncQueue {
public:
    static TGIFSyncQueue& Instance();
    // On the user-interface thread (or with no application): runs Call now. Elsewhere: queues
    // it and waits until it has run.
    // A call that raises on the user-interface thread raises in the caller.
    void Synchronize(const void* Owner, const std::function<void()>& Call);
    // Runs the calls waiting when it is called (user-interface thread only); how many ran.
    int Drain();
    static bool OnUserInterfaceThread();
    // True while a call of Owner runs below the caller (user-interface thread).
    bool Running(const void* Owner) const;
    // Keeps a painter that was told to stop while one of its calls ran below the one stopping
    // it; Drain joins it once it has finished.
    void Adopt(std::shared_ptr<TGIFPainter> Painter);

private:
    struct Entry {
        const void* owner;
        std::function<void()> call;
        std::exception_ptr failure;
        bool done = false;
    };
    void reapOrphans();

    mutable std::mutex mutex_;
    std::condition_variable finished_;
    std::deque<Entry*> waiting_;
    std::vector<const void*> running_; // owners of the calls running, innermost last
    std::vector<std::shared_ptr<TGIFPainter>> orphans_;
};

class TGIFPainter : public PGObject {
public:
    // On the user-interface thread, by TGIFImage::Draw: the frames' timing and disposals are
    // read now; the work bitmaps are taken from the canvas when disposals need them.
    TGIFPainter(TGIFImage& Image, TGIFCanvas& Canvas, const QRect& Rect, TGIFDrawOptions Options,
                std::shared_ptr<TGIFClock> Clock);
    // Joins the thread (stop it first).
    ~TGIFPainter() override;

    // Own-thread mode: starts the thread at the priority given (0 idle ... 6 time critical).
    // Caller-thread mode: runs the whole animation here.
    void Start(int Priority);
    // Asks the painter to end; a waiting painter wakes at once.
    void Stop();
    bool Stopping() const { return stop_; }
    // The run has ended (its thread is done with everything but returning).
    bool Finished() const { return finished_; }
    // Waits for the thread (after Finished).
    void Join();
    // The image goes: the painter no longer reaches it.
    void ForgetImage();

    bool OwnThread() const { return options_ & GIFDrawOption(doOwnThread); }
    bool Painted() const { return painted_; }
    // The frame shown, -1 when none.
    int ActiveImage() const { return activeImage_; }
    bool PaintsOn(const TGIFCanvas& Canvas, const QRect& Rect) const;

    // Its events (the image's, copied when it is made).
    TGIFPaintEvents Events;

private:
    struct FrameTiming {
        bool hasControl = false;
        int delay = 0;     // hundredths of a second
        int disposal = 1;
        int loops = -1;    // the loop block's count, -1 without one
        bool empty = false;
    };

    void run();
    void fire(const TNotifyEvent& Event);
    bool waitDelay(int Delay, std::int64_t Since);
    void paint(int Index, int Disposal, int Previous);
    void drawFrame(TGIFSubImage& Frame, QImage& Target);
    void copyToCanvas(const QImage& Source);
    bool onCaller(const std::function<void()>& Call);

    TGIFImage* image_;
    TGIFCanvas* canvas_;
    std::weak_ptr<const TGIFCanvas> canvasToken_;
    QRect rect_;
    TGIFDrawOptions options_;
    std::shared_ptr<TGIFClock> clock_;
    std::vector<std::shared_ptr<TGIFSubImage>> frames_;
    std::vector<FrameTiming> timing_;
    QImage background_, work_, spare_;
    QColor backgroundColor_;
    TGIFWakeEvent wake_;
    std::unique_ptr<QThread> thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> painted_{false};
    std::atomic<int> activeImage_{-1};
};
