#include "tempfolder.h"
#include "tests/imaging/formattest.h"
#include "imaging/formats/tiff/tiffformat.h"
#include "imaging/pgsettings.h"

#include "platform/prompts.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <functional>

namespace {

class Tiff : public LibraryTest {};

using Values = std::vector<std::uint32_t>;

const TTIFFileFormatReader& reader()
{
    static const TTIFFileFormatReader tif;
    return tif;
}

// The file's directory entries (little-endian files): tag, type, count, value field.
struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count, value;
};

std::uint32_t le32(const QByteArray& data, std::int64_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | std::uint8_t(data[qsizetype(at + i)]);
    return v;
}

std::uint16_t le16(const QByteArray& data, std::int64_t at)
{
    return std::uint16_t(std::uint8_t(data[qsizetype(at)]) | std::uint8_t(data[qsizetype(at + 1)]) << 8);
}

std::vector<Entry> entriesOf(const QByteArray& file)
{
    const std::uint32_t at = le32(file, 4);
    std::vector<Entry> entries;
    for (int i = 0; i < le16(file, at); ++i) {
        const std::int64_t e = at + 2 + 12 * i;
        entries.push_back({le16(file, e), le16(file, e + 2), le32(file, e + 4), le32(file, e + 8)});
    }
    return entries;
}

Entry entryOf(const QByteArray& file, std::uint16_t tag)
{
    for (const Entry& e : entriesOf(file))
        if (e.tag == tag)
            return e;
    ADD_FAILURE() << "no entry " << tag;
    return {};
}

std::vector<std::uint32_t> longsAt(const QByteArray& file, std::uint32_t at, std::uint32_t count)
{
    std::vector<std::uint32_t> values;
    for (std::uint32_t i = 0; i < count; ++i)
        values.push_back(le32(file, at + 4 * i));
    return values;
}

// ---- The layouts the writer knows, as images ----

struct LayoutRow {
    const char* name;
    TBitCountNum format;
    TPaletteIdent ident; // pUnknown: 256 colours of our own
    bool cmyk = false;
    bool whiteIsZero = false;
};

const LayoutRow kLayouts[] = {
    {"bilevel", bcn1Bit, pBlackWhite},
    {"bilevel WhiteIsZero", bcn1Bit, pBlackWhite, false, true},
    {"16 grays", bcn4Bit, pGray16},
    {"16 grays WhiteIsZero", bcn4Bit, pGray16, false, true},
    {"16 system colours", bcn4Bit, pSys16},
    {"256 grays", bcn8Bit, pGray256},
    {"256 grays WhiteIsZero", bcn8Bit, pGray256, false, true},
    {"256 colours", bcn8Bit, pUnknown},
    {"true colour", bcn24Bit, pTrueColor},
    {"CMYK", bcn24Bit, pTrueColor, true},
};

std::unique_ptr<TPixelGraphic> layoutImage(const LayoutRow& row, int width, int height)
{
    auto image = MakePatternImage(width, height, row.format);
    if (row.ident == pGray16) {
        image->SetPaletteIdent(pGray16);
    } else if (row.ident == pUnknown) {
        image->SetPaletteCount(256);
        for (int i = 0; i < 256; ++i)
            image->SetPaletteEntry(i, RGBColor(i, 255 - i, (i * 7) & 0xFF));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image->SetPixel(x, y, std::uint32_t((x * 5 + y * 11) & 0xFF));
    }
    return image;
}

void useLayoutSettings(const LayoutRow& row)
{
    TIFFWriteCMYK = row.cmyk;
    TIFFWriteWhiteIsZero = row.whiteIsZero;
}

// ---- The worked file, the writer's bytes ----

std::unique_ptr<TPixelGraphic> workedImage()
{
    auto image = std::make_unique<TPixelGraphic>();
    image->Allocate(1, 1, bcn24Bit);
    image->SetPixel(0, 0, RGBColor(0x12, 0x34, 0x56));
    return image;
}

TEST_F(Tiff, TheWorkedFileIsWrittenAndReadByteForByteInBothOrders)
{
    auto image = workedImage();
    ASSERT_EQ(FormatExampleTiff(false).size(), 195);
    EXPECT_EQ(SaveAs(*image, "tif"), FormatExampleTiff(false));
    EXPECT_EQ(SaveAs(*image, "tiff"), FormatExampleTiff(false));
    TIFFWriteMotorola = true;
    EXPECT_EQ(SaveAs(*image, "tif"), FormatExampleTiff(true));
    for (bool big : {false, true}) {
        TPixelGraphic back;
        LoadBytes(back, FormatExampleTiff(big));
        EXPECT_TRUE(SamePixels(back, *image)) << big;
    }
    // A save given options of its own takes them, not the settings.
    SaveOptions options = CurrentSaveOptions();
    options.TIFF.WriteMotorola = false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image->SaveToStreamAs(buffer, "tif", options);
    EXPECT_EQ(buffer.data(), FormatExampleTiff(false));
}

TEST_F(Tiff, ResetPutsEveryTiffSettingBack)
{
    TIFFCompression = 32773;
    TIFFWriteCMYK = TIFFWriteWhiteIsZero = TIFFWriteMotorola = true;
    TIFFResolutionUnit = 2;
    TIFFXResolution = {72, 1};
    TIFFYResolution = {96, 2};
    TIFFReadAllDirectories = true;
    TIFFMaxDirectories = 3;
    ResetPixelGraphicSettings();
    EXPECT_EQ(SaveAs(*workedImage(), "tif"), FormatExampleTiff(false));
    // Reading: only the first directory counts again.
    const TiffImage one = TiffStripImage(1, 1, 1, {8}, 1, {hex("01")});
    TPixelGraphic image;
    QBuffer buffer;
    buffer.setData(TiffFile({one, one}));
    buffer.open(QIODevice::ReadOnly);
    EXPECT_PG_THROW(reader().Load(buffer, image, 1), EPGTIFFileFormatReader, "TIFF: Index invalid");
}

// ---- PackBits ----

