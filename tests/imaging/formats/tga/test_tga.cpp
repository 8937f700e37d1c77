#include "tests/imaging/formattest.h"
#include "imaging/formats/tga/tgaformat.h"
#include "imaging/pgsettings.h"
#include "tempfolder.h"

#include <QBuffer>

namespace {

class Tga : public LibraryTest {};

// A Targa file of the tests' own making: header fields, then the map and the pixels as given.
struct TgaSpec {
    int mapType = 0, imageType = 2, firstEntry = 0, mapLength = 0, entryBits = 0;
    int width = 1, height = 1, bitsPerPixel = 24, descriptor = 0;
    QByteArray id, map, pixels;
};

QByteArray tgaFile(const TgaSpec& s)
{
    QByteArray f(18, '\0');
    auto put16 = [&f](int at, int v) {
        f[at] = char(v);
        f[at + 1] = char(v >> 8);
    };
    f[0] = char(s.id.size());
    f[1] = char(s.mapType);
    f[2] = char(s.imageType);
    put16(3, s.firstEntry);
    put16(5, s.mapLength);
    f[7] = char(s.entryBits);
    put16(12, s.width);
    put16(14, s.height);
    f[16] = char(s.bitsPerPixel);
    f[17] = char(s.descriptor);
    return f + s.id + s.map + s.pixels;
}

// The pixels of an image as a file stores them, in the order the descriptor gives.
QByteArray storedPixels(TPixelGraphic& image, int bytesPerPixel, int descriptor)
{
    QByteArray out;
    for (int r = 0; r < image.Height(); ++r) {
        const int y = descriptor & 0x20 ? r : image.Height() - 1 - r;
        for (int i = 0; i < image.Width(); ++i) {
            const int x = descriptor & 0x10 ? image.Width() - 1 - i : i;
            const TColor c = image.GetPixelColor(x, y);
            switch (bytesPerPixel) {
            case 1:
                out += char(image.GetPixel(x, y));
                break;
            case 2: {
                const int v = (RedOf(c) >> 3) << 10 | (GreenOf(c) >> 3) << 5 | BlueOf(c) >> 3;
                out += char(v);
                out += char(v >> 8);
                break;
            }
            default:
                out += char(BlueOf(c));
                out += char(GreenOf(c));
                out += char(RedOf(c));
                if (bytesPerPixel == 4)
                    out += char(0x80);
            }
        }
    }
    return out;
}

// Run-length packets over all pixels at once, so that packets run across rows: repeats for
// runs of two or more, literals up to 128 pixels otherwise.
QByteArray runLength(const QByteArray& pixels, int b)
{
    QByteArray out;
    const int count = int(pixels.size()) / b;
    auto px = [&](int i) { return pixels.mid(qsizetype(i) * b, b); };
    int i = 0;
    while (i < count) {
        int run = 1;
        while (i + run < count && run < 128 && px(i + run) == px(i))
            ++run;
        if (run > 1) {
            out += char(0x80 | (run - 1));
            out += px(i);
            i += run;
            continue;
        }
        int literal = 1;
        while (i + literal < count && literal < 128 && px(i + literal) != px(i + literal - 1))
            ++literal;
        out += char(literal - 1);
        out += pixels.mid(qsizetype(i) * b, qsizetype(literal) * b);
        i += literal;
    }
    return out;
}

// A picture with runs long enough to cross rows and stretches of different pixels.
std::unique_ptr<TPixelGraphic> picture(TBitCountNum num)
{
    auto image = MakePatternImage(11, 7, num);
    for (int x = 3; x < 11; ++x)
        for (int y = 2; y < 4; ++y)
            image->SetPixel(x, y, image->GetPixel(0, 2));
    return image;
}

TEST_F(Tga, WriterBytesAsInFormatDescription)
{
    TPixelGraphic colour;
    colour.Allocate(2, 1, bcn24Bit);
    colour.SetPixel(0, 0, RGBColor(255, 0, 0));
    colour.SetPixel(1, 0, RGBColor(0, 0, 255));
    EXPECT_EQ(SaveAs(colour, "tga"), hex("000002000000000000000000020001001800 0000FF FF0000"));

    TPixelGraphic mapped;
    mapped.Allocate(2, 2, bcn8Bit);
    mapped.SetPaletteCount(3);
    mapped.SetPaletteEntry(0, RGBColor(0, 0, 0));
    mapped.SetPaletteEntry(1, RGBColor(255, 255, 255));
    mapped.SetPaletteEntry(2, RGBColor(0, 255, 0));
    mapped.SetPixel(1, 0, 1);
    mapped.SetPixel(0, 1, 2);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    TTGAFileFormatWriter().Save(out, mapped, CurrentSaveOptions());
    EXPECT_EQ(out.data(), hex("000101000003001800000000020002000800 000000FFFFFF00FF00 0200 0001"));

    // A 1-bit image handed over directly goes out as 8-bit indices, 18 + 3n + W x H bytes.
    TPixelGraphic bits;
    bits.Allocate(9, 2, bcn1Bit);
    bits.SetPaletteIdent(pBlackWhite);
    bits.SetPixel(8, 0, 1);
    QBuffer out2;
    out2.open(QIODevice::WriteOnly);
    TTGAFileFormatWriter().Save(out2, bits, CurrentSaveOptions());
    EXPECT_EQ(out2.data().size(), 18 + 3 * 2 + 9 * 2);
    EXPECT_EQ(out2.data().right(9), hex("000000000000000001"));
}

// Sides go into 16-bit fields: 65535 is the largest that is written, anything larger is refused
// before a byte is written, for either kind of image.
TEST_F(Tga, TheWriterRefusesASideOver65535)
{
    TempFolder folder;
    const struct { int width, height; TBitCountNum format; QString error; } cases[] = {
        {70000, 1, bcn24Bit, "TGA: Width out of range"},
        {1, 70000, bcn24Bit, "TGA: Height out of range"},
        {65536, 1, bcn8Bit, "TGA: Width out of range"},
        {65535, 1, bcn24Bit, ""},
        {1, 65535, bcn8Bit, ""},
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height);
        TPixelGraphic image;
        image.Allocate(c.width, c.height, c.format);
        image.SetColorResConversion(crcConvert);
        const QString target = folder.file("wide.tga");
        if (c.error.isEmpty()) {
            image.SaveToFile(target);
            const QByteArray written = readAll(target);
            EXPECT_EQ(written.mid(12, 4), c.width == 65535 ? hex("FFFF0100") : hex("0100FFFF")) << what;
            const int mapLength = std::uint8_t(written[5]) | std::uint8_t(written[6]) << 8;
            EXPECT_EQ(written.size() - 18 - 3 * mapLength, 65535 * (c.format == bcn8Bit ? 1 : 3)) << what;
            QFile::remove(target);
            continue;
        }
        EXPECT_PG_THROW(image.SaveToFile(target), EPGTGAFileFormatReader, c.error);
        EXPECT_TRUE(folder.entries().isEmpty()) << what;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        EXPECT_PG_THROW(TTGAFileFormatWriter().Save(out, image, CurrentSaveOptions()), EPGTGAFileFormatReader, c.error);
        EXPECT_TRUE(out.data().isEmpty()) << what;
    }
}

