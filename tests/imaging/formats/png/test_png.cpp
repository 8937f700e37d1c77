#include "pngfixtures.h"
#include "tests/imaging/formattest.h"
#include "imaging/formats/png/pngformat.h"
#include "imaging/pgsettings.h"

#include "platform/prompts.h"

#include <QBuffer>

#include <png.h>
#include <zlib.h>

namespace {

class Png : public LibraryTest {};

// The reader's pixels in the reference decode's layout: 24-bit rows as blue, green, red bytes;
// palette rows as the indices at the file's depth (two-bit files compared index by index).
void expectSamePixels(TPixelGraphic& image, const PngDecode& want, const std::string& name)
{
    ASSERT_EQ(image.Width(), want.width) << name;
    ASSERT_EQ(image.Height(), want.height) << name;
    for (int y = 0; y < want.height; ++y) {
        const QByteArray row = want.row(y);
        if (want.channels == 3) {
            ASSERT_EQ(QByteArray(reinterpret_cast<const char*>(image.ScanLine(y)), row.size()), row) << name << " row " << y;
            continue;
        }
        for (int x = 0; x < want.width; ++x) {
            const int bits = want.bitDepth;
            const int value = (std::uint8_t(row[x * bits / 8]) >> (8 - bits - x * bits % 8)) & ((1 << bits) - 1);
            ASSERT_EQ(image.GetPixel(x, y), std::uint32_t(value)) << name << " at " << x << "," << y;
        }
    }
}

PngSpec patternSpec(int colorType, int bitDepth, bool interlaced, int width = 23, int height = 11)
{
    PngSpec s;
    s.width = width;
    s.height = height;
    s.colorType = colorType;
    s.bitDepth = bitDepth;
    s.interlaced = interlaced;
    s.rows = PngPatternRows(width, height, colorType, bitDepth);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        s.palette = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
        s.palette.resize(std::min<std::size_t>(s.palette.size(), 3u << bitDepth));
    }
    return s;
}

TEST_F(Png, EveryColourTypeDepthAndInterlaceDecodesAsLibpngDoes)
{
    const struct { int type; std::vector<int> depths; } kinds[] = {
        {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}}, {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
        {PNG_COLOR_TYPE_RGB, {8, 16}},           {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}},
        {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},
    };
    for (const auto& kind : kinds)
        for (int depth : kind.depths)
            for (bool interlaced : {false, true}) {
                const QByteArray file = PngFile(patternSpec(kind.type, depth, interlaced));
                const std::string name = "type " + std::to_string(kind.type) + " depth " + std::to_string(depth)
                                         + (interlaced ? " interlaced" : "");
                TPixelGraphic image;
                LoadBytes(image, file);
                expectSamePixels(image, PngReferenceDecode(file), name);
                const TBitCountNum want = kind.type & PNG_COLOR_MASK_COLOR && kind.type != PNG_COLOR_TYPE_PALETTE
                                              ? bcn24Bit
                                              : (depth == 1 ? bcn1Bit : (depth <= 4 ? bcn4Bit : bcn8Bit));
                EXPECT_EQ(image.BitCountNum(), want) << name;
            }
}

TEST_F(Png, GrayFilesTakeAFullRamp)
{
    for (int depth : {1, 2, 4, 8}) {
        TPixelGraphic image;
        LoadBytes(image, PngFile(patternSpec(PNG_COLOR_TYPE_GRAY, depth, true)));
        const int levels = 1 << depth;
        ASSERT_EQ(image.PaletteCount(), levels);
        for (int i = 0; i < levels; ++i) {
            const int v = i * 255 / (levels - 1);
            EXPECT_EQ(image.GetPaletteEntry(i), RGBColor(v, v, v)) << depth;
        }
    }
}

