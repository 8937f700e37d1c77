#include "tempfolder.h"
#include "tests/imaging/formattest.h"
#include "imaging/formats/bmp/bmpformat.h"
#include "imaging/pgsettings.h"

#include <QBuffer>
#include <QDir>

#include <functional>

namespace {

class Bmp : public LibraryTest {};

using Values = std::vector<std::uint32_t>;

TEST_F(Bmp, TheWorkedExampleReadsAndWritesByteForByte)
{
    TPixelGraphic image;
    LoadBytes(image, FormatExampleTrueColorBmp());
    ASSERT_EQ(image.Width(), 3);
    ASSERT_EQ(image.Height(), 2);
    EXPECT_EQ(image.BitCountNum(), 3);
    EXPECT_EQ(image.PaletteIdent(), pTrueColor);
    EXPECT_EQ(rowValues(image, 0), Values({RGBColor(255, 0, 0), RGBColor(0, 255, 0), RGBColor(0, 0, 255)}));
    EXPECT_EQ(rowValues(image, 1), Values({RGBColor(255, 255, 255), 0, RGBColor(128, 128, 128)}));

    TPixelGraphic made;
    made.Allocate(3, 2, bcn24Bit);
    const TColor colors[2][3] = {{RGBColor(255, 0, 0), RGBColor(0, 255, 0), RGBColor(0, 0, 255)},
                                 {RGBColor(255, 255, 255), 0, RGBColor(128, 128, 128)}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            made.SetPixel(x, y, colors[y][x]);
    EXPECT_EQ(SaveAs(made, "bmp"), FormatExampleTrueColorBmp());
    EXPECT_EQ(SaveAs(made, "dib"), FormatExampleTrueColorBmp());
}

TEST_F(Bmp, PaletteImagesAreWrittenWithTheirColourTable)
{
    TPixelGraphic image;
    image.Allocate(3, 2, bcn1Bit);
    image.SetPaletteIdent(pBlackWhite);
    image.SetPixel(0, 0, 1); // top row: 1 0 1
    image.SetPixel(2, 0, 1);
    image.SetPixel(1, 1, 1); // bottom row: 0 1 0
    const QByteArray file = SaveAs(image, "bmp");
    EXPECT_EQ(file, hex("424D 46000000 00000000 3E000000"
                        "28000000 03000000 02000000 0100 0100 00000000 08000000 00000000 00000000 02000000 00000000"
                        "00000000 FFFFFF00"
                        "40000000 A0000000"));
}

TEST_F(Bmp, APaletteImageWithoutEntriesWritesAFullBlackTable)
{
    TPixelGraphic image;
    image.Allocate(2, 1, bcn4Bit);
    ASSERT_EQ(image.PaletteCount(), 0);
    const QByteArray file = SaveAs(image, "bmp");
    EXPECT_EQ(file.size(), 14 + 40 + 16 * 4 + 4);
    EXPECT_EQ(file.mid(46, 4), hex("10000000")); // colours used 16
    EXPECT_EQ(file.mid(10, 4), hex("76000000")); // pixels at 118
    EXPECT_EQ(file.mid(54, 64), QByteArray(64, '\0'));
    TPixelGraphic back;
    LoadBytes(back, file);
    EXPECT_EQ(back.PaletteCount(), 16);
}

TEST_F(Bmp, TheColourTableIsNoLongerThanThePixelsCanIndex)
{
    // Sixteen grays set on a 1-bit image: the file's table holds the first two.
    TPixelGraphic image;
    image.Allocate(3, 1, bcn1Bit);
    image.SetPaletteIdent(pGray16);
    ASSERT_EQ(image.PaletteCount(), 16);
    image.SetPixel(1, 0, 1);
    const QByteArray file = SaveAs(image, "bmp");
    EXPECT_EQ(file, hex("424D 42000000 00000000 3E000000"
                        "28000000 03000000 01000000 0100 0100 00000000 04000000 00000000 00000000 02000000 00000000"
                        "00000000 11111100"
                        "40000000"));
    std::uint16_t format = 0;
    QByteArray packed;
    std::uintptr_t palette = 0;
    image.SaveToClipboardFormat(format, packed, palette);
    EXPECT_EQ(packed, file.mid(14));
}

TEST_F(Bmp, EveryFormatRoundTrips)
{
    for (int num = 0; num < 4; ++num) {
        for (int width : {1, 2, 3, 7, 8, 9, 31, 32, 33}) {
            auto image = MakePatternImage(width, 5, TBitCountNum(num));
            TPixelGraphic back;
            LoadBytes(back, SaveAs(*image, "bmp"));
            EXPECT_TRUE(SamePixels(back, *image)) << "format " << num << " width " << width;
            EXPECT_EQ(back.PaletteIdent(), image->PaletteIdent());
        }
    }
    TPixelGraphic empty;
    TPixelGraphic back;
    LoadBytes(back, SaveAs(empty, "bmp"));
    EXPECT_TRUE(back.Empty());
}

TEST_F(Bmp, Os2CoreHeaders)
{
    BmpSpec spec;
    spec.headerSize = 12;
    spec.width = 3;
    spec.height = 1;
    spec.bitCount = 1;
    spec.palette = {RGBColor(10, 20, 30), RGBColor(200, 100, 50)};
    spec.pixels = hex("A0000000");
    TPixelGraphic image;
    LoadBytes(image, BmpFile(spec));
    EXPECT_EQ(image.BitCountNum(), 0);
    EXPECT_EQ(image.Palette(), std::vector<TColor>({RGBColor(10, 20, 30), RGBColor(200, 100, 50)}));
    EXPECT_EQ(rowValues(image, 0), Values({1, 0, 1}));
}

TEST_F(Bmp, LongerInformationHeadersAreSkippedToTheirEnd)
{
    for (std::uint32_t size : {40u, 52u, 56u, 64u, 108u, 124u}) {
        BmpSpec spec;
        spec.headerSize = size;
        spec.width = 2;
        spec.pixels = hex("010203 040506 0000");
        TPixelGraphic image;
        LoadBytes(image, BmpFile(spec));
        EXPECT_EQ(rowValues(image, 0), Values({RGBColor(3, 2, 1), RGBColor(6, 5, 4)})) << size;
    }
}

TEST_F(Bmp, BitFieldMasksComeFromWhereTheHeaderPutsThem)
{
    for (std::uint32_t size : {40u, 52u, 108u}) {
        BmpSpec spec;
        spec.headerSize = size;
        spec.width = 2;
        spec.bitCount = 16;
        spec.compression = 3;
        spec.masks = {0xF800, 0x07E0, 0x001F}; // 5-6-5
        spec.pixels = hex("E007 1F00");        // pure green, pure blue
        TPixelGraphic image;
        LoadBytes(image, BmpFile(spec));
        EXPECT_EQ(rowValues(image, 0), Values({RGBColor(0, 255, 0), RGBColor(0, 0, 255)})) << size;
    }
}

TEST_F(Bmp, SixteenBitChannelsAreRounded)
{
    BmpSpec spec;
    spec.width = 4;
    spec.bitCount = 16; // default 5-5-5
    spec.pixels = hex("FF7F 0000 2104 1000");
    TPixelGraphic image;
    LoadBytes(image, BmpFile(spec));
    // 31 -> 0xF8 + 8 = 256, capped; 0 stays 0; 1 -> 8 + 8; blue 16 -> 0x80 + 8.
    EXPECT_EQ(rowValues(image, 0),
              Values({RGBColor(255, 255, 255), 0, RGBColor(16, 16, 16), RGBColor(0, 0, 0x88)}));
    PixelGraphicBitfieldRounding = false;
    LoadBytes(image, BmpFile(spec));
    EXPECT_EQ(rowValues(image, 0), Values({RGBColor(248, 248, 248), 0, RGBColor(8, 8, 8), RGBColor(0, 0, 0x80)}));
}

TEST_F(Bmp, ThirtyTwoBitMasksOfAnyWidth)
{
    BmpSpec spec;
    spec.width = 2;
    spec.bitCount = 32; // default masks: bytes blue, green, red, unused
    spec.pixels = hex("102030FF 405060FF");
    TPixelGraphic image;
    LoadBytes(image, BmpFile(spec));
    EXPECT_EQ(rowValues(image, 0), Values({RGBColor(0x30, 0x20, 0x10), RGBColor(0x60, 0x50, 0x40)}));

    // Ten-bit channels give their top eight bits; a zero mask gives 0; no rounding at 32 bits.
    spec.compression = 3;
    spec.masks = {0x3FF00000, 0x000FFC00, 0};
    spec.pixels = hex("00FCFF3F 00000020");
    LoadBytes(image, BmpFile(spec));
    EXPECT_EQ(rowValues(image, 0), Values({RGBColor(255, 255, 0), RGBColor(128, 0, 0)}));
}

TEST_F(Bmp, TopDownImagesLoadTheRightWayUp)
{
    for (int bits : {24, 16, 8}) {
        BmpSpec spec;
        spec.width = 1;
        spec.height = -3;
        spec.bitCount = std::uint16_t(bits);
        if (bits == 8) {
            spec.palette = {RGBColor(1, 1, 1), RGBColor(2, 2, 2), RGBColor(3, 3, 3)};
            spec.colorsUsed = 3;
            spec.pixels = hex("00000000 01000000 02000000");
        } else if (bits == 16) {
            spec.pixels = hex("00000000 1F000000 FF7F0000");
        } else {
            spec.pixels = hex("00000000 FF000000 FFFFFF00");
        }
        TPixelGraphic image;
        LoadBytes(image, BmpFile(spec));
        ASSERT_EQ(image.Height(), 3);
        const TColor top = image.GetPixelColor(0, 0), middle = image.GetPixelColor(0, 1);
        const TColor bottom = image.GetPixelColor(0, 2);
        EXPECT_EQ(top, bits == 8 ? RGBColor(1, 1, 1) : 0u) << bits;
        EXPECT_NE(middle, top) << bits;
        EXPECT_EQ(bottom, bits == 8 ? RGBColor(3, 3, 3) : RGBColor(255, 255, 255)) << bits;
    }
}

TEST_F(Bmp, RunLengthExamples)
{
    TPixelGraphic image;
    LoadBytes(image, FormatExampleRle8Bmp());
    EXPECT_EQ(image.BitCountNum(), 2);
    EXPECT_EQ(rowValues(image, 0), Values({0, 7, 7, 0}));
    EXPECT_EQ(rowValues(image, 1), Values({4, 5, 6, 0}));
    EXPECT_EQ(rowValues(image, 2), Values({1, 1, 1, 2}));

    LoadBytes(image, FormatExampleRle4Bmp());
    EXPECT_EQ(image.BitCountNum(), 1);
    EXPECT_EQ(rowValues(image, 0), Values({1, 2, 1, 2, 1, 1, 2, 3, 4, 5}));
}

// RLE8 data for a 4 x 2 image with 4 palette entries.
QByteArray rle8(const QByteArray& data, int width = 4, int height = 2)
{
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitCount = 8;
    spec.compression = 1;
    spec.colorsUsed = 4;
    spec.palette = {0, RGBColor(1, 1, 1), RGBColor(2, 2, 2), RGBColor(3, 3, 3)};
    spec.pixels = data;
    return BmpFile(spec);
}

TEST_F(Bmp, RunsLiteralsAndDeltasAreClippedToTheImage)
{
    TPixelGraphic image;
    // A run of 10 in a row of 4, then a literal of 5 on the next row.
    LoadBytes(image, rle8(hex("0A01 0000 0005 0203010203 00 0001")));
    EXPECT_EQ(rowValues(image, 1), Values({1, 1, 1, 1}));
    EXPECT_EQ(rowValues(image, 0), Values({2, 3, 1, 2}));
    // A delta past the right edge and past the top: nothing more is written, and no error.
    LoadBytes(image, rle8(hex("0201 0002 FF00 0302 0002 00FF 0403")));
    EXPECT_EQ(rowValues(image, 1), Values({1, 1, 0, 0}));
    EXPECT_EQ(rowValues(image, 0), Values({0, 0, 0, 0}));
    // The last row ends the image even without an end-of-bitmap code.
    LoadBytes(image, rle8(hex("0401 0000 0402 0000")));
    EXPECT_EQ(rowValues(image, 0), Values({2, 2, 2, 2}));
}

struct Refusal {
    const char* name;
    std::function<void(BmpSpec&)> damage;
    const char* message;
};

TEST_F(Bmp, DamagedHeadersAreRefusedWithTheirField)
{
    const Refusal refusals[] = {
        {"planes", [](BmpSpec& s) { s.planes = 2; }, "BMP: BitmapInfoHeader.biPlanes invalid"},
        {"bits 2", [](BmpSpec& s) { s.bitCount = 2; }, "BMP: BitmapInfoHeader.biBitCount invalid"},
        {"bits 0", [](BmpSpec& s) { s.bitCount = 0; }, "BMP: BitmapInfoHeader.biBitCount invalid"},
        {"rle8 top-down", [](BmpSpec& s) { s.bitCount = 8, s.compression = 1, s.height = -1; },
         "BMP: BitmapInfoHeader.biCompression invalid"},
        {"rle8 at 4 bits", [](BmpSpec& s) { s.bitCount = 4, s.compression = 1; },
         "BMP: BitmapInfoHeader.biCompression invalid"},
        {"rle4 at 8 bits", [](BmpSpec& s) { s.bitCount = 8, s.compression = 2; },
         "BMP: BitmapInfoHeader.biCompression invalid"},
        {"rle4 top-down", [](BmpSpec& s) { s.bitCount = 4, s.compression = 2, s.height = -2; },
         "BMP: BitmapInfoHeader.biCompression invalid"},
        {"bit fields at 24", [](BmpSpec& s) { s.compression = 3; }, "BMP: BitmapInfoHeader.biCompression invalid"},
        {"embedded JPEG", [](BmpSpec& s) { s.compression = 4; }, "BMP: BitmapInfoHeader.biCompression invalid"},
        {"alpha bit fields", [](BmpSpec& s) { s.bitCount = 32, s.compression = 6; },
         "BMP: BitmapInfoHeader.biCompression invalid"},
        {"header 20", [](BmpSpec& s) { s.headerSize = 20; }, "BMP: Invalid size of BitmapInfoHeader"},
        {"header 125", [](BmpSpec& s) { s.headerSize = 125; }, "BMP: Invalid size of BitmapInfoHeader"},
        {"header 0", [](BmpSpec& s) { s.headerSize = 0; }, "BMP: Invalid size of BitmapInfoHeader"},
        {"core planes", [](BmpSpec& s) { s.headerSize = 12, s.planes = 0; }, "BMP: BitmapCoreHeader.bcPlanes invalid"},
        {"core 16 bits", [](BmpSpec& s) { s.headerSize = 12, s.bitCount = 16; },
         "BMP: BitmapCoreHeader.bcBitCount invalid"},
        {"core height", [](BmpSpec& s) { s.headerSize = 12, s.height = -1; }, "BMP: BitmapCoreHeader.bcHeight invalid"},
        {"no row count", [](BmpSpec& s) { s.height = INT32_MIN; }, "BMP: BitmapInfoHeader.biHeight invalid"},
        {"pixels cut short", [](BmpSpec& s) { s.pixels.chop(1); }, "BMP: Unexpected end of file"},
        {"huge, tiny file", [](BmpSpec& s) { s.width = 30000, s.height = 30000; }, "BMP: Unexpected end of file"},
        {"huge bit fields", [](BmpSpec& s) { s.bitCount = 32, s.width = 1 << 30, s.height = 1 << 30; },
         "BMP: Unexpected end of file"},
        {"palette cut short", [](BmpSpec& s) { s.bitCount = 8, s.colorsUsed = 256, s.pixels.clear(); },
         "BMP: Unexpected end of file"},
        {"rle cut short", [](BmpSpec& s) { s.bitCount = 8, s.compression = 1, s.colorsUsed = 1,
                                           s.palette = {0}, s.pixels = hex("0101"); },
         "BMP: Unexpected end of file"},
        {"negative width", [](BmpSpec& s) { s.width = -4; }, "Negative width"},
        {"rle beyond 1 GiB", [](BmpSpec& s) { s.bitCount = 8, s.compression = 1, s.colorsUsed = 1, s.palette = {0},
                                              s.width = 40000, s.height = 40000, s.pixels = hex("0001"); },
         "CreateDIBSection failed"},
    };
    for (const Refusal& r : refusals) {
        BmpSpec spec;
        spec.width = 2;
        spec.pixels = QByteArray(8, '\x11');
        r.damage(spec);
        TPixelGraphic image;
        try {
            LoadBytes(image, BmpFile(spec));
            ADD_FAILURE() << r.name << ": loaded";
        } catch (const EPixelGraphic& e) {
            EXPECT_EQ(e.Message(), QString(r.message)) << r.name;
        }
        EXPECT_EQ(image.UpdateCount(), 0);
    }
    TPixelGraphic image;
    QBuffer buffer;
    buffer.setData(FormatExampleTrueColorBmp().left(20));
    buffer.open(QIODevice::ReadOnly);
    EXPECT_PG_THROW(image.LoadFromStream(buffer), EPGBMPFileFormatReader, "BMP: Unexpected end of file");
    buffer.seek(0);
    EXPECT_PG_THROW(GlobalBMPReader().Load(buffer, image, 1), EPGBMPFileFormatReader, "BMP: Index invalid");
}

TEST_F(Bmp, ColoursUsedBeyondTheBitCountAreSkipped)
{
    BmpSpec spec;
    spec.width = 2;
    spec.bitCount = 1;
    spec.colorsUsed = 5;
    spec.palette = {0, RGBColor(255, 255, 255), RGBColor(1, 2, 3), RGBColor(4, 5, 6), RGBColor(7, 8, 9)};
    spec.pixels = hex("40000000");
    spec.pixelOffset = 0; // not inside the pixels: they follow the colour table
    TPixelGraphic image;
    LoadBytes(image, BmpFile(spec));
    EXPECT_EQ(image.PaletteCount(), 2);
    EXPECT_EQ(image.PaletteIdent(), pBlackWhite);
    EXPECT_EQ(rowValues(image, 0), Values({0, 1}));
}

TEST_F(Bmp, PixelsAreTakenFromTheFileHeadersOffset)
{
    BmpSpec spec;
    spec.width = 1;
    spec.gap = "GAP!";
    spec.pixels = hex("0A0B0C00");
    TPixelGraphic image;
    LoadBytes(image, BmpFile(spec)); // the offset points past the gap
    EXPECT_EQ(image.GetPixel(0, 0), RGBColor(0x0C, 0x0B, 0x0A));
    spec.pixelOffset = 5000; // beyond the file: the pixels follow the table (here: the gap)
    LoadBytes(image, BmpFile(spec));
    EXPECT_EQ(image.GetPixel(0, 0), RGBColor('P', 'A', 'G'));
}

TEST_F(Bmp, FileInformation)
{
    const struct { std::function<void(BmpSpec&)> shape; const char* subFormat; const char* colors; int bits; } cases[] = {
        {[](BmpSpec& s) { s.headerSize = 12; }, "OS/2, RGB", "16.7M", 24},
        {[](BmpSpec&) {}, "Windows, RGB", "16.7M", 24},
        {[](BmpSpec& s) { s.height = -5; }, "Windows, RGB, Top-Down", "16.7M", 24},
        {[](BmpSpec& s) { s.bitCount = 8, s.compression = 1; }, "Windows, RLE8", "256", 8},
        {[](BmpSpec& s) { s.bitCount = 4, s.compression = 2; }, "Windows, RLE4", "16", 4},
        {[](BmpSpec& s) { s.bitCount = 16, s.compression = 3; }, "Windows", "64K", 16},
        {[](BmpSpec& s) { s.bitCount = 32; }, "Windows, RGB", "16.7M", 32},
        {[](BmpSpec& s) { s.bitCount = 1; }, "Windows, RGB", "2", 1},
    };
    for (const auto& c : cases) {
        BmpSpec spec;
        spec.width = 7;
        spec.height = 5;
        c.shape(spec);
        QString description;
        GraphicFileInfo info;
        ASSERT_TRUE(BytesFileInfo(BmpFile(spec), "bmp", 0, description, info)) << c.subFormat;
        EXPECT_EQ(description, "Bitmap");
        EXPECT_EQ(info.SubFormat, c.subFormat);
        EXPECT_EQ(info.ColorsText, c.colors);
        EXPECT_EQ(info.BitsPerPixel, c.bits);
        EXPECT_EQ(info.Width, 7);
        EXPECT_EQ(info.Height, 5);
        EXPECT_EQ(info.ImageCount, 1);
    }
    QBuffer buffer;
    buffer.setData(FormatExampleTrueColorBmp());
    buffer.open(QIODevice::ReadOnly);
    GraphicFileInfo info;
    EXPECT_PG_THROW(GlobalBMPReader().GetInfo(buffer, 1, info), EPGBMPFileFormatReader, "BMP: Invalid value for Index");
    buffer.seek(0);
    GlobalBMPReader().GetInfo(buffer, 0, info);
    EXPECT_EQ(info.SubFormat, "Windows, RGB");
}

TEST_F(Bmp, ShortReadsGiveTheSameImage)
{
    std::vector<Seed> files = SeedsFor("fuzz_bmp");
    auto big = MakePatternImage(301, 77, bcn24Bit);
    files.push_back({"big", SaveAs(*big, "bmp")});
    ExpectShortReadsGiveTheSameImage(files);
}

TEST_F(Bmp, TheSignatureDecidesNotTheName)
{
    TempFolder folder;
    const QString path = folder.write("really_a_bitmap.jpg", FormatExampleTrueColorBmp());
    TPixelGraphic image;
    image.LoadFromFile(path);
    EXPECT_EQ(image.Width(), 3);
}

TEST_F(Bmp, ProgressInTenPartsAndAbort)
{
    auto source = MakePatternImage(50, 20, bcn24Bit);
    const QByteArray file = SaveAs(*source, "bmp");
    TPixelGraphic image;
    QStringList events;
    image.SetOnProgressBegin([&](PGObject* sender) { events << (sender == &image ? "begin" : "?"); });
    image.SetOnProgressEnd([&](PGObject*) { events << "end"; });
    image.SetOnProgress([&](PGObject*, int done, int total, bool&) { events << QString("%1/%2").arg(done).arg(total); });
    LoadBytes(image, file);
    EXPECT_EQ(events, QStringList({"begin", "1/10", "2/10", "3/10", "4/10", "5/10", "6/10", "7/10", "8/10", "9/10",
                                   "10/10", "end"}));

    events.clear();
    image.SetOnProgress([&](PGObject*, int done, int, bool& abort) { abort = done == 3; });
    LoadBytes(image, file); // stopped: no error, the rest as allocated
    EXPECT_EQ(events, QStringList({"begin", "end"}));
    EXPECT_EQ(image.Width(), 50);
    EXPECT_EQ(image.GetPixel(49, 0), 0u);        // top row: last part, not read
    EXPECT_EQ(image.GetPixel(0, 19), source->GetPixel(0, 19));

    events.clear();
    EXPECT_THROW(LoadBytes(image, file.left(300)), EPGBMPFileFormatReader);
    EXPECT_EQ(events, QStringList({"begin", "end"})); // the end event also after a failure
}

// Damaged files kept in tests/imaging/crashers fail cleanly with the format's message (or load,
// where the damage is one the decoder clips).
TEST_F(Bmp, CrashersFailCleanly)
{
    const QMap<QString, QString> expected = {
        {"header_size_20.bmp", "BMP: Invalid size of BitmapInfoHeader"},
        {"huge_width_tiny_file.bmp", "BMP: Unexpected end of file"},
        {"rle8_runs_past_the_image.bmp", ""},
        {"rle8_ends_mid_image.bmp", "BMP: Unexpected end of file"},
        {"colors_used_4294967295.bmp", "BMP: Unexpected end of file"},
        {"bit_fields_wider_than_a_byte.bmp", ""},
    };
    ExpectCrashersFailCleanly(QDir(CRASHERS_DIR), {"*.bmp"}, expected);
}

} // namespace
