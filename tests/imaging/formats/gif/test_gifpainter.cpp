// Animation: delays, loops, disposals, events and stopping, with a clock of the test's own.
#include "fixtures.h"
#include "tests/imaging/imagingtest.h"

#include "imaging/formats/gif/gifcanvas.h"
#include "imaging/formats/gif/gifimage.h"
#include "imaging/formats/gif/gifpainter.h"

#include <QPainter>
#include <QTest>

#include <mutex>

namespace {

using Pixels = std::vector<std::uint8_t>;

constexpr TColor kBlack = RGBColor(0, 0, 0), kRed = RGBColor(255, 0, 0), kGreen = RGBColor(0, 255, 0),
                 kBlue = RGBColor(0, 0, 255);

// Virtual milliseconds: every wait passes at once and is noted.
class FakeClock : public TGIFClock {
public:
    std::int64_t Ticks() override
    {
        std::lock_guard lock(mutex_);
        return now_;
    }
    bool WaitFor(TGIFWakeEvent& Wake, std::int64_t Ms) override
    {
        if (Wake.IsSet())
            return true;
        std::lock_guard lock(mutex_);
        waits_.push_back(Ms);
        now_ += Ms;
        return false;
    }
    void Sleep(std::int64_t Ms) override
    {
        std::lock_guard lock(mutex_);
        sleeps_.push_back(Ms);
        now_ += Ms;
    }
    std::vector<std::int64_t> Waits()
    {
        std::lock_guard lock(mutex_);
        return waits_;
    }
    std::vector<std::int64_t> Sleeps()
    {
        std::lock_guard lock(mutex_);
        return sleeps_;
    }

private:
    std::mutex mutex_;
    std::int64_t now_ = 5000;
    std::vector<std::int64_t> waits_, sleeps_;
};

class GifPainter : public LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        gif.SetClock(clock);
        gif.SetPalette({kBlack, kRed, kGreen, kBlue});
        gif.Header().ScreenWidth = 4;
        gif.Header().ScreenHeight = 1;
        TGIFPaintEvents& events = gif.PaintEvents();
        events.OnStartPaint = [this](PGObject*) { note("start"); };
        events.OnLoop = [this](PGObject*) { note("loop"); };
        events.OnPaint = [this](PGObject*) { note("paint"); };
        events.OnAfterPaint = [this](PGObject* sender) {
            note(QString("after %1").arg(static_cast<TGIFPainter*>(sender)->ActiveImage()));
            if (afterPaint)
                afterPaint(static_cast<TGIFPainter*>(sender));
        };
        events.OnEndPaint = [this](PGObject*) { note("end"); };
    }
    // A frame of one colour index; a graphic control block when a delay or disposal is given.
    TGIFSubImage& addFrame(QRect bounds, std::uint8_t index, std::optional<int> delay, int disposal = dmDoNotDispose)
    {
        auto frame = std::make_shared<TGIFSubImage>(&gif);
        frame->Left = std::uint16_t(bounds.left());
        frame->Top = std::uint16_t(bounds.top());
        frame->SetSize(std::uint16_t(bounds.width()), std::uint16_t(bounds.height()));
        std::fill_n(frame->Data(), bounds.width() * bounds.height(), index);
        if (delay) {
            auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
            control->Delay = std::uint16_t(*delay);
            control->SetDisposal(disposal);
            frame->Extensions().Add(std::move(control));
        }
        gif.Images().Add(frame);
        return *frame;
    }
    void addLoopBlock(TGIFSubImage& frame, int loops)
    {
        auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
        loop->Loops = std::uint16_t(loops);
        frame.Extensions().Add(std::move(loop));
    }
    void setOption(TGIFDrawOption option, bool on)
    {
        gif.SetDrawOptions(on ? gif.DrawOptions() | GIFDrawOption(option) : gif.DrawOptions() & ~GIFDrawOption(option));
    }
    void note(const QString& event)
    {
        std::lock_guard lock(eventsMutex);
        events << event;
    }
    bool waitForPainters() { return QTest::qWaitFor([this] { return gif.Painter() == nullptr; }, 10000); }
    QString row(const QImage& image) const
    {
        QString colors;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, 0);
            colors += c == qRgb(255, 0, 0) ? 'R' : c == qRgb(0, 255, 0) ? 'G' : c == qRgb(0, 0, 255) ? 'B'
                    : c == qRgb(0, 0, 0)   ? 'K' : c == qRgb(255, 255, 255) ? 'W' : '?';
        }
        return colors;
    }

    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    TGIFImage gif;
    std::mutex eventsMutex;
    QStringList events;
    std::function<void(TGIFPainter*)> afterPaint;
};