TEST_F(Png, BackgroundsAndTransparency)
{
    {   // RGB with a 16-bit bKGD: the image's background becomes it, 8 bits kept of each sample
        PngSpec s = patternSpec(PNG_COLOR_TYPE_RGB_ALPHA, 16, false);
        s.backgroundRgb = std::vector<std::uint16_t>{0x1234, 0xABCD, 0xFF00};
        const QByteArray file = PngFile(s);
        TPixelGraphic image;
        LoadBytes(image, file);
        EXPECT_EQ(image.Background(), RGBColor(0x12, 0xAB, 0xFF));
        expectSamePixels(image, PngReferenceDecode(file), "rgba with bKGD");
    }
    {   // a 4-bit gray bKGD widened to 8 bits
        PngSpec s = patternSpec(PNG_COLOR_TYPE_GRAY, 4, false);
        s.backgroundGray = 5;
        TPixelGraphic image;
        LoadBytes(image, PngFile(s));
        EXPECT_EQ(image.Background(), RGBColor(85, 85, 85));
    }
    {   // a palette bKGD names its entry
        PngSpec s = patternSpec(PNG_COLOR_TYPE_PALETTE, 8, false);
        s.backgroundIndex = 2;
        TPixelGraphic image;
        LoadBytes(image, PngFile(s));
        EXPECT_EQ(image.Background(), RGBColor(0, 255, 0));
    }
    {   // alpha without bKGD is flattened onto the image's background
        PngSpec s;
        s.width = 2;
        s.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
        s.rows = {QByteArray::fromHex("FF000080 00FF00FF")};
        TPixelGraphic image;
        image.SetBackground(RGBColor(0, 0, 255));
        LoadBytes(image, PngFile(s));
        const TColor half = image.GetPixelColor(0, 0);
        EXPECT_NEAR(RedOf(half), 128, 1);
        EXPECT_NEAR(BlueOf(half), 127, 1);
        EXPECT_EQ(image.GetPixelColor(1, 0), RGBColor(0, 255, 0));
    }
    {   // a palette tRNS is composed into the palette, with the setting off too
        PngSpec s = patternSpec(PNG_COLOR_TYPE_PALETTE, 4, false);
        s.transparency = {0, 255, 255};
        s.backgroundIndex = 3;
        PixelGraphicPNGUseBackground = false;
        const QByteArray file = PngFile(s);
        TPixelGraphic image;
        image.SetBackground(RGBColor(10, 20, 30));
        LoadBytes(image, file);
        EXPECT_EQ(image.GetPaletteEntry(0), RGBColor(10, 20, 30));
        expectSamePixels(image, PngReferenceDecode(file, RGBColor(10, 20, 30), false), "palette tRNS");
        ResetPixelGraphicSettings();
    }
}

TEST_F(Png, GammaBothWays)
{
    PngSpec s = patternSpec(PNG_COLOR_TYPE_RGB, 8, false);
    s.gamma = 1 / 2.2;
    TPixelGraphic image;
    LoadBytes(image, PngFile(s));
    EXPECT_NEAR(double(image.Gamma()), 2.2, 1e-4); // the default: not re-toned

    auto gammaOf = [](const QByteArray& file) {
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        QBuffer in;
        in.setData(file);
        in.open(QIODevice::ReadOnly);
        png_set_read_fn(png, &in, [](png_structp p, png_bytep data, png_size_t n) {
            static_cast<QBuffer*>(png_get_io_ptr(p))->read(reinterpret_cast<char*>(data), qint64(n));
        });
        png_read_info(png, info);
        double gamma = -1;
        png_get_gAMA(png, info, &gamma);
        png_destroy_read_struct(&png, &info, nullptr);
        return gamma;
    };
    image.SetGamma(2.5L);
    EXPECT_NEAR(gammaOf(SaveAs(image, "png")), 0.4, 1e-5);
    image.SetGamma(0);
    EXPECT_EQ(gammaOf(SaveAs(image, "png")), -1); // no valid gamma, no gAMA
    image.SetGamma(2.5L);
    PixelGraphicPNGWriteGamma = false;
    EXPECT_EQ(gammaOf(SaveAs(image, "png")), -1);
    ResetPixelGraphicSettings();
}

TEST_F(Png, InformationAndChunks)
{
    PngSpec s = patternSpec(PNG_COLOR_TYPE_GRAY_ALPHA, 8, true, 640, 3);
    s.gamma = 0.5;
    s.time = true;
    QBuffer buffer;
    buffer.setData(PngFile(s));
    buffer.open(QIODevice::ReadOnly);
    GraphicFileInfo info;
    TPNGFileFormatReader().GetInfo(buffer, 0, info);
    EXPECT_EQ(info.Chunks, "(gama, time)");
    EXPECT_EQ(info.SubFormat, "GrayScale, alpha, interlaced");
    EXPECT_EQ(info.BitsPerPixel, 16);
    EXPECT_EQ(info.ColorsText, "64K?");
    EXPECT_EQ(info.Width, 640);

    PngSpec p = patternSpec(PNG_COLOR_TYPE_PALETTE, 4, false);
    p.transparency = {0};
    QBuffer second;
    second.setData(PngFile(p));
    second.open(QIODevice::ReadOnly);
    TPNGFileFormatReader().GetInfo(second, 0, info);
    EXPECT_EQ(info.Chunks, "(plte, trns)");
    EXPECT_EQ(info.SubFormat, "palette");
    EXPECT_EQ(info.ColorsText, "16");
    EXPECT_PG_THROW(TPNGFileFormatReader().GetInfo(second, 1, info), EPGPNGFileFormatReaderWriter,
                    "PNG: Invalid value for Index");
}

