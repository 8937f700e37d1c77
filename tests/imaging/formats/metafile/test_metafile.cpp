#include "hostilemetafiles.h"
#include "metafiletest.h"
#include "tests/imaging/imagingtest.h"
#include "imaging/fileformats.h"
#include "imaging/formats/metafile/metafileformat.h"
#include "imaging/pgcanvas.h"
#include "imaging/pgsettings.h"
#include "platform/prompts.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <functional>
#include <ranges>
#include <string_view>

namespace {

class Metafile : public LibraryTest {};

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kRed = RGBColor(255, 0, 0);
constexpr TColor kGreen = RGBColor(0, 255, 0);
constexpr TColor kBlue = RGBColor(0, 0, 255);

// Windows metafile functions the tests write.
enum : std::uint16_t {
    wSaveDC = 0x001E,
    wSetMapMode = 0x0103,
    wRestoreDC = 0x0127,
    wSelectObject = 0x012D,
    wDeleteObject = 0x01F0,
    wSetWindowOrg = 0x020B,
    wSetWindowExt = 0x020C,
    wSetViewportExt = 0x020E,
    wCreatePen = 0x02FA,
    wCreateBrush = 0x02FC,
    wPolygon = 0x0324,
    wExcludeClipRect = 0x0415,
    wIntersectClipRect = 0x0416,
    wEllipse = 0x0418,
    wRectangle = 0x041B,
    wDibStretchBlt = 0x0B41,
};

// Enhanced metafile record types the tests write.
enum : std::uint32_t {
    ePolygon = 3,
    ePolyPolygon = 8,
    eSetWindowExt = 9,
    eSetViewportExt = 11,
    eSetMapMode = 17,
    eIntersectClipRect = 30,
    eSaveDC = 33,
    eRestoreDC = 34,
    eSetWorldTransform = 35,
    eModifyWorldTransform = 36,
    eSelectObject = 37,
    eCreateBrush = 39,
    eRectangle = 43,
    eBeginPath = 59,
    eEndPath = 60,
    eFillPath = 62,
    eExtSelectClipRgn = 75,
    eStretchDIBits = 81,
    eExtTextOutW = 84,
};

QByteArray loadedInfo(const QByteArray& Bytes, GraphicFileInfo& Info, QString& Description)
{
    return InfoOfBytes(Bytes, Info, Description) ? "ok" : "failed";
}

const TFileFormatReader& readerFor(const char* Extension)
{
    for (const TFileFormatReader* reader : FileFormatReaders())
        if (reader->Extension() == QLatin1String(Extension))
            return *reader;
    throw std::runtime_error("no reader");
}

TEST_F(Metafile, TheMadeHeaderIsTheDefaultBoxAt96PerInch)
{
    EXPECT_EQ(MakePlaceableHeader(), hex("D7CDC69A 0000 0000 0000 6300 3100 6000 00000000 2357"));
    MetafileDefaultWidth = 2; // kept to 3..32767
    MetafileDefaultHeight = -7;
    EXPECT_EQ(MakePlaceableHeader().mid(6, 8), hex("0000 0000 0200 0200"));
    MetafileDefaultWidth = 32767;
    EXPECT_EQ(MakePlaceableHeader().mid(10, 2), hex("FE7F"));
}

TEST_F(Metafile, TheWorkedExamplesPlay)
{
    WmfRecords wmf;
    wmf.Add(wSetWindowOrg, {0, 0}).Add(wSetWindowExt, {100, 200}).Add(wCreateBrush, {0, 0xFF, 0, 0});
    wmf.Add(wSelectObject, {0}).Add(wCreatePen, {5, 0, 0, 0, 0}).Add(wSelectObject, {1});
    wmfRect(wmf, 50, 25, 150, 75);
    EXPECT_EQ(PlaceableHeader(0, 0, 200, 100, 200) + wmf.Metafile(2), FormatExampleWmf());
    EmfRecords emf;
    emf.Add(eCreateBrush, {1, 0, kBlue, 0}).Add(eSelectObject, {1}).Add(eSelectObject, {kNullPen});
    emf.Add(42, {24, 12, 72, 36});
    EXPECT_EQ(emf.Metafile(), FormatExampleEmf());

    TPixelGraphic image;
    LoadBytes(image, FormatExampleWmf());
    ASSERT_EQ(image.Width(), 96);
    ASSERT_EQ(image.Height(), 48);
    EXPECT_EQ(image.BitCountNum(), bcn24Bit);
    expectSamples(image, {{25, 13, kRed}, {48, 24, kRed}, {70, 34, kRed}, {22, 24, kWhite}, {48, 10, kWhite},
                          {74, 24, kWhite}, {48, 38, kWhite}, {2, 2, kWhite}}, "wmf");
    LoadBytes(image, FormatExampleEmf());
    ASSERT_EQ(image.Width(), 96);
    ASSERT_EQ(image.Height(), 48);
    expectSamples(image, {{48, 24, kBlue}, {30, 24, kBlue}, {48, 16, kBlue}, {26, 14, kWhite}, {70, 34, kWhite},
                          {2, 2, kWhite}}, "emf");
}

TEST_F(Metafile, FileInformation)
{
    WmfRecords plain;
    plain.Add(wSetWindowExt, {500, 1000});
    wmfRect(wmfFill(plain, kRed), 0, 0, 500, 500);
    QByteArray typeZero = plain.Metafile(2); // passes the signature probe, so it loads
    typeZero[0] = 0;
    const struct {
        const char* name;
        QByteArray bytes;
        const char* description;
        const char* subFormat;
        int width, height;
    } cases[] = {
        {"placeable", FormatExampleWmf(), "Windows Metafile", "Placeable, Aldus header", 96, 48},
        {"no header", plain.Metafile(2), "Windows Metafile", "No header", 99, 49},
        {"no header, type 0", typeZero, "Windows Metafile", "No header", 99, 49},
        {"enhanced", FormatExampleEmf(), "Enhanced Metafile", "", 96, 48},
    };
    for (const auto& c : cases) {
        GraphicFileInfo info;
        QString description;
        ASSERT_EQ(loadedInfo(c.bytes, info, description), "ok") << c.name;
        EXPECT_EQ(description, c.description) << c.name;
        EXPECT_EQ(info.SubFormat, c.subFormat) << c.name;
        EXPECT_EQ(info.Width, c.width) << c.name;
        EXPECT_EQ(info.Height, c.height) << c.name;
        EXPECT_EQ(info.ColorsText, "16.7M") << c.name;
        EXPECT_EQ(info.BitsPerPixel, 24) << c.name;
        EXPECT_EQ(info.ImageCount, 1) << c.name;
        EXPECT_TRUE(info.Chunks.isEmpty()) << c.name;
    }
}

TEST_F(Metafile, PictureSizes)
{
    // Drawing extents of 1000 x 500: the right half red.
    WmfRecords records;
    records.Add(wSetWindowOrg, {0, 0}).Add(wSetWindowExt, {500, 1000});
    wmfRect(wmfFill(records, kRed), 500, 0, 1000, 500);
    EmfFrame twoInches;
    twoInches.frame[2] = 5080;
    EmfFrame noDevice;
    noDevice.device[0] = noDevice.device[1] = 0;
    EmfFrame doubleDensity;
    doubleDensity.device[0] = 1920;
    doubleDensity.device[1] = 960;
    EmfFrame tall; // 2 x 6 inches at 96 per inch
    tall.frame[2] = 5080;
    tall.frame[3] = 15240;
    const struct {
        const char* name;
        QByteArray bytes;
        bool fast;
        long double scale;
        int width, height;
    } cases[] = {
        {"no header", records.Metafile(2), false, 1, 99, 49},
        {"no header, fitted", records.Metafile(2), true, 1, 99, 49},
        {"1000 x 500 at 100", PlaceableHeader(0, 0, 1000, 500, 100) + records.Metafile(2), false, 1, 960, 480},
        {"1000 x 500 at 100, fitted", PlaceableHeader(0, 0, 1000, 500, 100) + records.Metafile(2), true, 1, 130, 65},
        {"scaled by a half", PlaceableHeader(0, 0, 1000, 500, 100) + records.Metafile(2), false, 0.5L, 480, 240},
        {"fitted, not scaled", PlaceableHeader(0, 0, 1000, 500, 100) + records.Metafile(2), true, 0.5L, 130, 65},
        {"bad checksum", PlaceableHeader(0, 0, 1000, 500, 100, 0x1234) + records.Metafile(2), false, 1, 99, 49},
        {"box without width", PlaceableHeader(0, 0, 0, 500, 100) + records.Metafile(2), false, 1, 99, 49},
        {"box of less than a pixel", PlaceableHeader(0, 0, 1000, 1, 1440) + records.Metafile(2), false, 1, 99, 49},
        {"0 per inch counts as 96", PlaceableHeader(0, 0, 192, 96, 0) + records.Metafile(2), false, 1, 192, 96},
        {"box off the origin", PlaceableHeader(-300, 200, 700, 700, 1000) + records.Metafile(2), false, 1, 96, 48},
        {"enhanced", EmfRecords().Metafile(twoInches), false, 1, 192, 48},
        {"enhanced, no device sizes", EmfRecords().Metafile(noDevice), false, 1, 96, 48},
        {"enhanced, 192 per inch", EmfRecords().Metafile(doubleDensity), false, 1, 192, 96},
        {"enhanced, tall, fitted", EmfRecords().Metafile(tall), true, 1, 43, 130},
    };
    for (const auto& c : cases) {
        MetafileScale = c.scale;
        TPixelGraphic image;
        image.SetFastJPEGDecode(c.fast);
        LoadBytes(image, c.bytes);
        EXPECT_EQ(image.Width(), c.width) << c.name;
        EXPECT_EQ(image.Height(), c.height) << c.name;
        if (QByteArray(c.name).startsWith("no header") || QByteArray(c.name).startsWith("1000")) {
            // The window fills the picture whatever its extents: left half white, right half red.
            EXPECT_EQ(image.GetPixelColor(c.width / 4, c.height / 2), kWhite) << c.name;
            EXPECT_EQ(image.GetPixelColor(3 * c.width / 4, c.height / 2), kRed) << c.name;
        }
    }
}

TEST_F(Metafile, FittingAndScalingRoundHalvesToEven)
{
    const struct {
        std::int64_t w, h;
        bool fit;
        long double scale;
        std::int64_t width, height;
    } cases[] = {
        {99, 49, false, 0.5L, 50, 24},   // 49.5 and 24.5
        {65, 260, true, 0, 32, 130},     // 32.5 after the height is brought to 130
        {67, 260, true, 0, 34, 130},     // 33.5
        {960, 480, true, 0, 130, 65},
        {200, 1, true, 0, 130, 1},
        {0, 50, true, 0, 0, 50},         // nothing when a side is 0
        {10, 20, false, 1, 10, 20},      // a scale of 1 or not above 0 leaves the size
        {10, 20, false, 0, 10, 20},
        {10, 20, false, -2, 10, 20},
        {10, 20, false, 3, 30, 60},
    };
    for (const auto& c : cases) {
        std::int64_t w = c.w, h = c.h;
        if (c.fit)
            FitMetafileSize(w, h, 130);
        else
            ScaleMetafileSize(w, h, c.scale);
        EXPECT_EQ(w, c.width) << c.w << " x " << c.h;
        EXPECT_EQ(h, c.height) << c.w << " x " << c.h;
    }
}

TEST_F(Metafile, SizesPastTheImageLimitsKeepAllocatesErrors)
{
    WmfRecords records;
    wmfRect(wmfFill(records, kRed), 0, 0, 10, 10);
    int ends = 0;
    TPixelGraphic image;
    image.SetOnProgressEnd([&](PGObject*) { ++ends; });
    EXPECT_PG_THROW(LoadBytes(image, PlaceableHeader(100, 0, 0, 50, 96) + records.Metafile(2)), EPGInvalidSize,
                    "Negative width");
    EXPECT_EQ(ends, 1);
    EXPECT_PG_THROW(LoadBytes(image, PlaceableHeader(0, 50, 100, 0, 96) + records.Metafile(2)), EPGInvalidSize,
                    "Negative height");
    EmfFrame huge;
    huge.frame[2] = 2000000000;
    EXPECT_PG_THROW(LoadBytes(image, EmfRecords().Metafile(huge)), EPixelGraphic, "CreateDIBSection failed");
    GraphicFileInfo info;
    QString description;
    ASSERT_EQ(loadedInfo(PlaceableHeader(100, 0, 0, 50, 96) + records.Metafile(2), info, description), "ok");
    EXPECT_EQ(info.Width, -100);
}

TEST_F(Metafile, PalettesOfTheEndRecord)
{
    std::vector<TColor> sixteen(16, RGBColor(10, 20, 30));
    sixteen[3] = kRed;
    sixteen[9] = RGBColor(250, 250, 250); // the nearest to white
    std::vector<TColor> many(300);
    for (std::size_t i = 0; i < many.size(); ++i)
        many[i] = RGBColor(int(i % 256), 0, 0);
    const struct {
        const char* name;
        std::vector<TColor> palette;
        TBitCountNum format;
        int count;
        const char* colors;
        int bits;
    } cases[] = {
        {"none", {}, bcn24Bit, 0, "16.7M", 24},
        {"two", {0, kWhite}, bcn1Bit, 2, "2", 1},
        {"three", {0, kRed, kWhite}, bcn4Bit, 3, "16", 4},
        {"sixteen", sixteen, bcn4Bit, 16, "16", 4},
        {"seventeen", std::vector<TColor>(17, kRed), bcn8Bit, 17, "256", 8},
        {"three hundred", many, bcn8Bit, 256, "256", 8},
    };
    for (const auto& c : cases) {
        EmfRecords records;
        emfFill(records, kRed).Add(eRectangle, {48, 0, 96, 48});
        EmfFrame frame;
        frame.palette = c.palette;
        const QByteArray file = records.Metafile(frame);
        TPixelGraphic image;
        LoadBytes(image, file);
        EXPECT_EQ(image.BitCountNum(), c.format) << c.name;
        EXPECT_EQ(image.PaletteCount(), c.count) << c.name;
        GraphicFileInfo info;
        QString description;
        ASSERT_EQ(loadedInfo(file, info, description), "ok") << c.name;
        EXPECT_EQ(info.ColorsText, c.colors) << c.name;
        EXPECT_EQ(info.BitsPerPixel, c.bits) << c.name;
    }
    // Sixteen entries: what is not drawn is the entry nearest to white, the drawing its own.
    EmfRecords records;
    emfFill(records, kRed).Add(eRectangle, {48, 0, 96, 48});
    EmfFrame frame;
    frame.palette = sixteen;
    TPixelGraphic image;
    LoadBytes(image, records.Metafile(frame));
    EXPECT_EQ(image.GetPixel(10, 24), 9u);
    EXPECT_EQ(image.GetPixel(80, 24), 3u);
}

TEST_F(Metafile, ProgressOfAGoodAndAFailedLoad)
{
    std::vector<int> done;
    std::vector<const PGObject*> senders;
    int begins = 0, ends = 0;
    TPixelGraphic image;
    image.SetOnProgress([&](PGObject* sender, int d, int total, bool& abort) {
        done.push_back(d);
        senders.push_back(sender);
        EXPECT_EQ(total, 100);
        abort = true; // the fixed steps do not hear it
    });
    image.SetOnProgressBegin([&](PGObject* sender) {
        ++begins;
        senders.push_back(sender);
    });
    image.SetOnProgressEnd([&](PGObject*) { ++ends; });
    LoadBytes(image, FormatExampleWmf());
    EXPECT_EQ(done, std::vector<int>({2, 17, 32, 47, 62}));
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    for (const PGObject* sender : senders)
        EXPECT_EQ(sender, &readerFor("wmf"));
    EXPECT_FALSE(image.Canvas().OnChanging); // the hook goes with the load
    EXPECT_EQ(image.GetPixelColor(48, 24), kRed);

    done.clear();
    QFile damaged(QStringLiteral(CRASHERS_DIR "/record_size_zero.wmf"));
    ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
    EXPECT_PG_THROW(LoadBytes(image, damaged.readAll()), EPixelGraphic, "Invalid Metafile");
    EXPECT_EQ(done, std::vector<int>({2}));
    EXPECT_EQ(begins, 2);
    EXPECT_EQ(ends, 2);
    EXPECT_FALSE(image.Canvas().OnChanging);
}

TEST_F(Metafile, AnAbortStopsPlaybackQuietly)
{
    // A file of 5,120 full-frame pattern inversions; one of a single pattern and source operation
    // over 6000 x 6000, left off after its top bands.
    const struct { std::string_view file; int abortAfterMs; bool stopsInsideRecord; } cases[] = {
        {"patblt_4000.wmf", 200, false},
        {"rop3_blt_6000.emf", 0, true},
    };
    const auto hostile = HostileMetafiles();
    for (const auto& c : cases) {
        const auto file = std::ranges::find(hostile, c.file, &HostileMetafile::name);
        ASSERT_NE(file, hostile.end()) << c.file;
        std::vector<int> done;
        QElapsedTimer playing; // from the step before playback
        TPixelGraphic image;
        image.SetOnProgress([&](PGObject*, int d, int, bool& abort) {
            done.push_back(d);
            if (d == 47 && !playing.isValid())
                playing.start();
            abort = playing.isValid() && playing.elapsed() >= c.abortAfterMs;
        });
        LoadBytes(image, file->data);
        // Uncancelled, the inversions play for half a minute; room left for sanitizers.
        EXPECT_LT(playing.elapsed(), 5000) << c.file;
        // The fixed steps up to playback, then only the step playback is at: at least once.
        std::vector<int> steps{2, 17, 32};
        steps.resize(std::max<std::size_t>(done.size(), 5), 47);
        EXPECT_EQ(done, steps) << c.file;
        const auto changedIn = [&image](int y) {
            const auto changed = [&](int x) { return image.GetPixelColor(x, y) != kWhite; };
            return std::ranges::count_if(std::views::iota(0, image.Width()), changed);
        };
        EXPECT_TRUE(!c.stopsInsideRecord || (changedIn(0) > 0 && changedIn(image.Height() - 1) == 0)) << c.file;
    }
}

TEST_F(Metafile, PlaybackAtSamplePixels)
{
    WmfRecords clipped;
    clipped.Add(wIntersectClipRect, {80, 80, 20, 20}).Add(wExcludeClipRect, {60, 60, 40, 40});
    wmfRect(wmfFill(clipped, kRed), 0, 0, 100, 100);

    // A 2 x 2 bitmap (top row red, green; bottom row blue, white) stretched over the picture.
    BmpSpec bitmap;
    bitmap.width = 2;
    bitmap.height = 2;
    bitmap.pixels = hex("FF0000 FFFFFF 0000 0000FF 00FF00 0000"); // bottom row first
    WmfRecords stretched;
    stretched.Add(wDibStretchBlt, QByteArray(hex("2000CC00 0200 0200 0000 0000 6400 6400 0000 0000")) + PackedBitmap(bitmap));

    WmfRecords isotropic; // window 200 x 100 onto 100 x 100 keeps its shape: 100 x 50
    isotropic.Add(wSetMapMode, {7}).Add(wSetWindowExt, {100, 200});
    wmfRect(wmfFill(isotropic, kBlue), 0, 0, 200, 100);

    EmfRecords emfPlusOnly; // "EMF+" comments: its header, a red rectangle over the picture, its end
    emfPlusOnly.Add(70, {32, 0x2B464D45, 0x4001, 28, 16, 0xDBC01002, 0, 96, 96});
    emfPlusOnly.Add(70, {40, 0x2B464D45, 0x8000400A, 36, 24, 0xFFFF0000, 1, 0, 0, 0x42C00000, 0x42C00000});
    emfPlusOnly.Add(70, {16, 0x2B464D45, 0x4002, 12, 0});
    WmfRecords saved; // a window changed inside SaveDC/RestoreDC is given back
    saved.Add(wSaveDC, {}).Add(wSetWindowExt, {10, 10}).Add(wRestoreDC, {-1});
    wmfRect(wmfFill(saved, kGreen), 0, 0, 50, 50);

    WmfRecords polygon;
    wmfFill(polygon, kGreen).Add(wPolygon, {3, 0, 0, 100, 0, 0, 100}); // the upper left triangle

    EmfRecords metric; // tenths of a millimetre, y upwards: 12.7 mm = 48 pixels
    emfFill(metric, kRed).Add(eSetMapMode, {2}).Add(eRectangle, {0, 0, 127, -127});

    EmfRecords anisotropic;
    emfFill(anisotropic, kBlue).Add(eSetMapMode, {8}).Add(eSetWindowExt, {10, 10}).Add(eSetViewportExt, {48, 96});
    anisotropic.Add(eRectangle, {5, 5, 10, 10}); // (24, 48) to (48, 96)

    EmfRecords world;
    emfFill(world, kRed).Add(eSaveDC, {});
    world.Add(eSetWorldTransform, EmfBody{0x40000000, 0, 0, 0x40000000, 0x41200000, 0}); // scale 2, move 10
    world.Add(eRectangle, {0, 0, 10, 10}).Add(eRestoreDC, {-1}).Add(eRectangle, {60, 60, 70, 70});

    EmfRecords path;
    emfFill(path, kGreen).Add(eBeginPath, {}).Add(ePolygon, {0, 0, 0, 0, 3, 0, 0, 96, 0, 0, 96});
    path.Add(eEndPath, {}).Add(eFillPath, {0, 0, 0, 0});

    EmfRecords region; // rectangles of a region, device pixels
    region.Add(eExtSelectClipRgn, EmfBody{64, 5, 32, 1, 2, 32, 0, 0, 90, 90, 0, 0, 50, 50, 60, 60, 90, 90});
    emfFill(region, kBlue).Add(eRectangle, {0, 0, 96, 96});

    EmfRecords turned; // a clip rectangle turned by 45 degrees into a diamond, cut by the picture's top
    turned.Add(eSetWorldTransform, EmfBody{0x3F3504F3, 0x3F3504F3, std::int32_t(0xBF3504F3), 0x3F3504F3, 0x42400000,
                                            std::int32_t(0xC1A00000)});
    turned.Add(eIntersectClipRect, {0, 0, 40, 40}).Add(eModifyWorldTransform, EmfBody{0, 0, 0, 0, 0, 0, 1});
    emfFill(turned, kGreen).Add(eRectangle, {0, 0, 96, 96});

    EmfRecords dib; // the same bitmap through StretchDIBits, its source rows counted from the bottom
    QByteArray stretchDib = EmfBody{0, 0, 0, 0, 48, 0, 0, 0, 2, 1, 80, 40, 120, 16, 0, 0x00CC0020, 48, 48};
    stretchDib += PackedBitmap(bitmap);
    dib.Add(eStretchDIBits, stretchDib);

    EmfRecords opaque; // an empty text with an opaquing rectangle fills it with the background colour
    opaque.Add(25, {0x00FF00}).Add(eExtTextOutW, EmfBody{0, 0, 0, 0, 1, 0, 0, 10, 10, 0, 76, 2, 20, 20, 60, 60, 0});

    const struct {
        const char* name;
        QByteArray bytes;
        std::vector<Sample> samples;
    } cases[] = {
        {"clip region", placeable100(clipped), {{10, 10, kWhite}, {30, 30, kRed}, {50, 50, kWhite}, {70, 50, kRed}, {90, 90, kWhite}}},
        {"stretched bitmap", placeable100(stretched), {{25, 25, kRed}, {75, 25, kGreen}, {25, 75, kBlue}, {75, 75, kWhite}}},
        {"isotropic", placeable100(isotropic), {{50, 25, kBlue}, {50, 75, kWhite}}},
        {"saved state", placeable100(saved), {{25, 25, kGreen}, {75, 75, kWhite}}},
        {"polygon", placeable100(polygon), {{20, 20, kGreen}, {80, 80, kWhite}}},
        {"metric mode", metric.Metafile(), {{24, 24, kRed}, {72, 24, kWhite}}},
        {"anisotropic", anisotropic.Metafile(square96()), {{36, 72, kBlue}, {12, 24, kWhite}, {72, 72, kWhite}}},
        {"world transform", world.Metafile(square96()), {{20, 10, kRed}, {5, 5, kWhite}, {65, 65, kRed}, {35, 35, kWhite}}},
        {"path", path.Metafile(square96()), {{20, 20, kGreen}, {80, 80, kWhite}}},
        {"clip rectangles", region.Metafile(square96()), {{25, 25, kBlue}, {75, 75, kBlue}, {75, 25, kWhite}}},
        {"turned clip", turned.Metafile(square96()), {{48, 10, kGreen}, {30, 10, kGreen}, {10, 5, kWhite}, {48, 60, kWhite}}},
        {"bitmap rows from the bottom", dib.Metafile(), {{60, 24, kBlue}, {84, 24, kWhite}, {24, 24, kWhite}}},
        {"opaque text rectangle", opaque.Metafile(), {{40, 40, kGreen}, {10, 40, kWhite}}},
        {"EMF+ only: its drawing is in comments, which draw nothing", emfPlusOnly.Metafile(square96()),
         {{48, 48, kWhite}, {0, 0, kWhite}}},
    };
    for (const auto& c : cases) {
        TPixelGraphic image;
        LoadBytes(image, c.bytes);
        expectSamples(image, c.samples, c.name);
    }
}

TEST_F(Metafile, DamagedRecordsAreSkipped)
{
    BmpSpec broken;
    broken.bitCount = 3;
    expectDamagedRecordsSkipped(
        {
            {"polygon count past the record", ePolygon, EmfBody{0, 0, 0, 0, 100000, 0, 0}},
            {"poly-polygon counts past the points", ePolyPolygon, EmfBody{0, 0, 0, 0, 1, 3, 500, 0, 0, 1, 1, 2, 2}},
            {"text string past the record", eExtTextOutW, EmfBody{0, 0, 0, 0, 1, 0, 0, 10, 10, 50, 1000, 0x100, 0}},
            {"brush slot past the handles", eCreateBrush, EmfBody{9, 0, 0x00FF00, 0}},
            {"selecting past the handles", eSelectObject, EmfBody{1000}},
            {"non-finite world transform", eSetWorldTransform, EmfBody{0x7F800000, 0, 0, 0x3F800000, 0, 0}},
            {"bitmap past the record", eStretchDIBits,
             EmfBody{0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 80, 40, 4000, 16, 0, 0x00CC0020, 9, 9}},
        },
        {
            {"polygon count past the record", [](WmfRecords& r) { r.Add(wPolygon, {5000, 0, 0, 10, 0}); }},
            {"object index past the table", [](WmfRecords& r) { r.Add(wSelectObject, {7}); }},
            {"deleting past the table", [](WmfRecords& r) { r.Add(wDeleteObject, {60000}); }},
            {"rectangle cut short", [](WmfRecords& r) { r.Add(wRectangle, {1, 2}); }},
            {"broken bitmap",
             [&](WmfRecords& r) {
                 r.Add(wDibStretchBlt, hex("2000CC00 0200 0200 0000 0000 6400 6400 0000 0000") + PackedBitmap(broken));
             }},
            {"restoring past the stack", [](WmfRecords& r) { r.Add(wRestoreDC, {-3}).Add(wRestoreDC, {5}); }},
        });
}

TEST_F(Metafile, PlaybackStaysBounded)
{
    // Deep SaveDC nesting, huge coordinates and pen widths, a mapping that blows everything up.
    WmfRecords records;
    for (int i = 0; i < 2000; ++i)
        records.Add(wSaveDC, {});
    records.Add(wCreatePen, {0, 32767, 0, 0, 0}).Add(wSelectObject, {0});
    records.Add(wSetWindowExt, {1, 1}).Add(wEllipse, {32767, 32767, -32768, -32768});
    records.Add(0x0817, {-32768, 32767, 32767, -32768, 32767, 32767, -32768, -32768}); // an arc
    for (int i = 0; i < 2000; ++i)
        records.Add(wRestoreDC, {-1});
    TPixelGraphic image;
    LoadBytes(image, placeable100(records));
    EXPECT_EQ(image.Width(), 100);
}

TEST_F(Metafile, RecordsPastThePlaybacksLimitsAreSaidInAWarning)
{
    // A bitmap of 10000 x 10000 pixels (past the 2^26 a picture may decode) and a region of
    // 4097 rectangles, then a rectangle that still shows.
    const QByteArray header = EmfBody{40, 10000, 10000, 0x00180001, 0, 0, 0, 0, 0, 0}; // 24 bits, no pixels
    EmfBody region{0, 0, 0, 0, 32 + 16 * 4097, 0x80000004};
    region({32, 1, 4097, 16 * 4097, 0, 0, 0, 0});
    for (int i = 0; i < 4097; ++i)
        region({i % 96, 0, i % 96 + 1, 10});
    EmfRecords records;
    records.Add(eStretchDIBits,
                EmfBody{0, 0, 0, 0, 0, 0, 0, 0, 10000, 10000}.Dib({header, QByteArray(4, '\0')}, 0, true)({0x00CC0020, 96, 96}));
    records.Add(71, region); // FillRgn
    emfFill(records, kRed).Add(eRectangle, {20, 20, 80, 80});
    const QByteArray bytes = records.Metafile(square96());
    const QString text = "Metafile: 2 record(s) past the playback's limits left out";
    platform::ScriptedPromptService prompts;
    TPixelGraphic image;
    image.SetPromptService(&prompts);

    image.SetWarningAction(waIgnore);
    LoadBytes(image, bytes);
    EXPECT_TRUE(prompts.calls().isEmpty());
    expectSamples(image, {{50, 50, kRed}, {5, 5, kWhite}}, "ignored");

    image.SetWarningAction(waShow);
    LoadBytes(image, bytes);
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_EQ(prompts.lastPrompt().caption, "Metafile-Warning");
    EXPECT_EQ(prompts.lastPrompt().text, text);
    expectSamples(image, {{50, 50, kRed}}, "shown");

    image.SetWarningAction(waAskAbort);
    prompts.answer(platform::mrCancel);
    EXPECT_PG_THROW(LoadBytes(image, bytes), EPixelGraphic, "Operation aborted on user request");
    image.SetWarningAction(waRaise);
    EXPECT_PG_THROW(LoadBytes(image, bytes), EPixelGraphic, text);
}

TEST_F(Metafile, InvalidMetafilesFailInBothAttempts)
{
    WmfRecords good;
    wmfRect(wmfFill(good, kRed), 0, 0, 10, 10);
    const QByteArray placeable = placeable100(good);
    QByteArray headerSize8 = placeable;
    headerSize8[24] = 8;
    QByteArray zeroRecord = placeable;
    zeroRecord[40] = 0; // the first record's size
    QByteArray noSignature = FormatExampleEmf();
    noSignature[40] = 'X';
    QByteArray emfHeaderSize92 = FormatExampleEmf();
    emfHeaderSize92[4] = 92; // the chain then starts inside the next record
    EmfFrame noWidth, noHeight, hundredth;
    noWidth.frame[2] = 0;
    noHeight.frame[1] = noHeight.frame[3] = 700;
    hundredth.frame[2] = 1; // 0.04 of a pixel
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"record size 0", zeroRecord},
        {"record past the end", placeable.left(placeable.size() - 8)},
        {"no header, record past the end", good.Metafile(2).left(good.Metafile(2).size() - 8)},
        {"header of 8 words", headerSize8},
        {"key only, 20 bytes", placeable.left(20)},
        {"enhanced without its signature", noSignature},
        {"enhanced header size off by 4", emfHeaderSize92},
        {"enhanced record past the end", FormatExampleEmf().left(170)},
        {"enhanced frame without width", EmfRecords().Metafile(noWidth)},
        {"enhanced frame without height", EmfRecords().Metafile(noHeight)},
        {"enhanced frame of less than a pixel", EmfRecords().Metafile(hundredth)},
    };
    for (const auto& c : cases) {
        TPixelGraphic image;
        try {
            LoadBytes(image, c.bytes);
            ADD_FAILURE() << c.name << ": loaded";
        } catch (const EPixelGraphic& e) {
            EXPECT_EQ(e.Message(), QString("Invalid Metafile")) << c.name;
        }
        GraphicFileInfo info;
        QString description;
        EXPECT_EQ(loadedInfo(c.bytes, info, description), "failed") << c.name;
        EXPECT_EQ(info.Width, 0) << c.name;
    }
}