TEST_F(GifPainter, DelaysAndLoopsOnItsOwnThread)
{
    // 1 and 2 hundredths play as 4, 0 and no control block as 10; each hundredth is 12 ms.
    TGIFSubImage& first = addFrame(QRect(0, 0, 4, 1), 1, 1);
    addLoopBlock(first, 2);
    addFrame(QRect(0, 0, 4, 1), 2, 2);
    addFrame(QRect(0, 0, 4, 1), 3, 0);
    addFrame(QRect(0, 0, 4, 1), 1, std::nullopt);
    setOption(doDrawOnCanvas, true);
    QImage target(4, 1, QImage::Format_RGB32);
    TGIFImageCanvas canvas(target);
    gif.Draw(canvas, target.rect());
    ASSERT_TRUE(waitForPainters());
    EXPECT_EQ(clock->Waits(), std::vector<std::int64_t>({0, 48, 48, 120, 120, 48, 48, 120}));
    EXPECT_EQ(events, QStringList({"start", "paint", "after 0", "paint", "after 1", "paint", "after 2", "paint", "after 3",
                                   "loop", "paint", "after 0", "paint", "after 1", "paint", "after 2", "paint", "after 3",
                                   "end"}));
    EXPECT_EQ(row(target), "RRRR"); // the last frame stays
    EXPECT_EQ(gif.PainterCount(), 1); // ended, let go by the next draw or stop
    gif.StopPainters();
    EXPECT_EQ(gif.PainterCount(), 0);
}

TEST_F(GifPainter, LoopCount0PlaysUntilStopped)
{
    TGIFSubImage& first = addFrame(QRect(0, 0, 4, 1), 1, 3);
    addLoopBlock(first, 0);
    addFrame(QRect(0, 0, 4, 1), 2, 3);
    setOption(doDrawOnCanvas, true);
    int paints = 0;
    afterPaint = [&](TGIFPainter* painter) {
        if (++paints == 9)
            painter->Stop();
    };
    QImage target(4, 1, QImage::Format_RGB32);
    TGIFImageCanvas canvas(target);
    gif.Draw(canvas, target.rect());
    ASSERT_TRUE(waitForPainters());
    EXPECT_EQ(paints, 9);
    EXPECT_EQ(events.count("loop"), 4);
    EXPECT_EQ(events.last(), "end");

    // With the loop-for-ever option a counted loop block plays on as well; stopping all painters
    // ends it from outside.
    first.Extensions().Clear();
    addLoopBlock(first, 3);
    setOption(doLoopForever, true);
    paints = 0;
    afterPaint = {};
    gif.Draw(canvas, target.rect());
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.count("after 1") > 6; }, 10000));
    gif.StopPainters();
    EXPECT_EQ(gif.Painter(), nullptr);
    EXPECT_EQ(gif.PainterCount(), 0);
}

TEST_F(GifPainter, InTheCallersThreadDrawPlaysTheWholeAnimation)
{
    addFrame(QRect(0, 0, 4, 1), 1, 2000); // cut to 1000 hundredths here
    addFrame(QRect(0, 0, 4, 1), 2, 1);
    setOption(doOwnThread, false);
    setOption(doDrawOnCanvas, true);
    QImage target(4, 1, QImage::Format_RGB32);
    TGIFImageCanvas canvas(target);
    gif.Draw(canvas, target.rect());
    // The first delay is 1 ms, so one round of 100 ms; then 12,000 ms in rounds of 100.
    EXPECT_EQ(clock->Sleeps(), std::vector<std::int64_t>(121, 100));
    EXPECT_TRUE(clock->Waits().empty());
    EXPECT_EQ(events.first(), "start");
    EXPECT_EQ(events.last(), "end");
    EXPECT_EQ(row(target), "GGGG");
    EXPECT_EQ(gif.Painter(), nullptr);
    EXPECT_EQ(gif.PainterCount(), 0);
}

TEST_F(GifPainter, WithoutTheAnimateOptionOnlyTheFirstFramePaints)
{
    addFrame(QRect(0, 0, 4, 1), 1, 5);
    addFrame(QRect(0, 0, 4, 1), 2, 5);
    QImage target(4, 1, QImage::Format_RGB32);
    TGIFImageCanvas canvas(target);
    TGIFPainter painter(gif, canvas, target.rect(), GIFDrawOption(doTransparent), clock);
    painter.Events = gif.PaintEvents();
    painter.Start(3);
    EXPECT_EQ(events, QStringList({"start", "paint", "after 0", "end"}));
    EXPECT_EQ(row(target), "RRRR");
    EXPECT_TRUE(painter.Painted());
    EXPECT_EQ(painter.ActiveImage(), -1);
}

