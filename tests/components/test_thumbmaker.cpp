#include "components/thumbmaker.h"
#include "components/thumbpool.h"

#include "fakes.h"
#include "fifo.h"
#include "fixtures.h"
#include "imaging/pglibrary.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "tempfolder.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <condition_variable>
#include <functional>
#include <mutex>

namespace {

class ThumbMaker : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitPGraphic();
        PixelGraphicPrompts = &prompts;
    }
    void TearDown() override
    {
        PixelGraphicPrompts = nullptr;
        DonePGraphic();
    }
    platform::ScriptedPromptService prompts;
};

QByteArray encoded(int width, int height, const char* extension)
{
    auto image = MakePatternImage(width, height, bcn24Bit);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image->SaveToStreamAs(buffer, extension);
    return buffer.data();
}

QByteArray jpegOf(int width, int height)
{
    return encoded(width, height, "jpg");
}

QByteArray bmpOf(int width, int height)
{
    return encoded(width, height, "bmp");
}

TEST_F(ThumbMaker, FitThumbnailRect)
{
    const struct { int w, h, bw, bh; QRect fitted; } cases[] = {
        {4000, 3000, 90, 75, {0, 4, 90, 68}},   // 67.5 rounds to 68; 3.5 to 4
        {3000, 4000, 90, 75, {17, 0, 56, 75}},  // 56.25; (90 - 56) / 2 = 17
        {90, 75, 90, 75, {0, 0, 90, 75}},
        {10, 10, 90, 75, {8, 0, 75, 75}},       // enlarged; 7.5 rounds to 8
        {89, 75, 90, 75, {0, 0, 89, 75}},       // one pixel short: not moved
        {10000, 1, 90, 75, {0, 37, 90, 1}},     // never below 1
        {5, 2, 90, 75, {0, 20, 90, 36}},        // (75 - 36) / 2 = 19.5 rounds to 20
    };
    for (const auto& c : cases) {
        const std::optional<QRect> r = FitThumbnailRect(c.w, c.h, c.bw, c.bh);
        ASSERT_TRUE(r) << c.w << "x" << c.h;
        EXPECT_EQ(*r, c.fitted) << c.w << "x" << c.h;
    }
    EXPECT_EQ(FitThumbnailRect(4000, 3000, 90, 75, 7, 9), QRect(7, 13, 90, 68));
    EXPECT_FALSE(FitThumbnailRect(0, 0, 90, 75));
    EXPECT_FALSE(FitThumbnailRect(40, 30, 0, 75));
    EXPECT_FALSE(FitThumbnailRect(40, 30, 90, 0));
}

TEST_F(ThumbMaker, JpegsAreDecodedReducedAndOthersThroughTheRegistry)
{
    TempFolder folder;
    const std::atomic<bool> going{false};
    const struct { QString name; QByteArray data; int maxScale; int width, height; } cases[] = {
        {"big.jpg", jpegOf(800, 600), 8, 100, 75},   // 1/8 still covers 90 x 75
        {"full.jpg", jpegOf(800, 600), 1, 800, 600},
        {"named.bmp", jpegOf(720, 600), 8, 90, 75},  // the signature decides
        {"bitmap.jpg", bmpOf(30, 20), 8, 30, 20},    // not a JPEG: the registry's reader
    };
    for (const auto& c : cases) {
        TPixelGraphic source;
        LoadThumbnailSource(folder.write(c.name, c.data), source, 90, 75, c.maxScale, going);
        EXPECT_EQ(QSize(source.Width(), source.Height()), QSize(c.width, c.height)) << c.name.toStdString();
    }
    // The thumbnail is the fitted size, twice that for the half-size box.
    ThumbRequest request{folder.file("big.jpg"), 90, 75, 1, 90, 75, 8};
    ThumbResult result = LoadThumbnail(request, going);
    ASSERT_TRUE(result.thumbnail) << result.failure.toStdString();
    EXPECT_EQ(result.picture.size(), QSize(90, 68));
    request = {folder.file("big.jpg"), 45, 37, 2, 90, 75, 8};
    result = LoadThumbnail(request, going);
    EXPECT_EQ(result.picture.size(), QSize(90, 68));
}