TEST_F(Tiff, PackBitsRows)
{
    const struct { const char* name; QByteArray row; QByteArray coded; } rows[] = {
        {"pairs beside singles join the literal", hex("AAAABBBBAAAA010203"), hex("08 AAAABBBBAAAA010203")},
        {"a pair after a single", hex("01AAAA"), hex("02 01AAAA")},
        {"a pair before a single", hex("AAAA01"), hex("02 AAAA01")},
        {"pairs among pairs stay runs", hex("AAAABBBB"), hex("FFAA FFBB")},
        {"a lone pair", hex("AAAA"), hex("FFAA")},
        {"a run of three beside a single", hex("AAAAAA01"), hex("FEAA 0001")},
        {"singles", hex("010203"), hex("02 010203")},
        {"one byte", hex("7F"), hex("007F")},
        {"a run of 128", QByteArray(128, '\x5A'), hex("815A")},
        {"a run of 129", QByteArray(129, '\x5A'), hex("815A 005A")},
        {"a run of 258", QByteArray(258, '\x5A'), hex("815A 815A FF5A")},
        {"nothing", {}, {}},
    };
    for (const auto& r : rows) {
        std::vector<std::uint8_t> coded;
        EncodePackBitsRow({reinterpret_cast<const std::uint8_t*>(r.row.constData()), std::size_t(r.row.size())}, coded);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(coded.data()), qsizetype(coded.size())), r.coded) << r.name;
    }
    // Literals stop at 128 bytes; -128 is never written.
    QByteArray distinct;
    for (int i = 0; i < 130; ++i)
        distinct.append(char(i));
    std::vector<std::uint8_t> coded;
    EncodePackBitsRow({reinterpret_cast<const std::uint8_t*>(distinct.constData()), 130}, coded);
    ASSERT_EQ(coded.size(), 132u);
    EXPECT_EQ(coded[0], 0x7F);
    EXPECT_EQ(coded[129], 0x01);
    EXPECT_EQ(std::count(coded.begin(), coded.end(), 0x80), 1); // the data byte 128 itself
}

// ---- Writer ----

TEST_F(Tiff, EveryLayoutRoundTripsInBothOrdersAndCompressions)
{
    for (const LayoutRow& row : kLayouts) {
        useLayoutSettings(row);
        for (bool big : {false, true}) {
            for (int compression : {1, 32773}) {
                TIFFWriteMotorola = big;
                TIFFCompression = compression;
                for (int width : {1, 7, 9, 1201}) {
                    auto image = layoutImage(row, width, 30);
                    const QByteArray file = SaveAs(*image, "tif");
                    TPixelGraphic back;
                    LoadBytes(back, file);
                    EXPECT_TRUE(SamePixels(back, *image))
                        << row.name << (big ? " MM " : " II ") << compression << " width " << width;
                    EXPECT_EQ(back.PaletteIdent(), image->PaletteIdent()) << row.name;
                    EXPECT_EQ(file.left(2), big ? "MM" : "II");
                }
            }
        }
    }
    // Images without pixels: no strips, or strips of no bytes.
    for (int height : {0, 3}) {
        TPixelGraphic empty;
        empty.Allocate(0, height, bcn24Bit);
        TPixelGraphic back;
        LoadBytes(back, SaveAs(empty, "tif"));
        EXPECT_TRUE(back.Empty());
        EXPECT_EQ(back.Height(), height);
    }
}

TEST_F(Tiff, StripsAndOutOfLineValuesFollowEachOtherInOrder)
{
    TIFFCompression = 32773;
    auto image = layoutImage(kLayouts[7], 100, 700); // 256 colours
    const QByteArray file = SaveAs(*image, "tif");
    std::vector<std::uint16_t> tags;
    for (const Entry& e : entriesOf(file))
        tags.push_back(e.tag);
    EXPECT_EQ(tags, std::vector<std::uint16_t>({254, 256, 257, 258, 259, 262, 273, 277, 278, 279, 282, 283, 296, 320}));
    // Largest coded row 200 bytes: 32767 div 200 = 163 rows, 5 strips.
    EXPECT_EQ(entryOf(file, 278).value, 163u);
    const std::uint32_t directoryEnd = 8 + 2 + 14 * 12 + 4;
    EXPECT_EQ(entryOf(file, 320).count, 768u);
    EXPECT_EQ(entryOf(file, 320).value, directoryEnd);
    EXPECT_EQ(entryOf(file, 282).value, directoryEnd + 1536);
    EXPECT_EQ(entryOf(file, 283).value, directoryEnd + 1544);
    const Entry offsets = entryOf(file, 273), counts = entryOf(file, 279);
    EXPECT_EQ(offsets.count, 5u);
    EXPECT_EQ(offsets.value, directoryEnd + 1552);
    EXPECT_EQ(counts.value, directoryEnd + 1572);
    const auto stripOffsets = longsAt(file, offsets.value, 5);
    const auto byteCounts = longsAt(file, counts.value, 5);
    std::uint32_t next = directoryEnd + 1592;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(stripOffsets[i], next + next % 2) << i; // even, a pad byte at most
        next = stripOffsets[i] + byteCounts[i];
    }
    EXPECT_EQ(next, std::uint32_t(file.size()));
    // The colour map: reds, greens, blues, each component x 256.
    EXPECT_EQ(le16(file, directoryEnd + 2 * 3), 3 * 256);
    EXPECT_EQ(le16(file, directoryEnd + 2 * (256 + 3)), 252 * 256);
    EXPECT_EQ(le16(file, directoryEnd + 2 * (512 + 3)), 21 * 256);
}

TEST_F(Tiff, StripSizeComesFromTheLargestCodedRow)
{
    TIFFCompression = 32773;
    auto wide = layoutImage(kLayouts[8], 3000, 4); // 32767 div 18000 = 0: one row per strip
    QByteArray file = SaveAs(*wide, "tif");
    EXPECT_EQ(entryOf(file, 278).value, 1u);
    EXPECT_EQ(entryOf(file, 273).count, 4u);
    TIFFCompression = 1;
    file = SaveAs(*wide, "tif");
    EXPECT_EQ(entryOf(file, 278).value, 3u); // 32767 div 9000
    EXPECT_EQ(entryOf(file, 273).count, 2u);
    auto tall = layoutImage(kLayouts[0], 8, 40000); // one byte a row: 32767 rows
    file = SaveAs(*tall, "tif");
    EXPECT_EQ(entryOf(file, 278).value, 32767u);
    EXPECT_EQ(entryOf(file, 279).count, 2u);
    EXPECT_EQ(longsAt(file, entryOf(file, 279).value, 2), std::vector<std::uint32_t>({32767, 40000 - 32767}));
}