TEST_F(Metafile, SignatureProbes)
{
    const auto probe = [](const char* bytes) {
        SignatureProbe p{};
        const QByteArray b = QByteArray::fromHex(bytes);
        std::copy(b.begin(), b.begin() + std::min<qsizetype>(b.size(), p.size()), p.begin());
        return p;
    };
    const struct {
        const char* bytes;
        bool wmf, emf;
    } cases[] = {
        {"0100 0900 0003 13000000 0100", true, false},  // type 1, 19 words, one object
        {"0000 0900 0003 13000000 0100", true, false},  // type 0
        {"0200 0900 0003 13000000 0100", false, false}, // type 2 is not taken without a placeable header
        {"0100 0800 0003 13000000 0100", false, false}, // header of 8 words
        {"0100 0900 0000 13000000 0100", false, false}, // version 0
        {"0100 0900 0003 12000000 0100", false, false}, // 18 words
        {"0100 0900 0003 13000000 0000", false, false}, // no objects
        {"D7CDC69A", true, false},                      // the placeable key
        {"01000000 58000000", false, true},             // 88-byte header record
        {"01000000 6C000000", false, true},             // 108: current writers
        {"01000000 00000100", false, true},             // 65536
        {"01000000 04000100", false, false},            // 65540
        {"01000000 54000000", false, false},            // 84
        {"01000000 5A000000", false, false},            // 90: not whole words
        {"02000000 58000000", false, false},            // another record type
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckWMFSignature(probe(c.bytes)), c.wmf) << c.bytes;
        EXPECT_EQ(CheckEMFSignature(probe(c.bytes)), c.emf) << c.bytes;
    }
    // A current writer's header record of 108 bytes loads.
    QByteArray extended = FormatExampleEmf();
    extended.insert(88, QByteArray(20, '\0'));
    extended[4] = 108;
    TPixelGraphic image;
    LoadBytes(image, extended);
    EXPECT_EQ(image.GetPixelColor(48, 24), kBlue);
}

