// TGIFImage's drawing and the image side of its painters.
#include "gifbitmap.h"
#include "gifcanvas.h"
#include "gifimage.h"
#include "gifpainter.h"

#include "imaging/pgcanvas.h"
#include "imaging/pixelgraphic.h"

#include <QPainter>

#include <thread>

namespace {

// Handles the painters' calls while the user-interface thread waits for them.
void handlePendingCalls()
{
    if (TGIFSyncQueue::Instance().Drain() == 0)
        std::this_thread::yield();
}

} // namespace

void TGIFImage::Draw(QPainter& Painter, const QRect& Rect)
{
    TGIFPainterCanvas canvas(Painter);
    Draw(canvas, Rect);
}

void TGIFImage::Draw(TGIFCanvas& Canvas, const QRect& Rect)
{
    if (drawing_ || images_.Count() == 0)
        return;
    drawing_ = true;
    struct Done {
        bool& drawing;
        ~Done() { drawing = false; }
    } done{drawing_};
    if (images_.Count() == 1 || !HasDrawOption(doAnimate)) {
        drawFirstFrame(Canvas, Rect);
        return;
    }
    if (bitmap_ && !HasDrawOption(doDrawOnCanvas)) {
        drawBitmap(Canvas, Rect);
        return;
    }
    animate(Canvas, Rect);
}

void TGIFImage::drawFirstFrame(TGIFCanvas& Canvas, const QRect& Rect)
{
    QPainter& painter = Canvas.BeginPaint();
    images_.Items(0).Draw(painter, Rect, HasDrawOption(doTransparent));
    Canvas.EndPaint();
}

void TGIFImage::drawBitmap(TGIFCanvas& Canvas, const QRect& Rect)
{
    QPainter& painter = Canvas.BeginPaint();
    bitmap_->Draw(painter, Rect);
    Canvas.EndPaint();
}

void TGIFImage::animate(TGIFCanvas& Canvas, const QRect& Rect)
{
    reapPainters();
    if (painter_ && painter_->PaintsOn(Canvas, Rect))
        return;
    stopCurrentPainter();
    const bool onCanvas = HasDrawOption(doDrawOnCanvas);
    TGIFCanvas* target = &Canvas;
    QRect targetRect = Rect;
    if (!onCanvas) {
        // The painter draws into the first-frame bitmap, which starts as what lies under Rect.
        TPixelGraphic* bitmap = Bitmap();
        if (!bitmap)
            return;
        const QImage under = Canvas.Grab(Rect);
        QPainter& painter = bitmap->Canvas().Painter();
        painter.drawImage(QRect(0, 0, bitmap->Width(), bitmap->Height()), under);
        bitmap->FlushCanvas();
        bitmapCanvas_ = std::make_unique<TGIFPixelCanvas>(*bitmap);
        target = bitmapCanvas_.get();
        targetRect = QRect(0, 0, bitmap->Width(), bitmap->Height());
    }
    if (Rect.isEmpty())
        return;
    auto painter = std::make_shared<TGIFPainter>(*this, *target, targetRect, drawOptions_, clock_);
    painter->Events = paintEvents_;
    {
        std::lock_guard lock(paintersMutex_);
        painters_.push_back(painter);
    }
    painter_ = painter;
    painter->Start(threadPriority_); // in the caller's thread the whole run happens here
    if (!painter->OwnThread()) {
        std::lock_guard lock(paintersMutex_);
        std::erase(painters_, painter);
        if (painter_ == painter)
            painter_.reset();
    }
    if (onCanvas)
        return;
    while (painter_ == painter && !painter->Stopping() && !painter->Painted() && !painter->Finished())
        handlePendingCalls();
    if (bitmap_)
        drawBitmap(Canvas, Rect);
}

// ---- Painters ----

void TGIFImage::SetClock(std::shared_ptr<TGIFClock> Clock)
{
    clock_ = Clock ? std::move(Clock) : SystemGIFClock();
}

int TGIFImage::PainterCount() const
{
    std::lock_guard lock(paintersMutex_);
    return int(painters_.size());
}

void TGIFImage::painterEnded(TGIFPainter* Painter)
{
    if (painter_.get() == Painter)
        painter_.reset();
}

// Painters whose run has ended are joined and let go.
void TGIFImage::reapPainters()
{
    std::vector<std::shared_ptr<TGIFPainter>> ended;
    {
        std::lock_guard lock(paintersMutex_);
        for (auto it = painters_.begin(); it != painters_.end();) {
            if ((*it)->OwnThread() && (*it)->Finished()) {
                ended.push_back(std::move(*it));
                it = painters_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const auto& painter : ended) {
        if (painter_ == painter)
            painter_.reset();
        painter->Join();
    }
}

void TGIFImage::stopCurrentPainter()
{
    const std::shared_ptr<TGIFPainter> painter = painter_;
    if (!painter)
        return;
    painter->Stop();
    if (!painter->OwnThread())
        return;
    TGIFSyncQueue& queue = TGIFSyncQueue::Instance();
    while (painter_ == painter && !painter->Finished() && !queue.Running(painter.get())) {
        painter->Stop();
        handlePendingCalls();
    }
    painter->Stop();
    dropBitmap();
}

void TGIFImage::StopPainters()
{
    TGIFSyncQueue& queue = TGIFSyncQueue::Instance();
    for (;;) {
        int running = 0;
        {
            std::lock_guard lock(paintersMutex_);
            for (auto it = painters_.rbegin(); it != painters_.rend(); ++it) {
                (*it)->Stop();
                if ((*it)->OwnThread() && !(*it)->Finished() && !queue.Running(it->get()))
                    ++running;
            }
        }
        if (running == 0)
            break;
        handlePendingCalls();
    }
    std::vector<std::shared_ptr<TGIFPainter>> painters;
    {
        std::lock_guard lock(paintersMutex_);
        painters.swap(painters_);
        for (const auto& painter : painters)
            painter->ForgetImage();
    }
    for (auto& painter : painters) {
        if (painter->OwnThread() && !painter->Finished())
            queue.Adopt(std::move(painter)); // one of its calls runs below us: joined later
        else
            painter->Join(); // a painter in the caller's thread belongs to that Draw
    }
    painter_.reset();
    dropBitmap();
}

void TGIFImage::dropBitmap()
{
    bitmapCanvas_.reset();
    bitmap_.reset();
}
