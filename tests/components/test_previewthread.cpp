#include "fakepicturereader.h"
#include "fifo.h"
#include "fixtures.h"

#include "components/previewthread.h"
#include "imaging/palettes.h"
#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include "tempfolder.h"

#include <QBuffer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(PreviewProgress, NewPercentOnlyOnANewTenthOfASecondOrSixteenth)
{
    PreviewProgressThrottle throttle(1000);
    const struct { int done, total, tick; std::optional<int> posted; } rows[] = {
        {0, 100, 1000, std::nullopt}, // no new percent
        {1, 100, 1010, std::nullopt}, // same tenth, same sixteenth
        {1, 100, 1100, 1},            // a new tenth
        {2, 100, 1150, std::nullopt},
        {16, 100, 1160, 16},          // a new sixteenth within the tenth
        {16, 100, 1300, std::nullopt},
        {50, 0, 2000, std::nullopt},  // nothing to count
        {99, 100, 1305, 99},
        {100, 100, 1306, std::nullopt},
        {100, 100, 1400, 100},
        {3, 4, 1401, 75},             // a new step starts over: a new percent and sixteenth
    };
    for (const auto& r : rows)
        EXPECT_EQ(throttle.Report(r.done, r.total, r.tick), r.posted) << r.done << "/" << r.total << " @" << r.tick;
}

TEST(PreviewReduce, DisplaysOfEightBitsOrFewerGetAPalette)
{
    InitPGraphic();
    const auto trueColor = MakePatternImage(16, 8, bcn24Bit);
    const auto gray = MakePatternImage(16, 8, bcn8Bit); // the 256 grays
    const struct { TPixelGraphic* picture; int displayBits; TPaletteIdent p24, p8; int bits; TPaletteIdent ident; } cases[] = {
        {trueColor.get(), 4, pOptimized252Sys16, pOptimized252Sys16, 4, pSys16},
        {trueColor.get(), 1, pOptimized252Sys16, pOptimized252Sys16, 4, pSys16},
        {trueColor.get(), 8, pSpecial216, pGray16, 8, pSpecial216},
        {gray.get(), 8, pSpecial216, pGray16, 8, pGray16},
    };
    for (const auto& c : cases) {
        const auto reduced = ReduceToDisplay(*c.picture, c.displayBits, c.p24, c.p8);
        ASSERT_TRUE(reduced);
        EXPECT_EQ(reduced->BitCount(), c.bits);
        EXPECT_EQ(reduced->PaletteIdent(), c.ident);
        EXPECT_EQ(reduced->Width(), 16);
    }
    EXPECT_FALSE(ReduceToDisplay(*trueColor, 16, pSpecial216, pGray16)); // deeper displays: as it is
    EXPECT_FALSE(ReduceToDisplay(*trueColor, 24, pSpecial216, pGray16));

    // 252 colours of the picture's own and the 16 system colours last.
    const auto optimised = ReduceToDisplay(*trueColor, 8, pOptimized252Sys16, pSource);
    ASSERT_TRUE(optimised);
    ASSERT_GE(optimised->PaletteCount(), 17);
    ASSERT_LE(optimised->PaletteCount(), 252);
    EXPECT_TRUE(std::equal(optimised->Palette().end() - 16, optimised->Palette().end(), Sys16Palette().begin()));
    const auto source = ReduceToDisplay(*gray, 8, pSpecial216, pSource);
    EXPECT_EQ(source->Palette(), gray->Palette());
    EXPECT_TRUE(SamePixels(*source, *gray));
    DonePGraphic();
}

// What a worker posted, gathered on this thread.
struct Posted {
    explicit Posted(TCreateOpenSaveDialogPaintPGThread& worker)
    {
        QObject::connect(&worker, &TCreateOpenSaveDialogPaintPGThread::InfoRead, &context,
                         [this](std::uint64_t g, const PreviewFileInfo& info) { infos.append({g, info}); });
        QObject::connect(&worker, &TCreateOpenSaveDialogPaintPGThread::Progress, &context,
                         [this](std::uint64_t g, int step, int percent) { progress.append({g, step, percent}); });
        QObject::connect(&worker, &TCreateOpenSaveDialogPaintPGThread::Finished, &context,
                         [this](std::uint64_t g, const PreviewGraphicPtr& graphic) { finished.append({g, graphic}); });
    }
    struct Step {
        std::uint64_t generation;
        int step, percent;
    };
    QObject context;
    QList<std::pair<std::uint64_t, PreviewFileInfo>> infos;
    QList<Step> progress;
    QList<std::pair<std::uint64_t, PreviewGraphicPtr>> finished;
};

class PreviewWorker : public ::testing::Test {
protected:
    void SetUp() override { InitPGraphic(); }
    void TearDown() override { DonePGraphic(); }

    PreviewRequest request(std::uint64_t generation, const QString& file, int displayBits = 24)
    {
        PreviewRequest r;
        r.Generation = generation;
        r.FileName = file;
        r.Registry = file.endsWith(".fak") ? &fake.Registry : nullptr;
        r.BoxWidth = 100;
        r.BoxHeight = 100;
        r.DisplayBits = displayBits;
        return r;
    }
    static bool waitFor(const std::function<bool()>& done, int ms = 5000) { return QTest::qWaitFor(done, ms); }

    TempFolder dir;
    FakeRegistry fake;
    TCreateOpenSaveDialogPaintPGThread worker;
    Posted posted{worker};
};