TEST_F(Tiff, PalettesAndGraysByTheirIdent)
{
    auto system = layoutImage(kLayouts[4], 2, 1); // 16 system colours: a palette of 16
    QByteArray file = SaveAs(*system, "tif");
    EXPECT_EQ(entriesOf(file).size(), 14u);
    EXPECT_EQ(entryOf(file, 262).value, 3u);
    EXPECT_EQ(entryOf(file, 320).count, 48u);
    EXPECT_EQ(le16(file, entryOf(file, 320).value + 2 * 9), 0xFF00); // entry 9 is red
    auto grays = layoutImage(kLayouts[2], 2, 1);
    file = SaveAs(*grays, "tif");
    EXPECT_EQ(entriesOf(file).size(), 13u);
    EXPECT_EQ(entryOf(file, 262).value, 1u);
    EXPECT_EQ(entryOf(file, 258).value, 4u);

    // A palette shorter than the pixels can index: the rest of the map is 0.
    TPixelGraphic three;
    three.Allocate(1, 1, bcn8Bit);
    three.SetPaletteCount(3);
    three.SetPaletteEntry(2, RGBColor(1, 2, 3));
    file = SaveAs(three, "tif");
    const std::uint32_t map = entryOf(file, 320).value;
    EXPECT_EQ(file.mid(map, 8), hex("0000 0000 0001 0000"));
    EXPECT_EQ(file.mid(map + 512, 6), hex("0000 0000 0002"));
}

TEST_F(Tiff, WhiteIsZeroAndCmykBytes)
{
    TPixelGraphic gray;
    gray.Allocate(3, 1, bcn8Bit);
    gray.SetPaletteIdent(pGray256);
    gray.SetPixel(0, 0, 0);
    gray.SetPixel(1, 0, 0x40);
    gray.SetPixel(2, 0, 0xFF);
    TIFFWriteWhiteIsZero = true;
    QByteArray file = SaveAs(gray, "tif");
    EXPECT_EQ(entryOf(file, 262).value, 0u);
    EXPECT_EQ(file.right(3), hex("FFBF00"));

    TPixelGraphic color;
    color.Allocate(2, 1, bcn24Bit);
    color.SetPixel(0, 0, RGBColor(200, 100, 50)); // C 55, M 155, Y 205, K 55
    color.SetPixel(1, 0, RGBColor(255, 255, 255));
    TIFFWriteCMYK = true;
    file = SaveAs(color, "tif");
    EXPECT_EQ(entryOf(file, 262).value, 5u);
    EXPECT_EQ(entryOf(file, 277).value, 4u);
    EXPECT_EQ(file.mid(entryOf(file, 258).value, 8), hex("0800080008000800"));
    EXPECT_EQ(file.right(8), hex("00649637 00000000"));
}

TEST_F(Tiff, ResolutionSettings)
{
    TIFFResolutionUnit = 0;
    TIFFXResolution = {72, 1};
    TIFFYResolution = {150, 2};
    QByteArray file = SaveAs(*workedImage(), "tif");
    EXPECT_EQ(entryOf(file, 296).value, 1u);
    EXPECT_EQ(longsAt(file, entryOf(file, 282).value, 2), std::vector<std::uint32_t>({72, 1}));
    EXPECT_EQ(longsAt(file, entryOf(file, 283).value, 2), std::vector<std::uint32_t>({150, 2}));
    TIFFResolutionUnit = 2;
    file = SaveAs(*workedImage(), "tif");
    EXPECT_EQ(entryOf(file, 296).value, 3u);
}

TEST_F(Tiff, AnInvalidWriterSettingWritesNothing)
{
    const struct { std::function<void()> set; const char* message; } cases[] = {
        {[] { TIFFCompression = 5; }, "TIFF: Internal Error"},
        {[] { TIFFCompression = 0; }, "TIFF: Internal Error"},
        {[] { TIFFResolutionUnit = 3; }, "TIFF: Invalid value for TIFFResolutionUnit"},
        {[] { TIFFResolutionUnit = -1; }, "TIFF: Invalid value for TIFFResolutionUnit"},
        {[] { TIFFXResolution = {300, 0}; }, "TIFF: Invalid value for TIFFXResolution"},
        {[] { TIFFYResolution = {300, 0}; }, "TIFF: Invalid value for TIFFYResolution"},
    };
    TempFolder folder;
    const QString path = folder.write("kept.tif", "old contents");
    for (const auto& c : cases) {
        ResetPixelGraphicSettings();
        c.set();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_PG_THROW(workedImage()->SaveToStreamAs(buffer, "tif"), EPGTIFFileFormatWriter, c.message);
        EXPECT_TRUE(buffer.data().isEmpty()) << c.message;
        EXPECT_PG_THROW(workedImage()->SaveToFile(path), EPGTIFFileFormatWriter, c.message);
        EXPECT_EQ(readAll(path), "old contents");
    }
    // An image that kept its size when its pixel memory could not be had has no rows to write.
    ResetPixelGraphicSettings();
    TPixelGraphic sizeOnly;
    EXPECT_THROW(sizeOnly.Allocate(70000, 70000, bcn24Bit), EPixelGraphic);
    ASSERT_TRUE(sizeOnly.Empty());
    QBuffer direct;
    direct.open(QIODevice::WriteOnly);
    EXPECT_PG_THROW(TTIFFileFormatWriter().Save(direct, sizeOnly, CurrentSaveOptions()), EPGTIFFileFormatWriter,
                    "TIFF: Image is empty");
    EXPECT_PG_THROW(sizeOnly.SaveToFile(path), EPixelGraphic, "Image is empty");
    EXPECT_EQ(readAll(path), "old contents");
}

// A stream that takes Limit bytes and then refuses.
class FullDevice : public QBuffer {
public:
    explicit FullDevice(qint64 Limit) : limit_(Limit) { open(QIODevice::ReadWrite); }

protected:
    qint64 writeData(const char* Data, qint64 Size) override
    {
        if (pos() + Size > limit_)
            return -1;
        return QBuffer::writeData(Data, Size);
    }

private:
    qint64 limit_;
};

