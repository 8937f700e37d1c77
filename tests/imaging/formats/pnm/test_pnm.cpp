#include "tests/imaging/formattest.h"
#include "imaging/formats/pnm/pnmformat.h"
#include "imaging/pgsettings.h"

#include <QBuffer>

namespace {

class Pnm : public LibraryTest {};

TEST_F(Pnm, TextAndRawOutputByteForByte)
{
    TPixelGraphic bitmap;
    bitmap.Allocate(2, 2, bcn1Bit);
    bitmap.SetPaletteIdent(pBlackWhite);
    for (auto [x, y, v] : {std::tuple{0, 0, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 0}})
        bitmap.SetPixel(x, y, std::uint32_t(v)); // black (index 0) at (0,0) and (1,1)
    EXPECT_EQ(SaveAs(bitmap, "pbm"), QByteArray("P1\n2 2\n1 0\n0 1\n"));

    TPixelGraphic gray;
    gray.Allocate(3, 1, bcn8Bit);
    gray.SetPaletteIdent(pGray256);
    for (int x = 0; x < 3; ++x)
        gray.SetPixel(x, 0, std::uint32_t(x * 100));
    EXPECT_EQ(SaveAs(gray, "pgm"), QByteArray("P2\n3 1\n255\n0 100 200\n"));

    TPixelGraphic colour;
    colour.Allocate(2, 1, bcn24Bit);
    colour.SetPixel(0, 0, RGBColor(1, 2, 3));
    colour.SetPixel(1, 0, RGBColor(255, 0, 128));
    EXPECT_EQ(SaveAs(colour, "ppm"), QByteArray("P3\n2 1\n255\n1 2 3 255 0 128\n"));

    PxMWriteBinary = true;
    EXPECT_EQ(SaveAs(bitmap, "pbm"), QByteArray("P4\n2 2\n") + hex("8040"));
    EXPECT_EQ(SaveAs(gray, "pgm"), QByteArray("P5\n3 1\n255\n") + hex("0064C8"));
    EXPECT_EQ(SaveAs(colour, "ppm"), QByteArray("P6\n2 1\n255\n") + hex("010203FF0080"));
    ResetPixelGraphicSettings();
    EXPECT_FALSE(PxMWriteBinary);
}

TEST_F(Pnm, TextRowsAreNeverWrapped)
{
    auto image = MakePatternImage(150, 2, bcn8Bit);
    const QList<QByteArray> lines = SaveAs(*image, "pgm").split('\n');
    ASSERT_EQ(lines.size(), 6); // magic, size, maxval, two rows, and "" after the last line feed
    EXPECT_EQ(lines[3].count(' '), 149);
}

TEST_F(Pnm, EveryWriterRoundTripsBothWays)
{
    for (bool binary : {false, true}) {
        PxMWriteBinary = binary;
        for (int width : {1, 7, 8, 9, 33}) {
            const struct { TBitCountNum num; const char* ext; } kinds[] = {
                {bcn1Bit, "pbm"}, {bcn8Bit, "pgm"}, {bcn24Bit, "ppm"}};
            for (const auto& k : kinds) {
                auto image = MakePatternImage(width, 5, k.num);
                TPixelGraphic back;
                LoadBytes(back, SaveAs(*image, k.ext));
                EXPECT_TRUE(SamePixels(back, *image)) << k.ext << " width " << width << " binary " << binary;
            }
        }
    }
}

TEST_F(Pnm, LoadsEveryVariant)
{
    const struct {
        const char* name;
        QByteArray file;
        TBitCountNum num;
        std::vector<std::vector<std::uint32_t>> rows;
    } cases[] = {
        {"P1 digits unseparated", "P1\n3 2\n101\n0 1\n1", bcn1Bit, {{0, 1, 0}, {1, 0, 0}}},
        {"P1 any non-zero digit is black", "P1 2 1 7 0", bcn1Bit, {{0, 1}}},
        {"P2 scaled by maxval", "P2\n4 1\n1000\n0 500 1000 4000\n", bcn8Bit, {{0, 127, 255, 255}}},
        {"P3 comment between width and height", "P3\n1 # the width\n1\n255\n10 20 30\n", bcn24Bit,
         {{RGBColor(10, 20, 30)}}},
        {"P4 rows of whole bytes", QByteArray("P4\n10 2\n") + hex("FFC0 0000"), bcn1Bit,
         {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}}},
        {"P5 maxval 15, a sample above it", QByteArray("P5\n3 1\n15\n") + hex("000F10"), bcn8Bit, {{0, 255, 255}}},
        {"P5 comment after maxval swallows the line", QByteArray("P5 2 1 255#note\n") + hex("2345"), bcn8Bit,
         {{0x23, 0x45}}},
        {"P5 data that looks like a comment", QByteArray("P5\n2 1\n255\n") + hex("2345"), bcn8Bit, {{0x23, 0x45}}},
        {"P6", QByteArray("P6\n1 1\n255\n") + hex("102030"), bcn24Bit, {{RGBColor(0x10, 0x20, 0x30)}}},
    };
    for (const auto& c : cases) {
        TPixelGraphic image;
        LoadBytes(image, c.file);
        EXPECT_EQ(image.BitCountNum(), c.num) << c.name;
        ASSERT_EQ(image.Height(), int(c.rows.size())) << c.name;
        for (int y = 0; y < image.Height(); ++y)
            EXPECT_EQ(rowValues(image, y), c.rows[std::size_t(y)]) << c.name << " row " << y;
    }
}