TEST_F(PreviewWorker, ReadsTheInformationThenFitsTheLoadedPicture)
{
    MakePatternImage(400, 100, bcn24Bit)->SaveToFile(dir.file("wide.bmp"));
    worker.Load(request(1, dir.file("wide.bmp")));
    ASSERT_TRUE(waitFor([&] { return !posted.finished.isEmpty(); }));
    ASSERT_EQ(posted.infos.size(), 1);
    EXPECT_TRUE(posted.infos[0].second.Valid);
    EXPECT_EQ(posted.infos[0].second.Description, "Bitmap");
    EXPECT_EQ(posted.infos[0].second.Info.Width, 400);
    const PreviewGraphicPtr preview = posted.finished[0].second;
    ASSERT_TRUE(preview);
    EXPECT_EQ(QSize(preview->Width(), preview->Height()), QSize(100, 25));
    EXPECT_EQ(preview->BitCount(), 24);
    for (const Posted::Step& s : posted.progress) {
        EXPECT_EQ(s.generation, 1u);
        EXPECT_TRUE(s.step == 1 || s.step == 2) << s.step; // load, fit
    }

    // A small picture keeps its size; an 8-bit display takes a third step.
    WriteFakePicture(dir, "small.fak", "FAKE 30 20 FF0000");
    worker.Load(request(2, dir.file("small.fak"), 8));
    ASSERT_TRUE(waitFor([&] { return posted.finished.size() == 2; }));
    ASSERT_TRUE(posted.finished[1].second);
    EXPECT_EQ(posted.finished[1].second->Width(), 30);
    EXPECT_EQ(posted.finished[1].second->BitCount(), 8);
    EXPECT_EQ(posted.infos[1].second.Info.SubFormat, "plain");
}

// A photo stored on its side shows upright: fitted as it stands, red where its stored top-left
// corner lands. Whether it is fitted or small enough as it is.
TEST_F(PreviewWorker, JpegsStandAsTheirExifOrientationSays)
{
    const struct { int width, height, orientation; QSize preview; QPoint red, gray; } cases[] = {
        {400, 100, 6, {25, 100}, {22, 2}, {2, 2}},
        {40, 20, 8, {20, 40}, {2, 37}, {2, 2}},
    };
    std::uint64_t generation = 0;
    for (const auto& c : cases) {
        TPixelGraphic sideways;
        sideways.Allocate(c.width, c.height, bcn24Bit);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                sideways.SetPixelColor(x, y, x < c.width / 4 && y < c.height / 2 ? 0x0000FF : 0x808080);
        QBuffer stored;
        stored.open(QIODevice::WriteOnly);
        sideways.SaveToStreamAs(stored, "jpg");
        const QString file = dir.write("photo.jpg", WithApp1(stored.data(), ExifOrientationPayload(c.orientation)));
        worker.Load(request(++generation, file));
        ASSERT_TRUE(waitFor([&] { return posted.finished.size() == qsizetype(generation); }));
        EXPECT_EQ(posted.infos.last().second.Info.Orientation, c.orientation);
        const PreviewGraphicPtr preview = posted.finished.last().second;
        ASSERT_TRUE(preview);
        ASSERT_EQ(QSize(preview->Width(), preview->Height()), c.preview);
        EXPECT_GT(RedOf(preview->GetPixelColor(c.red.x(), c.red.y())), 200) << c.orientation;
        EXPECT_LT(RedOf(preview->GetPixelColor(c.gray.x(), c.gray.y())), 160) << c.orientation;
    }
}

TEST_F(PreviewWorker, FilesThatGiveNoPreview)
{
    dir.write("note.bmp", "not a picture at all");
    ASSERT_FALSE(MakeFifo(dir.file("pipe.fak")).isEmpty());
    WriteFakePicture(dir, "empty.fak", "FAKE 0 40 00FF00");
    WriteFakePicture(dir, "broken.fak", "FAKE 40 40 00FF00 0 broken");
    MakePatternImage(40, 40, bcn24Bit)->SaveToFile(dir.file("cut.bmp"));
    QFile::resize(dir.file("cut.bmp"), 600);

    // Without a reader or without a plain file there is no information and nothing is loaded.
    const struct { const char* name; bool info; } files[] = {
        {"note.bmp", false}, {"pipe.fak", false}, {"missing.fak", false}, {"", false},
        {"empty.fak", true}, {"broken.fak", true}, {"cut.bmp", true},
    };
    std::uint64_t generation = 0;
    for (const auto& f : files) {
        const int finishedBefore = int(posted.finished.size());
        worker.Load(request(++generation, f.name[0] ? dir.file(f.name) : dir.path()));
        ASSERT_TRUE(waitFor([&] { return posted.infos.size() == qsizetype(generation); })) << f.name;
        EXPECT_EQ(posted.infos.last().second.Valid, f.info) << f.name;
        if (f.info) {
            // Loaded and found wanting: an empty preview, so the clock goes.
            ASSERT_TRUE(waitFor([&] { return posted.finished.size() > finishedBefore; })) << f.name;
            EXPECT_FALSE(posted.finished.last().second) << f.name;
        }
    }
    QTest::qWait(50);
    EXPECT_EQ(posted.finished.size(), 3);
    EXPECT_EQ(fake.Reader->LoadsStarted, 2);
}

} // namespace