TEST_F(Tiff, AFailedWriteIsAnErrorAndTheProgressDoesNotStopTheSave)
{
    for (qint64 limit : {0, 7, 100, 194}) {
        FullDevice device(limit);
        SCOPED_TRACE(limit);
        EXPECT_PG_THROW(workedImage()->SaveToStreamAs(device, "tif"), EPixelGraphic, "TIFF: Write failed");
    }
    auto image = layoutImage(kLayouts[8], 40, 10);
    const QByteArray whole = SaveAs(*image, "tif");
    QList<int> rows;
    image->SetOnProgress([&rows](PGObject*, int done, int total, bool& abort) {
        rows << done;
        EXPECT_EQ(total, 9);
        abort = true;
    });
    EXPECT_EQ(SaveAs(*image, "tif"), whole);
    EXPECT_EQ(rows, QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(Tiff, OffsetsCountFromWhereTheTiffStarts)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    buffer.write("PREFIX");
    auto image = layoutImage(kLayouts[7], 5, 300);
    TIFFCompression = 32773;
    image->SaveToStreamAs(buffer, "tif");
    EXPECT_EQ(buffer.data().mid(6), SaveAs(*image, "tif"));
    buffer.seek(6);
    TPixelGraphic back;
    back.LoadFromStream(buffer);
    EXPECT_TRUE(SamePixels(back, *image));
}

// ---- libtiff's programs, the independent reader and writer ----

TPixelGraphic* loadFile(TPixelGraphic& image, const QString& path)
{
    image.LoadFromFile(path);
    return &image;
}

bool sameColors(TPixelGraphic& a, TPixelGraphic& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.GetPixelColor(x, y) != b.GetPixelColor(x, y))
                return false;
    return true;
}

// libtiff turns CMYK into RGB by multiplying (255 - K) by (255 - C); we subtract C and K. The two
// agree on colours whose brightest channel is 255 (K = 0).
void brightestChannelAt255(TPixelGraphic& image)
{
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const TColor c = image.GetPixel(x, y);
            image.SetPixel(x, y, RGBColor(RedOf(c), GreenOf(c), 255));
        }
}

TEST_F(Tiff, LibtiffReadsEveryLayoutWeWrite)
{
    TempFolder folder;
    for (const LayoutRow& row : kLayouts) {
        useLayoutSettings(row);
        auto image = layoutImage(row, 1201, 30);
        if (row.cmyk)
            brightestChannelAt255(*image);
        for (bool big : {false, true}) {
            for (int compression : {1, 32773}) {
                TIFFWriteMotorola = big;
                TIFFCompression = compression;
                const std::string what = std::string(row.name) + (big ? " MM " : " II ") + std::to_string(compression);
                const QString ours = folder.file("ours.tif"), rgba = folder.file("rgba.tif");
                image->SaveToFile(ours);
                const ToolRun info = RunTool("tiffinfo", {"-D", ours});
                EXPECT_EQ(info.exitCode, 0) << what;
                EXPECT_EQ(info.err, "") << what;
                const ToolRun convert = RunTool("tiff2rgba", {"-c", "none", ours, rgba});
                ASSERT_EQ(convert.exitCode, 0) << what << convert.err.toStdString();
                TPixelGraphic back;
                EXPECT_TRUE(sameColors(*loadFile(back, rgba), *image)) << what;
            }
        }
    }
}

TEST_F(Tiff, WeReadWhatLibtiffWrites)
{
    TempFolder folder;
    const QStringList variants[] = {{"-c", "none"}, {"-c", "packbits"}, {"-B"}, {"-L"}, {"-r", "1"}, {"-r", "7"},
                                    {"-B", "-c", "packbits", "-r", "5"}};
    for (const LayoutRow& row : kLayouts) {
        useLayoutSettings(row);
        auto image = layoutImage(row, 301, 20);
        const QString ours = folder.file("ours.tif"), theirs = folder.file("theirs.tif");
        image->SaveToFile(ours);
        for (const QStringList& options : variants) {
            const ToolRun copy = RunTool("tiffcp", options + QStringList{ours, theirs});
            ASSERT_EQ(copy.exitCode, 0) << row.name << copy.err.toStdString();
            TPixelGraphic back;
            EXPECT_TRUE(SamePixels(*loadFile(back, theirs), *image)) << row.name << " " << options.join(' ').toStdString();
        }
    }
    const QString ours = folder.file("ours.tif"), theirs = folder.file("theirs.tif");
    ResetPixelGraphicSettings();
    layoutImage(kLayouts[8], 20, 20)->SaveToFile(ours);
    TPixelGraphic image;
    ASSERT_EQ(RunTool("tiffcp", {"-c", "lzw", ours, theirs}).exitCode, 0);
    EXPECT_PG_THROW(image.LoadFromFile(theirs), EPGTIFFileFormatReader, "TIFF: Unsupported compression LZW");
    ASSERT_EQ(RunTool("tiffcp", {"-p", "separate", ours, theirs}).exitCode, 0);
    EXPECT_PG_THROW(image.LoadFromFile(theirs), EPGTIFFileFormatReader, "TIFF: PlanarConfiguration invalid");
}

// ---- Reader ----

// A gray 8-bit image of Width x Length, one strip of RowsPerStrip rows each.
TiffImage grayImage(std::uint32_t Width, std::uint32_t Length, std::uint32_t RowsPerStrip, const QByteArray& Pixels)
{
    std::vector<QByteArray> strips;
    for (std::uint32_t row = 0; row < Length; row += RowsPerStrip)
        strips.push_back(Pixels.mid(qsizetype(row * Width), qsizetype(RowsPerStrip * Width)));
    return TiffStripImage(Width, Length, 1, {8}, RowsPerStrip, strips);
}

void setField(TiffImage& image, TiffField field)
{
    for (TiffField& f : image.fields)
        if (f.tag == field.tag) {
            f = std::move(field);
            return;
        }
    image.fields.push_back(std::move(field));
}

void dropField(TiffImage& image, std::uint16_t tag)
{
    std::erase_if(image.fields, [tag](const TiffField& f) { return f.tag == tag; });
}

TEST_F(Tiff, TheSignatureIsTheByteOrderAndTheVersion)
{
    const struct { const char* bytes; bool accepted; } probes[] = {
        {"49492A00", true}, {"4D4D002A", true}, {"49492A01", false}, {"4D4D2A00", false},
        {"49492B00", false}, {"494D2A00", false}, {"00000000", false},
    };
    for (const auto& p : probes) {
        SignatureProbe probe{};
        const QByteArray bytes = hex(p.bytes);
        std::copy(bytes.begin(), bytes.end(), probe.begin());
        EXPECT_EQ(reader().CheckSignature(probe), p.accepted) << p.bytes;
    }
    // A file the probe does not take finds no reader, whatever its name.
    TempFolder folder;
    QByteArray file = FormatExampleTiff(false);
    file[3] = 1;
    const QString path = folder.write("almost.tif", file);
    TPixelGraphic image;
    EXPECT_PG_THROW(image.LoadFromFile(path), EPGUnknownFileFormat, "Unknown file format");
}