// The grid's thumbnail of a phone's portrait photo stands upright: stored 128 x 64 on its side
// with red in its stored top-left corner, tagged to be turned a quarter round clockwise.
TEST_F(ThumbMaker, JpegsStandAsTheirExifOrientationSays)
{
    TempFolder folder;
    TPixelGraphic sideways;
    sideways.Allocate(128, 64, bcn24Bit);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            sideways.SetPixelColor(x, y, x < 32 && y < 32 ? 0x0000FF : 0x808080);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    sideways.SaveToStreamAs(buffer, "jpg");
    const QString path = folder.write("portrait.jpg", WithApp1(buffer.data(), ExifOrientationPayload(6)));
    const std::atomic<bool> going{false};
    const ThumbResult result = LoadThumbnail({path, 32, 64, 1, 32, 64, 8}, going);
    ASSERT_TRUE(result.thumbnail) << result.failure.toStdString();
    ASSERT_EQ(result.picture.size(), QSize(32, 64));
    EXPECT_GT(qRed(result.picture.pixel(28, 3)), 200); // top right
    EXPECT_LT(qRed(result.picture.pixel(3, 3)), 160);
}

TEST_F(ThumbMaker, DamagedFilesFailQuietly)
{
    TempFolder folder;
    const QByteArray good = jpegOf(320, 240);
    const QByteArray huge = ProgressiveJpegClaiming(60000, 60000);
    folder.mkdir("folder.jpg");
    const struct { QString name; QByteArray data; bool made; } cases[] = {
        {"garbage.jpg", QByteArray(300, 'x'), false},
        {"empty.jpg", QByteArray(), false},
        {"soi_only.jpg", QByteArray::fromHex("FFD8"), false},
        {"huge.jpg", huge.left(huge.indexOf(QByteArray::fromHex("FFDA"))), false},
        {"cut_bitmap.bmp", bmpOf(30, 20).left(80), false},
        {"cut.jpg", good.left(good.size() / 2), true}, // used as decoded
    };
    for (const auto& c : cases) {
        const std::atomic<bool> going{false};
        const ThumbResult result = LoadThumbnail({folder.write(c.name, c.data), 90, 75, 1, 90, 75, 8}, going);
        EXPECT_EQ(bool(result.thumbnail), c.made) << c.name.toStdString() << ": " << result.failure.toStdString();
        EXPECT_EQ(result.failure.isEmpty(), c.made) << c.name.toStdString();
    }
    const QString pipe = MakeFifo(folder.file("pipe.jpg"));
    for (const QString& name : {QString("folder.jpg"), QString("missing.jpg"), QString("pipe.jpg")}) {
        const std::atomic<bool> going{false};
        ThumbResult result;
        EXPECT_TRUE(ReturnsWithoutWaitingOn(pipe, [&] { result = LoadThumbnail({folder.file(name), 90, 75, 1, 90, 75, 8}, going); }));
        EXPECT_FALSE(result.thumbnail) << name.toStdString();
        EXPECT_FALSE(result.failure.isEmpty()) << name.toStdString();
    }
    EXPECT_TRUE(prompts.calls().isEmpty());

    // A cancelled load reports nothing to use.
    const std::atomic<bool> cancelled{true};
    const ThumbResult result = LoadThumbnail({folder.write("ok.jpg", good), 90, 75, 1, 90, 75, 8}, cancelled);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.thumbnail);
}