TEST_F(Metafile, ShortReadsGiveTheSamePicture)
{
    for (const QByteArray& file : {FormatExampleWmf(), FormatExampleEmf()}) {
        TPixelGraphic whole;
        LoadBytes(whole, file);
        for (const std::vector<int>& pattern : ShortReadPatterns()) {
            ChunkedDevice device(file, pattern);
            TPixelGraphic image;
            image.LoadFromStream(device);
            EXPECT_TRUE(SamePixels(image, whole)) << pattern.front();
        }
    }
}

TEST_F(Metafile, DamagedFiles)
{
    const struct {
        const char* file;
        const char* message; // empty: it loads, the damaged record skipped
    } cases[] = {
        {"record_size_zero.wmf", "Invalid Metafile"},
        {"record_past_the_end.wmf", "Invalid Metafile"},
        {"record_past_the_end.emf", "Invalid Metafile"},
        {"record_size_not_whole_words.emf", "Invalid Metafile"},
        {"frame_of_two_billion.emf", "CreateDIBSection failed"},
        {"polygon_count_past_record.wmf", ""},
        {"object_index_past_table.wmf", ""},
        {"bitmap_bit_count_3.emf", ""},
    };
    for (const auto& c : cases) {
        QFile file(QStringLiteral(CRASHERS_DIR "/") + c.file);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.file;
        TPixelGraphic image;
        try {
            LoadBytes(image, file.readAll());
            EXPECT_STREQ(c.message, "") << c.file;
            EXPECT_EQ(image.GetPixelColor(50, 50), kRed) << c.file;
        } catch (const EPixelGraphic& e) {
            EXPECT_EQ(e.Message(), QString(c.message)) << c.file;
        }
        QString description;
        GraphicFileInfo info;
        EXPECT_EQ(ReadGraphicFileInfo(file.fileName(), 0, description, info),
                  QByteArray(c.message) != "Invalid Metafile") << c.file;
    }
}

} // namespace