TEST_F(Tga, EveryTypeOriginAndCompressionLoadsTheSamePixels)
{
    auto colour = picture(bcn24Bit);
    auto gray = picture(bcn8Bit);
    for (int descriptor : {0x00, 0x10, 0x20, 0x30}) {
        for (bool rle : {false, true}) {
            for (int bpp : {16, 24, 32}) {
                TgaSpec s;
                s.imageType = rle ? 10 : 2;
                s.width = 11;
                s.height = 7;
                s.bitsPerPixel = bpp;
                s.descriptor = descriptor;
                s.id = "picture";
                const QByteArray pixels = storedPixels(*colour, bpp / 8, descriptor);
                s.pixels = rle ? runLength(pixels, bpp / 8) : pixels;
                TPixelGraphic image;
                LoadBytes(image, tgaFile(s), "tga");
                ASSERT_EQ(image.BitCountNum(), bcn24Bit);
                for (int y = 0; y < 7; ++y)
                    for (int x = 0; x < 11; ++x) {
                        const TColor want = colour->GetPixelColor(x, y);
                        const int mask = bpp == 16 ? 0xF8 : 0xFF;
                        EXPECT_EQ(image.GetPixelColor(x, y),
                                  RGBColor(RedOf(want) & mask, GreenOf(want) & mask, BlueOf(want) & mask))
                            << "descriptor " << descriptor << " rle " << rle << " bpp " << bpp << " at " << x << "," << y;
                    }
            }
            TgaSpec g;
            g.imageType = rle ? 11 : 3;
            g.width = 11;
            g.height = 7;
            g.bitsPerPixel = 8;
            g.descriptor = descriptor;
            const QByteArray pixels = storedPixels(*gray, 1, descriptor);
            g.pixels = rle ? runLength(pixels, 1) : pixels;
            TPixelGraphic image;
            LoadBytes(image, tgaFile(g), "tga");
            EXPECT_EQ(image.PaletteIdent(), pGray256);
            EXPECT_TRUE(SamePixels(image, *gray)) << "gray, descriptor " << descriptor << " rle " << rle;
        }
    }
}