// The source is loaded with warnings raised, yet a GIF that the model reads with warnings gives
// its thumbnail, not an error text.
TEST_F(ThumbMaker, GifsReadWithWarningsGiveTheirThumbnails)
{
    TempFolder folder;
    const std::atomic<bool> going{false};
    for (const GifWithWarnings& c : GifsWithWarnings()) {
        const ThumbResult result = LoadThumbnail({folder.write(c.name, c.data), 90, 75, 1, 90, 75, 8}, going);
        ASSERT_TRUE(result.thumbnail) << c.name.toStdString() << ": " << result.failure.toStdString();
        EXPECT_EQ(result.failure, "") << c.name.toStdString();
        EXPECT_EQ(result.picture.size(), FitThumbnailRect(c.width, c.height, 90, 75)->size()) << c.name.toStdString();
    }
    EXPECT_TRUE(prompts.calls().isEmpty());
}

// A job that waits until it is let go.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    QStringList started;
    void pass(const QString& name)
    {
        std::unique_lock lock(mutex);
        started << name;
        changed.notify_all();
        changed.wait(lock, [this] { return open; });
    }
    void release()
    {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    bool waitStarted(int count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return started.size() >= count; });
    }
};

TEST_F(ThumbMaker, PoolTakesUrgentJobsFirstAndDropsOnRequest)
{
    Gate gate;
    ThumbPool pool(1);
    EXPECT_EQ(ThumbPool(9).ThreadCount(), 4);
    pool.SetWork([&](const ThumbRequest& request, const std::atomic<bool>&) {
        gate.pass(request.path);
        ThumbResult result;
        result.failure = request.path;
        return result;
    });
    QSignalSpy finished(&pool, &ThumbPool::Finished);
    pool.Submit(1, {"first"}, 1);
    ASSERT_TRUE(gate.waitStarted(1));
    pool.Submit(2, {"ahead"}, 1);
    pool.Submit(3, {"dropped"}, 1);
    pool.Submit(4, {"later"}, 1);
    pool.Submit(5, {"visible"}, 0);
    pool.Promote(4, 0);
    EXPECT_EQ(pool.Drop([](int id) { return id == 3; }), std::vector<int>{3});
    gate.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 4; }, 10000));
    EXPECT_EQ(gate.started, QStringList({"first", "later", "visible", "ahead"}));
    QList<int> ids;
    for (const auto& call : finished)
        ids << call.at(0).toInt();
    EXPECT_EQ(ids, QList<int>({1, 4, 5, 2}));
}

TEST_F(ThumbMaker, CancelledJobsReportNothing)
{
    Gate gate;
    ThumbPool pool(1);
    pool.SetWork([&](const ThumbRequest& request, const std::atomic<bool>& cancelled) {
        gate.pass(request.path);
        ThumbResult result;
        result.cancelled = cancelled.load();
        return result;
    });
    QSignalSpy finished(&pool, &ThumbPool::Finished);
    pool.Submit(1, {"running"}, 0);
    pool.Submit(2, {"waiting"}, 0);
    ASSERT_TRUE(gate.waitStarted(1));
    pool.CancelAll();
    EXPECT_EQ(pool.Waiting(), 0);
    gate.release();
    pool.Submit(3, {"after"}, 0);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), 3);
}

// How far resident memory rose above where it stood while Work ran.
double peakMegabytesDuring(const std::function<void()>& Work)
{
    ResetPeakMemory();
    const double before = ResidentMegabytes();
    Work();
    return PeakResidentMegabytes() - before;
}