TEST_F(Png, WriterStoresEveryResolution)
{
    for (TBitCountNum num : {bcn1Bit, bcn4Bit, bcn8Bit, bcn24Bit}) {
        auto image = MakePatternImage(29, 7, num);
        TPixelGraphic back;
        LoadBytes(back, SaveAs(*image, "png"));
        EXPECT_TRUE(SamePixels(back, *image)) << int(num);
    }
    // A palette shorter than the depth: PLTE as long as the palette, indices past it written as 0.
    TPixelGraphic image;
    image.Allocate(3, 1, bcn4Bit);
    image.SetPaletteCount(2);
    image.SetPaletteEntry(1, RGBColor(9, 9, 9));
    image.SetPixel(0, 0, 1);
    image.SetPixel(1, 0, 7);
    TPixelGraphic back;
    LoadBytes(back, SaveAs(image, "png"));
    EXPECT_EQ(back.PaletteCount(), 2);
    EXPECT_EQ(back.GetPixel(0, 0), 1u);
    EXPECT_EQ(back.GetPixel(1, 0), 0u);
    // No palette at all: a black one of the full depth.
    TPixelGraphic bare;
    bare.Allocate(2, 1, bcn1Bit);
    LoadBytes(back, SaveAs(bare, "png"));
    EXPECT_EQ(back.PaletteCount(), 2);
}

TEST_F(Png, AbortsAndStops)
{
    auto image = MakePatternImage(20, 10, bcn24Bit);
    image->SetOnProgress([](PGObject*, int done, int, bool& abort) { abort = done == 4; });
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_PG_THROW(TPNGFileFormatWriter().Save(out, *image, CurrentSaveOptions()), EPGPNGFileFormatReaderWriter,
                    "PNG: Operation aborted on user request");

    // A stopped load ends quietly with the rows read so far.
    image->SetOnProgress({});
    const QByteArray file = SaveAs(*image, "png");
    TPixelGraphic back;
    std::vector<int> rows;
    back.SetOnProgress([&](PGObject*, int done, int, bool& abort) {
        rows.push_back(done);
        abort = done == 2;
    });
    LoadBytes(back, file);
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2}));
}

TEST_F(Png, DamagedFilesGiveTheirMessages)
{
    QByteArray crc = PngFile(patternSpec(PNG_COLOR_TYPE_RGB, 8, false));
    crc[29] = char(crc[29] ^ 1); // the IHDR CRC
    PngSpec huge = patternSpec(PNG_COLOR_TYPE_RGB, 8, false, 1, 1);
    QByteArray big = PngFile(huge);
    // IHDR width and height 100000, CRC recomputed.
    const QByteArray size = QByteArray::fromHex("000186A0000186A0");
    big.replace(16, 8, size);
    const std::uint32_t sum = std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(big.constData() + 12), 17));
    big[29] = char(sum >> 24), big[30] = char(sum >> 16), big[31] = char(sum >> 8), big[32] = char(sum);
    const QByteArray whole = PngFile(patternSpec(PNG_COLOR_TYPE_RGB, 8, false, 200, 50));
    const struct { const char* name; QByteArray file; const char* message; } cases[] = {
        {"IHDR CRC", crc, "PNG: IHDR: CRC error"},
        {"100000 squared", big, "CreateDIBSection failed"},
        {"cut in the image data", whole.left(whole.size() / 2), "PNG: Unexpected end of file"},
        {"signature only", whole.left(8), "PNG: Unexpected end of file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPixelGraphic image;
        std::vector<int> rows;
        image.SetOnProgress([&](PGObject*, int done, int, bool&) { rows.push_back(done); });
        EXPECT_PG_THROW(LoadBytes(image, c.file), EPixelGraphic, c.message);
        if (std::string(c.name) != "cut in the image data") {
            EXPECT_TRUE(rows.empty());
        }
    }
}

TEST_F(Png, WarningsFollowTheWarningAction)
{
    PngSpec s = patternSpec(PNG_COLOR_TYPE_RGB, 8, false);
    s.time = true;
    QByteArray file = PngFile(s);
    const qsizetype time = file.indexOf("tIME");
    ASSERT_GT(time, 0);
    file[time + 4 + 7] = char(file[time + 4 + 7] ^ 1); // the tIME CRC: an ancillary chunk, a warning
    TPixelGraphic image;
    image.SetWarningAction(waRaise);
    EXPECT_PG_THROW(LoadBytes(image, file), EPGPNGFileFormatReaderWriter, "PNG: tIME: CRC error");
    image.SetWarningAction(waIgnore);
    LoadBytes(image, file);
    EXPECT_EQ(image.Width(), 23);
}

TEST_F(Png, ShortReads)
{
    const QByteArray file = PngFile(patternSpec(PNG_COLOR_TYPE_RGB, 8, true, 61, 17));
    TPixelGraphic whole;
    LoadBytes(whole, file);
    ExpectShortReadsGive(file, whole);
}

} // namespace