TEST_F(Tga, ColourMapsStartAtTheirFirstEntry)
{
    const struct { int entryBits; QByteArray entries; } maps[] = {
        {24, hex("0000FF 00FF00")},               // blue, green, red bytes: red, green
        {32, hex("0000FF00 00FF0000")},
        {16, hex("007C E003")},                   // 0x7C00 red, 0x03E0 green
    };
    for (const auto& m : maps) {
        TgaSpec s;
        s.mapType = 1;
        s.imageType = 1;
        s.firstEntry = 2;
        s.mapLength = 2;
        s.entryBits = m.entryBits;
        s.width = 3;
        s.bitsPerPixel = 8;
        s.map = m.entries;
        s.pixels = hex("020300");
        TPixelGraphic image;
        LoadBytes(image, tgaFile(s), "tga");
        ASSERT_EQ(image.PaletteCount(), 4) << m.entryBits;
        EXPECT_EQ(image.GetPaletteEntry(0), 0u);
        EXPECT_EQ(image.GetPixelColor(0, 0), RGBColor(m.entryBits == 16 ? 248 : 255, 0, 0)) << m.entryBits;
        EXPECT_EQ(image.GetPixelColor(1, 0), RGBColor(0, m.entryBits == 16 ? 248 : 255, 0)) << m.entryBits;
    }
    // A map beside true-colour pixels is skipped whole.
    TgaSpec s;
    s.mapType = 1;
    s.mapLength = 3;
    s.entryBits = 15;
    s.map = hex("0000 0000 0000");
    s.pixels = hex("010203");
    TPixelGraphic image;
    LoadBytes(image, tgaFile(s), "tga");
    EXPECT_EQ(image.GetPixelColor(0, 0), RGBColor(3, 2, 1));
}