TEST_F(Tiff, SingleValuesAndArraysOfEveryType)
{
    const QByteArray pixels = hex("010203 040506 070809 0A0B0C 0D0E0F 101112 131415 161718 191A1B");
    // LONG and SHORT values, BitsPerSample as SHORTs and the strip arrays as LONGs out of line.
    const TiffImage wide = TiffStripImage(3, 3, 2, {8, 8, 8}, 1, {pixels.mid(0, 9), pixels.mid(9, 9), pixels.mid(18, 9)});
    // BYTE and SHORT values, three BYTEs and two SHORTs inside their value fields.
    const TiffImage narrow{{{256, 3, {3}}, {257, 1, {3}}, {258, 1, {8, 8, 8}}, {259, 4, {1}}, {262, 1, {2}},
                            {277, 4, {3}}, {278, 3, {2}}, {273, 3, {8, 26}}, {279, 3, {18, 9}}},
                           {pixels.left(18), pixels.mid(18)}};
    for (bool big : {false, true}) {
        for (const TiffImage& file : {wide, narrow}) {
            TPixelGraphic image;
            LoadBytes(image, TiffFile({file}, big));
            ASSERT_EQ(image.Height(), 3);
            EXPECT_EQ(rowValues(image, 0), Values({RGBColor(1, 2, 3), RGBColor(4, 5, 6), RGBColor(7, 8, 9)})) << big;
            EXPECT_EQ(rowValues(image, 2), Values({RGBColor(19, 20, 21), RGBColor(22, 23, 24), RGBColor(25, 26, 27)}));
        }
    }
}

TEST_F(Tiff, SampleLayouts)
{
    struct Case {
        const char* name;
        TiffImage file;
        TBitCountNum format;
        TPaletteIdent ident;
        Values row;
    };
    const std::vector<std::uint32_t> map = [] {
        std::vector<std::uint32_t> m(48, 0);
        m[1] = 0xFF00, m[16 + 1] = 0x8000, m[32 + 1] = 0x0100; // entry 1: 255, 128, 1
        return m;
    }();
    TiffImage palette4 = TiffStripImage(3, 1, 3, {4}, 1, {hex("1010")});
    palette4.fields.push_back({320, 3, map});
    TiffImage palette1 = TiffStripImage(3, 1, 3, {1}, 1, {hex("A0")}); // a palette image of 1 bit
    const Case cases[] = {
        {"bilevel BlackIsZero", TiffStripImage(10, 1, 1, {1}, 1, {hex("A0C0")}), bcn1Bit, pBlackWhite,
         Values{1, 0, 1, 0, 0, 0, 0, 0, 1, 1}},
        {"bilevel WhiteIsZero", TiffStripImage(10, 1, 0, {1}, 1, {hex("A0C0")}), bcn1Bit, pBlackWhite,
         Values{0, 1, 0, 1, 1, 1, 1, 1, 0, 0}},
        {"bilevel palette", palette1, bcn1Bit, pBlackWhite, Values{1, 0, 1}},
        {"4-bit BlackIsZero", TiffStripImage(3, 1, 1, {4}, 1, {hex("1F50")}), bcn4Bit, pGray16, Values{1, 15, 5}},
        {"4-bit WhiteIsZero", TiffStripImage(3, 1, 0, {4}, 1, {hex("1F50")}), bcn4Bit, pGray16, Values{14, 0, 10}},
        {"4-bit palette", palette4, bcn4Bit, pUnknown, Values{1, 0, 1}},
        {"8-bit BlackIsZero", TiffStripImage(3, 1, 1, {8}, 1, {hex("00407F")}), bcn8Bit, pGray256, Values{0, 0x40, 0x7F}},
        {"8-bit WhiteIsZero", TiffStripImage(3, 1, 0, {8}, 1, {hex("00407F")}), bcn8Bit, pGray256, Values{255, 0xBF, 0x80}},
        {"RGB plus one sample", TiffStripImage(2, 1, 2, {8, 8, 8, 8}, 1, {hex("01020399 040506AA")}), bcn24Bit, pTrueColor,
         Values{RGBColor(1, 2, 3), RGBColor(4, 5, 6)}},
        {"CMYK", TiffStripImage(3, 1, 5, {8, 8, 8, 8}, 1, {hex("00649637 00000000 C8C8C880")}), bcn24Bit, pTrueColor,
         Values{RGBColor(200, 100, 50), RGBColor(255, 255, 255), 0}},
    };
    for (const Case& c : cases) {
        TPixelGraphic image;
        LoadBytes(image, TiffFile({c.file}));
        EXPECT_EQ(image.BitCountNum(), c.format) << c.name;
        EXPECT_EQ(image.PaletteIdent(), c.ident) << c.name;
        EXPECT_EQ(rowValues(image, 0), c.row) << c.name;
    }
}

TEST_F(Tiff, ColourMaps)
{
    // A map of 3 x 20 entries on 4 bits: the first 16 are kept, taken with a stride of 20.
    std::vector<std::uint32_t> map(60, 0);
    for (int i = 0; i < 20; ++i)
        map[std::size_t(i)] = std::uint32_t(i * 256), map[std::size_t(20 + i)] = 0x1234, map[std::size_t(40 + i)] = 0xFFFF;
    TiffImage file = TiffStripImage(1, 1, 3, {4}, 1, {hex("F0")});
    file.fields.push_back({320, 3, map});
    TPixelGraphic image;
    LoadBytes(image, TiffFile({file}));
    EXPECT_EQ(image.PaletteCount(), 16);
    EXPECT_EQ(image.GetPixelColor(0, 0), RGBColor(15, 0x12, 0xFF));
    // One entry (three values) is a map; fewer or none is not.
    setField(file, {320, 3, {0x100, 0x200, 0x300}});
    LoadBytes(image, TiffFile({file}));
    EXPECT_EQ(image.Palette(), std::vector<TColor>({RGBColor(1, 2, 3)}));
    for (std::vector<std::uint32_t> values : {std::vector<std::uint32_t>{1, 2}, std::vector<std::uint32_t>{}}) {
        setField(file, {320, 3, values});
        EXPECT_PG_THROW(LoadBytes(image, TiffFile({file})), EPGTIFFileFormatReader, "TIFF: ColorMap invalid");
    }
}