TEST_F(GifPainter, Disposals)
{
    // Frame by frame: what the canvas shows after it (K: the background, black here; W: the
    // canvas as it was, which transparent drawing restores instead).
    addFrame(QRect(0, 0, 4, 1), 1, 1, dmDoNotDispose);
    addFrame(QRect(1, 0, 1, 1), 2, 1, dmBackground);
    addFrame(QRect(2, 0, 1, 1), 3, 1, dmPrevious); // after restoring to the background
    addFrame(QRect(3, 0, 1, 1), 2, 1, dmPrevious); // after restoring to the previous
    addFrame(QRect(0, 0, 1, 1), 3, 1, dmDoNotDispose);
    addFrame(QRect(3, 0, 1, 1), 3, 1, dmPrevious); // after one kept: straight onto the canvas
    addFrame(QRect(1, 0, 1, 1), 1, 1, dmNone);
    setOption(doOwnThread, false);
    setOption(doDrawOnCanvas, true);
    for (bool transparent : {false, true}) {
        setOption(doTransparent, transparent);
        QImage target(4, 1, QImage::Format_RGB32);
        target.fill(Qt::white);
        TGIFImageCanvas canvas(target);
        QStringList shown;
        afterPaint = [&](TGIFPainter*) { shown << row(target); };
        gif.Draw(canvas, target.rect());
        const QString background = transparent ? "W" : "K";
        EXPECT_EQ(shown, QStringList({"RRRR", "RGRR", "R" + background + "BR", "R" + background + "RG", "B" + background + "RR",
                                      "B" + background + "RB", "BRRR"}))
            << "transparent " << transparent;
    }
}

TEST_F(GifPainter, ThroughTheFirstFrameBitmap)
{
    // Without drawing on the canvas, the painter animates the first-frame bitmap and Draw shows
    // that bitmap once the first frame is in it; later draws show it as it is then.
    addFrame(QRect(0, 0, 4, 1), 1, 5);
    addFrame(QRect(0, 0, 2, 1), 3, 5);
    QImage target(8, 2, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        TGIFImageCanvas canvas(target);
        gif.Draw(canvas, target.rect());
    }
    EXPECT_EQ(row(target), "RRRRRRRR");
    ASSERT_NE(gif.Bitmap(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.contains("after 1") || events.contains("end"); }, 10000));
    {
        TGIFImageCanvas canvas(target);
        gif.Draw(canvas, target.rect());
    }
    EXPECT_EQ(row(target), "BBBBRRRR");
    gif.StopPainters();
    EXPECT_EQ(gif.Bitmap()->GetPixel(0, 0), 1u); // made again, from the first frame
}

TEST_F(GifPainter, APainterWhoseCanvasIsGoneStops)
{
    addFrame(QRect(0, 0, 4, 1), 1, 5);
    addFrame(QRect(0, 0, 4, 1), 2, 5);
    setOption(doDrawOnCanvas, true);
    bool painted = true;
    gif.PaintEvents().OnEndPaint = [&](PGObject* sender) { painted = static_cast<TGIFPainter*>(sender)->Painted(); };
    QImage target(4, 1, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        gif.Draw(painter, target.rect()); // the canvas lives as long as this call
    }
    ASSERT_TRUE(waitForPainters());
    EXPECT_FALSE(painted);
    EXPECT_EQ(row(target), "WWWW");
}

TEST_F(GifPainter, ClearingOrDestroyingTheImageStopsItsPainters)
{
    TGIFSubImage& first = addFrame(QRect(0, 0, 4, 1), 1, 5);
    addLoopBlock(first, 0);
    addFrame(QRect(0, 0, 4, 1), 2, 5);
    setOption(doDrawOnCanvas, true);
    QImage target(4, 1, QImage::Format_RGB32);
    TGIFImageCanvas canvas(target);

    // From one of the painter's own events.
    int paints = 0;
    afterPaint = [&](TGIFPainter*) {
        if (++paints == 3)
            gif.Clear();
    };
    gif.Draw(canvas, target.rect());
    ASSERT_TRUE(QTest::qWaitFor([&] { return gif.Empty(); }, 10000));
    EXPECT_EQ(gif.PainterCount(), 0);
    EXPECT_EQ(paints, 3);

    // From outside, while it plays: the image goes with its painters.
    auto other = std::make_unique<TGIFImage>();
    other->SetClock(clock);
    other->SetDrawOptions(gif.DrawOptions());
    for (int i = 0; i < 2; ++i) {
        auto frame = std::make_shared<TGIFSubImage>(other.get());
        frame->SetSize(4, 1);
        frame->Extensions().Add(std::make_unique<TGIFAppExtNSLoop>(frame.get())); // for ever
        other->Images().Add(frame);
    }
    other->Draw(canvas, target.rect());
    ASSERT_NE(other->Painter(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return other->Painter()->Painted(); }, 10000));
    other.reset();
}

} // namespace