TEST_F(Tga, DamagedFilesGiveTheirMessages)
{
    auto spec = [](auto change) {
        TgaSpec s;
        s.width = 2;
        s.height = 2;
        s.pixels = QByteArray(12, 'x');
        change(s);
        return tgaFile(s);
    };
    const struct { const char* name; QByteArray file; const char* message; } cases[] = {
        {"15 bits per pixel", spec([](TgaSpec& s) { s.bitsPerPixel = 15; }), "TGA: Not supported subformat"},
        {"15-bit map entries", spec([](TgaSpec& s) {
             s.mapType = 1, s.imageType = 1, s.bitsPerPixel = 8, s.mapLength = 1, s.entryBits = 15;
             s.map = "..";
         }),
         "TGA: Not supported subformat"},
        {"indices of 16 bits", spec([](TgaSpec& s) { s.imageType = 3, s.bitsPerPixel = 16; }),
         "TGA: Not supported subformat"},
        {"image type 5", spec([](TgaSpec& s) { s.imageType = 5; }), "TGA: Not supported subformat"},
        {"cut run-length data", spec([](TgaSpec& s) { s.imageType = 10, s.pixels = hex("02 010203 81"); }),
         "TGA: Unexpected end of file"},
        {"cut plain data", spec([](TgaSpec& s) { s.pixels.chop(1); }), "TGA: Unexpected end of file"},
        {"65535 square, no data", spec([](TgaSpec& s) { s.width = s.height = 20000, s.bitsPerPixel = 8, s.imageType = 3; }),
         "TGA: Unexpected end of file"},
        {"past the size cap", spec([](TgaSpec& s) { s.width = s.height = 65535; }), "CreateDIBSection failed"},
        {"cut header", hex("000002000000"), "TGA: Unexpected end of file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPixelGraphic image;
        EXPECT_PG_THROW(LoadBytes(image, c.file, "tga"), EPixelGraphic, c.message);
    }
}

TEST_F(Tga, InformationTexts)
{
    const struct { int type, bits; const char* sub; const char* chunks; const char* colors; } cases[] = {
        {1, 8, "Uncompressed", "Color-mapped", "256"},
        {2, 16, "Uncompressed", "True-color", "65536"},
        {3, 8, "Uncompressed", "\"Black-and-white\"", "256"},
        {9, 8, "Run-length encoded", "Color-mapped", "256"},
        {10, 24, "Run-length encoded", "True-color", "16.7M"},
        {11, 32, "Run-length encoded", "\"Black-and-white\"", "16.7M ?"},
    };
    const TTGAFileFormatReader reader;
    for (const auto& c : cases) {
        TgaSpec s;
        s.imageType = c.type;
        s.bitsPerPixel = c.bits;
        s.width = 640;
        s.height = 480;
        QBuffer buffer;
        buffer.setData(tgaFile(s));
        buffer.open(QIODevice::ReadOnly);
        GraphicFileInfo info;
        reader.GetInfo(buffer, 0, info);
        EXPECT_EQ(info.SubFormat, c.sub);
        EXPECT_EQ(info.Chunks, c.chunks);
        EXPECT_EQ(info.ColorsText, c.colors);
        EXPECT_EQ(info.BitsPerPixel, c.bits);
        EXPECT_EQ(info.Width, 640);
        EXPECT_EQ(info.ImageCount, 1);
    }
    TgaSpec bad;
    bad.imageType = 4;
    QBuffer buffer;
    buffer.setData(tgaFile(bad));
    buffer.open(QIODevice::ReadOnly);
    GraphicFileInfo info;
    EXPECT_PG_THROW(reader.GetInfo(buffer, 0, info), EPGTGAFileFormatReader, "TGA: Invalid value for ImageType");
    EXPECT_PG_THROW(reader.GetInfo(buffer, 1, info), EPGTGAFileFormatReader, "TGA: Invalid value for Index");
    TPixelGraphic image;
    EXPECT_PG_THROW(reader.Load(buffer, image, 1), EPGTGAFileFormatReader, "TGA: Index invalid");
}

TEST_F(Tga, RoundTripsProgressAndShortReads)
{
    // The two resolutions the writer stores, written as they are.
    for (TBitCountNum num : {bcn8Bit, bcn24Bit}) {
        auto image = MakePatternImage(13, 6, num);
        if (num == bcn8Bit) {
            image->SetPaletteIdent(pSpecial216); // 256 colours, not grays
            image->SetPaletteEntry(7, RGBColor(1, 2, 3));
        }
        TPixelGraphic back;
        LoadBytes(back, SaveAs(*image, "tga"), "tga");
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(back.GetPixelColor(x, y), image->GetPixelColor(x, y)) << int(num);
    }

    auto image = picture(bcn24Bit);
    TgaSpec s;
    s.imageType = 10;
    s.width = 11;
    s.height = 7;
    s.pixels = runLength(storedPixels(*image, 3, 0), 3);
    const QByteArray file = tgaFile(s);
    ExpectShortReadsGive(file, *image, "tga");

    // The reader names itself in its progress events; an abort keeps the rows read so far.
    TPixelGraphic back;
    std::vector<int> rows;
    const PGObject* sender = nullptr;
    back.SetOnProgress([&](PGObject* from, int done, int, bool& abort) {
        sender = from;
        rows.push_back(done);
        abort = done == 2;
    });
    LoadBytes(back, file, "tga");
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2}));
    EXPECT_NE(sender, &back);
    EXPECT_EQ(back.GetPixelColor(0, 6), image->GetPixelColor(0, 6));
}

} // namespace