TEST_F(Tiff, AbsentCompressionSamplesAndBitsTakeTheirDefaults)
{
    const TiffImage bilevel{{{256, 4, {9}}, {257, 4, {1}}, {262, 3, {1}}, {278, 4, {1}}}, {hex("8080")}};
    TPixelGraphic image;
    LoadBytes(image, TiffFile({bilevel}));
    EXPECT_EQ(image.BitCountNum(), bcn1Bit);
    EXPECT_EQ(rowValues(image, 0), Values({1, 0, 0, 0, 0, 0, 0, 0, 1}));
    QString description;
    GraphicFileInfo info;
    ASSERT_TRUE(BytesFileInfo(TiffFile({bilevel}), "", 0, description, info));
    EXPECT_EQ(info.SubFormat, "I, Uncompr., BlackIsZero");
    EXPECT_EQ(info.BitsPerPixel, 1);
}

TEST_F(Tiff, RowsPerStripAndTheStripWalk)
{
    const QByteArray pixels = hex("0102 0304 0506 0708 090A");
    TPixelGraphic image;
    // RowsPerStrip 2 over five rows: three strips, the last of one row.
    LoadBytes(image, TiffFile({grayImage(2, 5, 2, pixels)}));
    EXPECT_EQ(rowValues(image, 4), Values({9, 10}));
    // 0xFFFFFFFF (and anything past the height) is one strip.
    TiffImage one = grayImage(2, 5, 5, pixels);
    setField(one, {278, 4, {0xFFFFFFFF}});
    LoadBytes(image, TiffFile({one}));
    EXPECT_EQ(rowValues(image, 3), Values({7, 8}));
    // Absent RowsPerStrip with one strip: one strip; with two: refused.
    dropField(one, 278);
    LoadBytes(image, TiffFile({one}));
    EXPECT_EQ(rowValues(image, 4), Values({9, 10}));
    TiffImage two = grayImage(2, 5, 3, pixels);
    dropField(two, 278);
    EXPECT_PG_THROW(LoadBytes(image, TiffFile({two})), EPGTIFFileFormatReader, "TIFF: Invalid RowsPerStrip");
}

TEST_F(Tiff, OneStripWithASmallerRowsPerStripIsAWarning)
{
    const QByteArray pixels = hex("0102 0304 0506");
    TiffImage file = grayImage(2, 3, 3, pixels);
    setField(file, {278, 4, {1}}); // three strips expected, one given: the rows follow each other
    const QByteArray bytes = TiffFile({file});
    const QString text = "TIFF: NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip";
    platform::ScriptedPromptService prompts;
    TPixelGraphic image;
    image.SetPromptService(&prompts);

    image.SetWarningAction(waIgnore);
    LoadBytes(image, bytes);
    EXPECT_EQ(rowValues(image, 2), Values({5, 6}));
    EXPECT_TRUE(prompts.calls().isEmpty());

    image.SetWarningAction(waShow);
    LoadBytes(image, bytes);
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_EQ(prompts.lastPrompt().caption, "TIFF-Warning");
    EXPECT_EQ(prompts.lastPrompt().text, text);
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::Ok);
    EXPECT_EQ(rowValues(image, 2), Values({5, 6}));

    image.SetWarningAction(waAskAbort);
    prompts.answer(platform::mrOk);
    LoadBytes(image, bytes);
    EXPECT_EQ(prompts.lastPrompt().buttons, platform::PromptButtons::OkCancel);
    prompts.answer(platform::mrCancel);
    EXPECT_PG_THROW(LoadBytes(image, bytes), EPGTIFFileFormatReader, "TIFF: Operation aborted on user request");

    image.SetWarningAction(waRaise);
    EXPECT_PG_THROW(LoadBytes(image, bytes), EPGTIFFileFormatReader, text);

    // Several strip offsets that do not match, or none, are an error whatever the action.
    image.SetWarningAction(waIgnore);
    TiffImage several = grayImage(2, 3, 1, pixels);
    setField(several, {278, 4, {2}});
    EXPECT_PG_THROW(LoadBytes(image, TiffFile({several})), EPGTIFFileFormatReader, text);
    TiffImage none = grayImage(2, 3, 3, pixels);
    none.fields.push_back({273, 4, {}});
    EXPECT_PG_THROW(LoadBytes(image, TiffFile({none})), EPGTIFFileFormatReader, text);
}

TEST_F(Tiff, TheDirectoryChain)
{
    const TiffImage first = grayImage(1, 1, 1, hex("0A"));
    const TiffImage second = grayImage(2, 1, 1, hex("0B0B"));
    const TiffImage third = grayImage(3, 1, 1, hex("0C0C0C"));
    const QByteArray file = TiffFile({first, second, third});
    const auto infoOf = [](const QByteArray& bytes, int index, GraphicFileInfo& info) {
        QString description;
        return BytesFileInfo(bytes, "", index, description, info);
    };
    GraphicFileInfo info;
    // Off: one image.
    ASSERT_TRUE(infoOf(file, 0, info));
    EXPECT_EQ(info.ImageCount, 1);
    EXPECT_FALSE(infoOf(file, 1, info));

    TIFFReadAllDirectories = true;
    for (int index = 0; index < 3; ++index) {
        ASSERT_TRUE(infoOf(file, index, info));
        EXPECT_EQ(info.ImageCount, 3);
        EXPECT_EQ(info.Width, index + 1);
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        TPixelGraphic image;
        image.LoadFromStreamIndex(buffer, "", index);
        EXPECT_EQ(image.GetPixel(index, 0), std::uint32_t(10 + index));
    }
    EXPECT_FALSE(infoOf(file, 3, info));
    TIFFMaxDirectories = 2; // more than that: one image
    ASSERT_TRUE(infoOf(file, 0, info));
    EXPECT_EQ(info.ImageCount, 1);
    EXPECT_FALSE(infoOf(file, 1, info));
    TIFFMaxDirectories = 3;
    ASSERT_TRUE(infoOf(file, 0, info));
    EXPECT_EQ(info.ImageCount, 3);

    // A link past the end, and a chain that loops back: one image, the first.
    const QByteArray broken = TiffFile({first, second});
    const std::uint32_t secondAt = le32(broken, le32(broken, 4) + 2 + 12 * 9); // each has 9 entries
    QByteArray past = broken;
    past.replace(qsizetype(secondAt + 2 + 12 * 9), 4, hex("FFFFFF00"));
    ASSERT_TRUE(infoOf(past, 0, info));
    EXPECT_EQ(info.ImageCount, 1);
    QByteArray loop = broken;
    loop.replace(qsizetype(secondAt + 2 + 12 * 9), 4, broken.mid(4, 4));
    ASSERT_TRUE(infoOf(loop, 0, info));
    EXPECT_EQ(info.ImageCount, 1);
    EXPECT_EQ(info.Width, 1);
}

