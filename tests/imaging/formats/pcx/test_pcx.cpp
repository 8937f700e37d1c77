#include "tests/imaging/formattest.h"
#include "imaging/formats/pcx/pcxformat.h"
#include "imaging/palettes.h"

#include <QBuffer>

namespace {

class Pcx : public LibraryTest {};

struct PcxSpec {
    int version = 5, bitsPerPlane = 8, planes = 1, width = 1, height = 1, bytesPerLine = -1;
    int xmin = 0, ymin = 0, paletteInfo = 1, reserved = 0;
    std::vector<TColor> headerColours;   // up to 16
    std::vector<QByteArray> lines;       // raw, encoded by pcxFile
    QByteArray data;                     // used instead of lines when set
    int trailerMarker = 12;              // 8-bit files; -1 for none
    std::vector<TColor> trailer;         // 256-colour palette
};

// Runs of two or more (and bytes that look like counts) as count pairs, other bytes as they are.
QByteArray encodeLine(const QByteArray& line)
{
    QByteArray out;
    for (qsizetype i = 0; i < line.size();) {
        qsizetype run = 1;
        while (i + run < line.size() && run < 63 && line[i + run] == line[i])
            ++run;
        if (run > 1 || (std::uint8_t(line[i]) & 0xC0) == 0xC0) {
            out += char(0xC0 | run);
            out += line[i];
        } else {
            out += line[i];
        }
        i += run;
    }
    return out;
}

QByteArray pcxFile(const PcxSpec& s)
{
    QByteArray f(128, '\0');
    auto put16 = [&f](int at, int v) {
        f[at] = char(v);
        f[at + 1] = char(v >> 8);
    };
    f[0] = 10;
    f[1] = char(s.version);
    f[2] = 1;
    f[3] = char(s.bitsPerPlane);
    put16(4, s.xmin);
    put16(6, s.ymin);
    put16(8, s.xmin + s.width - 1);
    put16(10, s.ymin + s.height - 1);
    for (std::size_t i = 0; i < s.headerColours.size(); ++i) {
        f[16 + 3 * int(i)] = char(RedOf(s.headerColours[i]));
        f[17 + 3 * int(i)] = char(GreenOf(s.headerColours[i]));
        f[18 + 3 * int(i)] = char(BlueOf(s.headerColours[i]));
    }
    f[64] = char(s.reserved);
    f[65] = char(s.planes);
    put16(66, s.bytesPerLine >= 0 ? s.bytesPerLine : (s.width * s.bitsPerPlane + 7) / 8);
    put16(68, s.paletteInfo);
    QByteArray data = s.data;
    for (const QByteArray& line : s.lines)
        data += encodeLine(line);
    f += data;
    if (s.bitsPerPlane == 8 && s.planes == 1 && s.trailerMarker >= 0) {
        f += char(s.trailerMarker);
        for (int i = 0; i < 256; ++i) {
            const TColor c = i < int(s.trailer.size()) ? s.trailer[std::size_t(i)] : RGBColor(i, i, 0);
            f += char(RedOf(c));
            f += char(GreenOf(c));
            f += char(BlueOf(c));
        }
    }
    return f;
}

TEST_F(Pcx, TheFourLayouts)
{
    {   // 1 bit: the last byte masked to the width
        PcxSpec s;
        s.bitsPerPlane = 1;
        s.width = 10;
        s.bytesPerLine = 2;
        s.lines = {hex("A5FF")};
        TPixelGraphic image;
        LoadBytes(image, pcxFile(s), "pcx");
        EXPECT_EQ(image.PaletteIdent(), pBlackWhite);
        EXPECT_EQ(rowValues(image, 0), (std::vector<std::uint32_t>{1, 0, 1, 0, 0, 1, 0, 1, 1, 1}));
        EXPECT_EQ(image.ScanLine(0)[1], 0xC0);
    }
    {   // 4 bits in four planes: plane p gives bit p of the index
        PcxSpec s;
        s.bitsPerPlane = 1;
        s.planes = 4;
        s.width = 3;
        s.lines = {hex("80 40 C0 20")}; // x0: planes 0, 2 -> 5; x1: planes 1, 2 -> 6; x2: plane 3 -> 8
        s.headerColours = {RGBColor(1, 1, 1), RGBColor(2, 2, 2)};
        TPixelGraphic image;
        LoadBytes(image, pcxFile(s), "pcx");
        EXPECT_EQ(image.BitCountNum(), bcn4Bit);
        EXPECT_EQ(rowValues(image, 0), (std::vector<std::uint32_t>{5, 6, 8}));
        EXPECT_EQ(image.GetPaletteEntry(1), RGBColor(2, 2, 2));
    }
    {   // 8 bits with the trailer's palette
        PcxSpec s;
        s.width = 4;
        s.lines = {hex("07070709")};
        s.trailer = {RGBColor(0, 0, 0), RGBColor(9, 8, 7)};
        TPixelGraphic image;
        LoadBytes(image, pcxFile(s), "pcx");
        EXPECT_EQ(rowValues(image, 0), (std::vector<std::uint32_t>{7, 7, 7, 9}));
        EXPECT_EQ(image.GetPaletteEntry(1), RGBColor(9, 8, 7));
    }
    {   // 24 bits: red, green and blue planes
        PcxSpec s;
        s.planes = 3;
        s.width = 2;
        s.height = 2;
        s.lines = {hex("0102 0304 0506"), hex("FFFF 0000 FFFF")};
        TPixelGraphic image;
        LoadBytes(image, pcxFile(s), "pcx");
        EXPECT_EQ(image.GetPixelColor(0, 0), RGBColor(1, 3, 5));
        EXPECT_EQ(image.GetPixelColor(1, 0), RGBColor(2, 4, 6));
        EXPECT_EQ(image.GetPixelColor(1, 1), RGBColor(255, 0, 255));
    }
}

TEST_F(Pcx, SixteenColoursByVersion)
{
    PcxSpec s;
    s.bitsPerPlane = 1;
    s.planes = 4;
    s.width = 1;
    s.lines = {hex("80000000")};
    s.headerColours = {RGBColor(0, 0, 0), RGBColor(10, 20, 30)};
    s.version = 3;
    TPixelGraphic v3;
    LoadBytes(v3, pcxFile(s), "pcx");
    EXPECT_EQ(v3.PaletteIdent(), pSys16);
    s.version = 5;
    TPixelGraphic v5;
    LoadBytes(v5, pcxFile(s), "pcx");
    EXPECT_EQ(v5.GetPixelColor(0, 0), RGBColor(10, 20, 30));
}

TEST_F(Pcx, RunsStopAtTheLineEndAndOriginsDoNotMatter)
{
    PcxSpec s;
    s.width = 3;
    s.height = 2;
    s.xmin = -5;
    s.ymin = 100;
    s.data = hex("C5 11  C3 22"); // five 0x11 into a line of three: two are dropped
    TPixelGraphic image;
    LoadBytes(image, pcxFile(s), "pcx");
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(rowValues(image, 0), (std::vector<std::uint32_t>{0x11, 0x11, 0x11}));
    EXPECT_EQ(rowValues(image, 1), (std::vector<std::uint32_t>{0x22, 0x22, 0x22}));
}

TEST_F(Pcx, DamagedFilesGiveTheirMessages)
{
    auto spec = [](auto change) {
        PcxSpec s;
        s.width = 4;
        s.height = 2;
        s.lines = {hex("01020304"), hex("05060708")};
        change(s);
        return pcxFile(s);
    };
    const struct { const char* name; QByteArray file; const char* message; } cases[] = {
        {"palette info 2", spec([](PcxSpec& s) { s.paletteInfo = 2; }), "PCX: Unknown subformat"},
        {"reserved byte", spec([](PcxSpec& s) { s.reserved = 1; }), "PCX: Unknown subformat"},
        {"2 bits x 1 plane", spec([](PcxSpec& s) { s.bitsPerPlane = 2; }), "PCX: Unknown subformat"},
        {"no 12 marker", spec([](PcxSpec& s) { s.trailerMarker = 13; }), "PCX: Unknown subformat"},
        {"too short for the trailer", spec([](PcxSpec& s) { s.trailerMarker = -1; }), "PCX: Unknown subformat"},
        {"bytes per line below the width", spec([](PcxSpec& s) { s.bytesPerLine = 3; }), "PCX: Unknown subformat"},
        {"width 0", spec([](PcxSpec& s) { s.width = 0; }), "PCX: Unknown subformat"},
        {"cut data", spec([](PcxSpec& s) { s.planes = 3, s.lines.pop_back(); }), "PCX: Unexpected end of file"},
        {"large header, no data", spec([](PcxSpec& s) {
             s.planes = 3, s.width = 5000, s.height = 5000, s.lines.clear();
         }),
         "PCX: Unexpected end of file"},
        {"past the size cap", spec([](PcxSpec& s) { s.planes = 3, s.width = 30000, s.height = 30000; }),
         "CreateDIBSection failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPixelGraphic image;
        EXPECT_PG_THROW(LoadBytes(image, c.file, "pcx"), EPixelGraphic, c.message);
    }
}

TEST_F(Pcx, InformationAndTheRegistry)
{
    const struct { int version, bits, planes; const char* sub; const char* colors; } cases[] = {
        {0, 1, 1, "Version 2.5 (0)", "2"},
        {2, 1, 4, "Version 2.8 (2) with Palette", "16"},
        {3, 8, 1, "Version 2.8 (3) without Palette", "256"},
        {5, 8, 3, "Version 3.0 (5)", "16.7M"},
    };
    for (const auto& c : cases) {
        PcxSpec s;
        s.version = c.version;
        s.bitsPerPlane = c.bits;
        s.planes = c.planes;
        s.width = 320;
        s.height = 200;
        QBuffer buffer;
        buffer.setData(pcxFile(s));
        buffer.open(QIODevice::ReadOnly);
        GraphicFileInfo info;
        TPCXFileFormatReader().GetInfo(buffer, 0, info);
        EXPECT_EQ(info.SubFormat, c.sub);
        EXPECT_EQ(info.ColorsText, c.colors);
        EXPECT_EQ(info.BitsPerPixel, c.bits * c.planes);
        EXPECT_EQ(info.Width, 320);
        EXPECT_EQ(info.Height, 200);
    }
    // Found by extension only: a Targa file whose identification field is 10 bytes long starts
    // with the byte 10 and stays a Targa file.
    QByteArray tga = hex("0A0002000000000000000000010001001800") + QByteArray(10, 'i') + hex("010203");
    TPixelGraphic image;
    LoadBytes(image, tga, "tga");
    EXPECT_EQ(image.GetPixelColor(0, 0), RGBColor(3, 2, 1));
    EXPECT_TRUE(TPCXFileFormatReader().CheckSignature(SignatureProbe{10}));
    EXPECT_FALSE(TPCXFileFormatReader().HasSignature());
}

TEST_F(Pcx, ShortReadsGiveTheSameImage)
{
    PcxSpec s;
    s.planes = 3;
    s.width = 37;
    s.height = 9;
    auto image = MakePatternImage(37, 9, bcn24Bit);
    for (int y = 0; y < 9; ++y) {
        QByteArray line(3 * 37, '\0');
        for (int x = 0; x < 37; ++x) {
            const TColor c = image->GetPixelColor(x, y);
            line[x] = char(RedOf(c));
            line[37 + x] = char(GreenOf(c));
            line[74 + x] = char(BlueOf(c));
        }
        s.lines.push_back(line);
    }
    const QByteArray file = pcxFile(s);
    ExpectShortReadsGive(file, *image, "pcx");
}

} // namespace