// A few hundred bytes that claim a picture of gigabytes cost little: refused at once, or (the
// GIF, whose screen is all it says) given their thumbnail with the frame held once per step.
TEST_F(ThumbMaker, FilesThatClaimMoreThanTheyHoldCostLittle)
{
    TempFolder folder;
    const QByteArray noData = BaselineJpegWithoutData(65500, 65500);
    const char* const early = "JPG: Premature end of JPEG file";
    const struct { const char* name; QByteArray data; const char* failure; double seconds, megabytes; } cases[] = {
        {"baseline_without_data.jpg", noData, early, 0.5, 30},
        {"turned_without_data.jpg", WithApp1(noData, ExifOrientationPayload(6)), early, 0.5, 30},
        {"one_empty_scan.jpg", GrayProgressiveJpegOfScans(23000, 23000, 1, true), early, 0.5, 30},
        {"empty_scans.jpg", GrayProgressiveJpegOfScans(23000, 23000, 1000, true), early, 0.5, 30},
        {"endless_scans.jpg", GrayProgressiveJpegOfScans(4000, 4000, 150, false), "JPG: Scan count invalid", 5, 80},
        {"shared_strips.tif", TiffOfSharedStrips(18000, 18000), "TIFF: Unexpected end of file", 0.5, 30},
        {"empty_frame.gif", GifOfEmptyFrame(8000, 8000), "", 5, 64 * 1.5}, // a 64 MB screen
    };
    for (const auto& c : cases) {
        const QString path = folder.write(c.name, c.data);
        const std::atomic<bool> going{false};
        ThumbResult result;
        QElapsedTimer clock;
        clock.start();
        const double megabytes = peakMegabytesDuring([&] { result = LoadThumbnail({path, 90, 75, 1, 90, 75, 8}, going); });
        const double seconds = clock.elapsed() / 1000.0;
        EXPECT_EQ(result.failure, c.failure) << c.name;
        EXPECT_EQ(bool(result.thumbnail), !*c.failure) << c.name;
        EXPECT_LT(seconds, c.seconds) << c.name;
        EXPECT_LT(megabytes, c.megabytes) << c.name;
    }
}

// A grid closed while a worker reads the scans of a huge progressive file does not wait for it.
TEST_F(ThumbMaker, ClosingThePoolStopsAProgressiveDecodeInItsScans)
{
    TempFolder folder;
    const QString path = folder.write("scans.jpg", GrayProgressiveJpegOfScans(12000, 12000, 90, false));
    std::atomic<bool> started{false};
    QElapsedTimer clock;
    {
        ThumbPool pool(1);
        pool.SetWork([&](const ThumbRequest& request, const std::atomic<bool>& cancelled) {
            started = true;
            return LoadThumbnail(request, cancelled);
        });
        pool.Submit(1, {path, 90, 75, 1, 90, 75, 8}, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, 5000));
        QTest::qWait(200); // inside the scans: the whole decode takes seconds
        clock.start();
    }
    EXPECT_LT(clock.elapsed(), 500);
}

// Pictures that are merely large still get their thumbnails.
TEST_F(ThumbMaker, LargeRealPicturesGetTheirThumbnails)
{
    TempFolder folder;
    SaveOptions progressive = CurrentSaveOptions();
    progressive.JPEGProgressive = true;
    const struct { const char* name; int width, height; const char* extension; SaveOptions options; } cases[] = {
        {"baseline.jpg", 12000, 9000, "jpg", CurrentSaveOptions()},
        {"progressive.jpg", 6000, 4000, "jpg", progressive},
        {"large.png", 10000, 10000, "png", CurrentSaveOptions()},
    };
    for (const auto& c : cases) {
        QString path;
        {
            QBuffer bytes;
            bytes.open(QIODevice::WriteOnly);
            MakePatternImage(c.width, c.height, bcn24Bit)->SaveToStreamAs(bytes, c.extension, c.options);
            path = folder.write(c.name, bytes.data());
        }
        const std::atomic<bool> going{false};
        const ThumbResult result = LoadThumbnail({path, 90, 75, 1, 90, 75, 8}, going);
        ASSERT_TRUE(result.thumbnail) << c.name << ": " << result.failure.toStdString();
        EXPECT_EQ(result.picture.size(), FitThumbnailRect(c.width, c.height, 90, 75)->size()) << c.name;
        EXPECT_GT(result.picture.pixelColor(45, 37).valueF() + result.picture.pixelColor(10, 10).valueF(), 0.1) << c.name;
    }
}

} // namespace