TEST_F(Tiff, FileInformation)
{
    const struct { TiffImage file; bool big; const char* subFormat; const char* chunks; const char* colors; int bits; } cases[] = {
        {TiffStripImage(4, 3, 2, {8, 8, 8}, 3, {QByteArray(36, '\0')}), false, "I, Uncompr., RGB", "", "16.7 M", 24},
        {TiffStripImage(4, 3, 1, {8}, 3, {}, 32773), true, "M, PackBits, BlackIsZero", "", "256", 8},
        {TiffStripImage(4, 3, 0, {1}, 3, {}, 2), false, "I, CCITT 1D, WhiteIsZero", "(Unsupported compression)", "2", 1},
        {TiffStripImage(4, 3, 0, {1}, 3, {}, 3), false, "I, Group 3 F., WhiteIsZero", "(Unsupported compression)", "2", 1},
        {TiffStripImage(4, 3, 0, {1}, 3, {}, 4), false, "I, Group 4 F., WhiteIsZero", "(Unsupported compression)", "2", 1},
        {TiffStripImage(4, 3, 3, {4}, 3, {}, 5), false, "I, LZW, RGB Palette", "(Unsupported compression)", "16", 4},
        {TiffStripImage(4, 3, 5, {8, 8, 8, 8}, 3, {}, 6), false, "I, JPEG, CMYK", "(Unsupported compression)", "16.7 M", 32},
        {TiffStripImage(4, 3, 1, {16}, 3, {}, 7), false, "I, , BlackIsZero", "", "65536", 16},
    };
    for (const auto& c : cases) {
        QString description;
        GraphicFileInfo info;
        ASSERT_TRUE(BytesFileInfo(TiffFile({c.file}, c.big), "", 0, description, info)) << c.subFormat;
        EXPECT_EQ(description, "Tagged Image File Format");
        EXPECT_EQ(info.SubFormat, c.subFormat);
        EXPECT_EQ(info.Chunks, c.chunks);
        EXPECT_EQ(info.ColorsText, c.colors);
        EXPECT_EQ(info.BitsPerPixel, c.bits);
        EXPECT_EQ(info.Width, 4);
        EXPECT_EQ(info.Height, 3);
        EXPECT_EQ(info.ImageCount, 1);
    }
    for (std::uint32_t photometric : {4u, 6u, 32844u}) {
        QBuffer buffer;
        buffer.setData(TiffFile({TiffStripImage(1, 1, photometric, {8}, 1, {hex("00")})}));
        buffer.open(QIODevice::ReadOnly);
        GraphicFileInfo info;
        EXPECT_PG_THROW(reader().GetInfo(buffer, 0, info), EPGTIFFileFormatReader,
                        QString("TIFF: Unsupported photometric interpretation %1").arg(photometric));
    }
    QBuffer buffer;
    buffer.setData(FormatExampleTiff(false));
    buffer.open(QIODevice::ReadOnly);
    GraphicFileInfo info;
    EXPECT_PG_THROW(reader().GetInfo(buffer, 1, info), EPGTIFFileFormatReader, "TIFF: Index invalid");
}

struct Refusal {
    const char* name;
    QByteArray file;
    const char* message;
};

TiffImage withField(TiffImage image, TiffField field)
{
    setField(image, std::move(field));
    return image;
}

TEST_F(Tiff, RefusalsAndDamage)
{
    const TiffImage gray = grayImage(2, 2, 2, hex("01020304"));
    const TiffImage rgb = TiffStripImage(1, 1, 2, {8, 8, 8}, 1, {hex("010203")});
    const QByteArray good = TiffFile({gray});
    QByteArray version = good;
    version[2] = 43;
    QByteArray order = good;
    order[1] = 'M';
    QByteArray shortEntries = good;
    shortEntries[qsizetype(le32(good, 4))] = char(200); // 200 entries announced
    TiffImage stripPast = gray;
    stripPast.fields.push_back({273, 4, {100000}});
    const Refusal refusals[] = {
        {"version 43", version, "TIFF: Not a TIF file"},
        {"byte order IM", order, "TIFF: Not a TIF file"},
        {"three bytes", good.left(3), "TIFF: Unexpected end of file"},
        {"planar", TiffFile({withField(rgb, {284, 3, {2}})}), "TIFF: PlanarConfiguration invalid"},
        {"planar 1", TiffFile({withField(rgb, {284, 3, {1}})}), ""},
        {"16-bit samples", TiffFile({TiffStripImage(1, 1, 1, {16}, 1, {hex("0000")})}), "TIFF: Invalid SamplesPerPixel"},
        {"RGB of 16 bits", TiffFile({TiffStripImage(1, 1, 2, {16, 16, 16}, 1, {QByteArray(6, '\0')})}), "TIFF: Invalid SamplesPerPixel"},
        {"two samples", TiffFile({TiffStripImage(1, 1, 1, {8, 8}, 1, {hex("0000")})}), "TIFF: Invalid SamplesPerPixel"},
        {"photometric 4", TiffFile({TiffStripImage(1, 1, 4, {8}, 1, {hex("00")})}), "TIFF: Invalid SamplesPerPixel"},
        {"CMYK of three", TiffFile({TiffStripImage(1, 1, 5, {8, 8, 8}, 1, {hex("000000")})}), "TIFF: Invalid SamplesPerPixel"},
        {"bits for two samples", TiffFile({withField(rgb, {258, 3, {8, 8}})}), "TIFF: Invalid count of SamplesPerPixel"},
        {"CCITT 1D", TiffFile({withField(gray, {259, 3, {2}})}), "TIFF: Unsupported compression CCITT 1D"},
        {"Group 3", TiffFile({withField(gray, {259, 3, {3}})}), "TIFF: Unsupported compression Group 3 Fax"},
        {"Group 4", TiffFile({withField(gray, {259, 3, {4}})}), "TIFF: Unsupported compression Group 4 Fax"},
        {"LZW", TiffFile({withField(gray, {259, 3, {5}})}), "TIFF: Unsupported compression LZW"},
        {"JPEG", TiffFile({withField(gray, {259, 3, {6}})}), "TIFF: Unsupported compression JPEG"},
        {"deflate", TiffFile({withField(gray, {259, 3, {8}})}), "TIFF: Unsupported compression 8"},
        {"compression 0", TiffFile({withField(gray, {259, 3, {0}})}), "TIFF: Unsupported compression 0"},
        {"type 7 in a needed tag", TiffFile({withField(gray, {256, 7, {2}})}), "TIFF: Unsupported field Type: 7"},
        {"signed type in an array", TiffFile({withField(gray, {273, 9, {8}})}), "TIFF: Unsupported field Type: 9"},
        {"type 7 in a tag not read", TiffFile({withField(gray, {305, 7, {2}})}), ""},
        {"strip offset past the end", TiffFile({stripPast}), "TIFF: Unexpected end of file"},
        {"entries past the end", shortEntries, "TIFF: Unexpected end of file"},
        {"array past the end", TiffFile({withField(rgb, {258, 3, {8, 8, 8}, std::nullopt, 1000})}), "TIFF: Unexpected end of file"},
        {"array of 2^32 values", TiffFile({withField(gray, {273, 4, {8}, 0xFFFFFFFF, 8})}), "TIFF: Unexpected end of file"},
        {"directory past the end", hex("49492A00 FFFFFF7F"), "TIFF: Unexpected end of file"},
        {"70000 x 70000 RGB", TiffFile({TiffStripImage(70000, 70000, 2, {8, 8, 8}, 70000, {hex("000000")})}),
         "CreateDIBSection failed"},
        {"30000 x 30000 in a tiny file", TiffFile({TiffStripImage(30000, 30000, 1, {8}, 30000, {hex("00")})}),
         "TIFF: Unexpected end of file"},
        {"PackBits too short for its rows", TiffFile({TiffStripImage(1000, 1000, 1, {8}, 1000, {hex("8100")}, 32773)}),
         "TIFF: Unexpected end of file"},
    };
    for (const Refusal& r : refusals) {
        TPixelGraphic image;
        QBuffer buffer;
        buffer.setData(r.file);
        buffer.open(QIODevice::ReadOnly);
        EXPECT_EQ(LoadFailure([&] { reader().Load(buffer, image, 0); }), QString(r.message)) << r.name;
    }
}