TEST_F(Pnm, DamagedFilesGiveTheirMessages)
{
    const struct { const char* name; QByteArray file; const char* message; } cases[] = {
        {"raw maxval 65535", "P5\n1 1\n65535\n..", "PBM, PGM, PPM: Not supported subformat"},
        {"maxval 0", "P2\n1 1\n0\n0\n", "PBM, PGM, PPM: Not supported subformat"},
        {"width 0", "P2\n0 1\n255\n", "PBM, PGM, PPM: Not supported subformat"},
        {"number past 31 bits", "P2\n2147483648 1\n255\n", "PBM, PGM, PPM: Not supported subformat"},
        {"cut header", "P2\n5", "PBM, PGM, PPM: Unexpected end of file"},
        {"cut raw data", QByteArray("P6\n2 2\n255\n") + QByteArray(11, 'x'), "PBM, PGM, PPM: Unexpected end of file"},
        {"large header, no data", "P6\n10000 10000\n255\n", "PBM, PGM, PPM: Unexpected end of file"},
        {"text data too short", "P2\n3 3\n255\n1 2 3\n", "PBM, PGM, PPM: Unexpected end of file"},
        {"past the size cap", "P6\n60000 60000\n255\n", "CreateDIBSection failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPixelGraphic image;
        EXPECT_PG_THROW(LoadBytes(image, c.file, "ppm"), EPixelGraphic, c.message);
    }
    // The registry takes neither of these for a portable map: the readers themselves name them.
    for (const auto& [file, message] : {std::pair{"Q5\n1 1\n255\n.", "PBM, PGM, PPM: Not a PBM, PGM, PPM file"},
                                        std::pair{"P7\n1 1\n255\n.", "PBM, PGM, PPM: Unknown subformat"}}) {
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        TPixelGraphic image;
        EXPECT_PG_THROW(TPPMFileFormatReader().Load(buffer, image, 0), EPGPxMFileFormatReader, message);
    }
}

TEST_F(Pnm, IndexAndInformation)
{
    const QByteArray file = QByteArray("P6\n5 4\n255\n") + QByteArray(60, '\0');
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    TPixelGraphic image;
    EXPECT_PG_THROW(TPPMFileFormatReader().Load(buffer, image, 1), EPGPxMFileFormatReader, "PxM: Index invalid");
    GraphicFileInfo info;
    EXPECT_PG_THROW(TPPMFileFormatReader().GetInfo(buffer, 1, info), EPGPxMFileFormatReader,
                    "PBM, PGM, PPM: Invalid value for Index");

    const struct { QByteArray file; const char* sub; int bits; const char* colors; } cases[] = {
        {"P1\n5 4\n", "ASCII", 1, "2"},
        {"P5\n5 4\n255\n", "Binary", 8, "256"},
        {file, "Binary", 24, "16.7M"},
    };
    for (const auto& c : cases) {
        QBuffer in;
        in.setData(c.file);
        in.open(QIODevice::ReadOnly);
        TPBMFileFormatReader().GetInfo(in, 0, info); // every reader reads every variant
        EXPECT_EQ(info.SubFormat, c.sub);
        EXPECT_EQ(info.BitsPerPixel, c.bits);
        EXPECT_EQ(info.ColorsText, c.colors);
        EXPECT_EQ(info.Width, 5);
        EXPECT_EQ(info.Height, 4);
        EXPECT_EQ(info.ImageCount, 1);
    }
}

TEST_F(Pnm, WritersRefuseBeforeWritingAnything)
{
    TPixelGraphic gray16;
    gray16.Allocate(2, 2, bcn4Bit);
    gray16.SetPaletteIdent(pGray16);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_PG_THROW(TPGMFileFormatWriter().Save(out, gray16, CurrentSaveOptions()), EPGPxMFileFormatWriter, "PGM: Invalid color resolution");
    EXPECT_PG_THROW(TPBMFileFormatWriter().Save(out, gray16, CurrentSaveOptions()), EPGPxMFileFormatWriter, "PBM: Invalid color resolution");
    TPixelGraphic empty;
    EXPECT_PG_THROW(TPPMFileFormatWriter().Save(out, empty, CurrentSaveOptions()), EPGPxMFileFormatWriter,
                    "PBM, PGM, PPM: Width = 0 or Height = 0");
    EXPECT_TRUE(out.data().isEmpty());
}

TEST_F(Pnm, SignaturesAndShortReads)
{
    auto image = MakePatternImage(37, 9, bcn24Bit);
    PxMWriteBinary = true;
    const QByteArray raw = SaveAs(*image, "ppm");
    PxMWriteBinary = false;
    const QByteArray text = SaveAs(*image, "ppm");
    for (const QByteArray& file : {raw, text}) {
        TPixelGraphic named;
        LoadBytes(named, file, "bmp"); // found by its signature, not the name
        EXPECT_TRUE(SamePixels(named, *image));
        ExpectShortReadsGive(file, *image);
    }
    EXPECT_TRUE(TPGMFileFormatReader().CheckSignature(SignatureProbe{'P', '5'}));
    EXPECT_FALSE(TPGMFileFormatReader().CheckSignature(SignatureProbe{'P', '6'}));
}

} // namespace