TEST_F(Tiff, PackBitsStrips)
{
    // Two rows of 4: a literal of 2 and a run of 2, a no-op, then a run of 4.
    TPixelGraphic image;
    LoadBytes(image, TiffFile({TiffStripImage(4, 2, 1, {8}, 2, {hex("01 0102 FF07 80 FD09")}, 32773)}));
    EXPECT_EQ(rowValues(image, 0), Values({1, 2, 7, 7}));
    EXPECT_EQ(rowValues(image, 1), Values({9, 9, 9, 9}));
    // Packets do not cross rows: the one that would is refused with its row.
    const struct { const char* data; const char* message; } damaged[] = {
        {"FD01 FC02", "TIFF (PackBits): Invalid count of bytes in row 1"},
        {"04 0102030405", "TIFF (PackBits): Invalid count of bytes in row 0"},
        {"FD01 02 0102", "TIFF: Unexpected end of file"},
        {"FD01 FD", "TIFF: Unexpected end of file"},
    };
    for (const auto& d : damaged) {
        // The strip is the last thing in the file, so that data running out is the file's end.
        TiffImage file = TiffStripImage(4, 2, 1, {8}, 2, {}, 32773);
        file.fields.push_back({279, 4, {std::uint32_t(hex(d.data).size())}});
        file.fields.push_back({273, 4, {0}});
        file.fields.back().values = {std::uint32_t(TiffFile({file}).size())};
        QBuffer buffer;
        buffer.setData(TiffFile({file}) + hex(d.data));
        buffer.open(QIODevice::ReadOnly);
        SCOPED_TRACE(d.data);
        EXPECT_PG_THROW(reader().Load(buffer, image, 0), EPGTIFFileFormatReader, d.message);
    }
}

TEST_F(Tiff, ProgressAndAbort)
{
    auto source = layoutImage(kLayouts[8], 10, 6);
    const QByteArray file = SaveAs(*source, "tif");
    TPixelGraphic image;
    QStringList events;
    image.SetOnProgressBegin([&](PGObject*) { events << "begin"; });
    image.SetOnProgressEnd([&](PGObject*) { events << "end"; });
    image.SetOnProgress([&](PGObject*, int done, int total, bool& abort) {
        events << QString("%1/%2").arg(done).arg(total);
        abort = done == 2;
    });
    LoadBytes(image, file);
    EXPECT_EQ(events, QStringList({"begin", "0/5", "1/5", "2/5", "end"}));
    EXPECT_EQ(image.GetPixel(3, 2), source->GetPixel(3, 2));
    EXPECT_EQ(image.GetPixel(3, 3), 0u); // not read
    // A failure half-way still ends the progress; one found before the rows sends nothing.
    events.clear();
    EXPECT_PG_THROW(LoadBytes(image, file.left(file.size() - 1)), EPGTIFFileFormatReader, "TIFF: Unexpected end of file");
    EXPECT_TRUE(events.isEmpty());
    TIFFCompression = 32773;
    const QByteArray packed = SaveAs(*source, "tif");
    image.SetOnProgress({});
    EXPECT_PG_THROW(LoadBytes(image, packed.left(packed.size() - 1)), EPGTIFFileFormatReader, "TIFF: Unexpected end of file");
    EXPECT_EQ(events, QStringList({"begin", "end"}));
}

TEST_F(Tiff, ShortReadsGiveTheSameImage)
{
    TIFFReadAllDirectories = true;
    ExpectShortReadsGiveTheSameImage(SeedsFor("fuzz_tiff"));
}

// Damaged files kept in tests/imaging/crashers fail cleanly with the format's message (or load).
TEST_F(Tiff, CrashersFailCleanly)
{
    const QMap<QString, QString> expected = {
        {"strip_offset_past_the_end.tif", "TIFF: Unexpected end of file"},
        {"entry_count_past_the_end.tif", "TIFF: Unexpected end of file"},
        {"array_past_the_end.tif", "TIFF: Unexpected end of file"},
        {"looping_directory_chain.tif", ""},
        {"packbits_packet_past_the_row.tif", "TIFF (PackBits): Invalid count of bytes in row 0"},
        {"field_type_7_in_image_width.tif", "TIFF: Unsupported field Type: 7"},
        {"rgb_70000_squared.tif", "CreateDIBSection failed"},
    };
    for (bool walk : {false, true}) {
        TIFFReadAllDirectories = walk;
        ExpectCrashersFailCleanly(QDir(CRASHERS_DIR), {"*.tif", "*.tiff"}, expected);
    }
}

} // namespace
