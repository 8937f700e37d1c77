#include "fixtures.h"
#include "tests/imaging/imagingtest.h"
#include "imaging/fileformats.h"
#include "imaging/pgsettings.h"

#include <QBuffer>
#include <QFile>

#include <functional>

namespace {

class Icon : public LibraryTest {};

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kRed = RGBColor(255, 0, 0);

const TFileFormatReader& icoReader()
{
    for (const TFileFormatReader* reader : FileFormatReaders())
        if (reader->Extension() == QLatin1String("ico"))
            return *reader;
    throw std::runtime_error("no reader");
}

// Loads image Index through the reader itself (the registry would not take a cursor).
void loadEntry(TPixelGraphic& Image, const QByteArray& Bytes, int Index)
{
    QBuffer buffer;
    buffer.setData(Bytes);
    buffer.open(QIODevice::ReadOnly);
    icoReader().Load(buffer, Image, Index);
}

bool info(const QByteArray& Bytes, GraphicFileInfo& Info)
{
    QString description;
    const bool found = InfoOfBytes(Bytes, Info, description);
    if (found) {
        EXPECT_EQ(description, "Windows Icon");
    }
    return found;
}

// A 32 x 32 icon of 16 colours: index x mod 16, the left half of the top row transparent.
IconEntrySpec sixteenColours()
{
    IconEntrySpec spec;
    spec.width = spec.height = 32;
    spec.bitCount = 4;
    for (int i = 0; i < 16; ++i)
        spec.palette.push_back(RGBColor(i * 16, 255 - i * 16, i));
    spec.palette[5] = kRed;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            spec.indices.push_back(std::uint32_t(x % 16));
            spec.mask.push_back(y == 0 && x < 16);
        }
    return spec;
}

TEST_F(Icon, TheWorkedExampleInBothModes)
{
    IconEntrySpec spec;
    spec.palette = {0, kRed};
    spec.colorsUsed = 2;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            spec.indices.push_back(y < 4 && x < 4 ? 1 : 0);
            spec.mask.push_back(y >= 4 && x >= 4);
        }
    EXPECT_EQ(IconFile({IconEntry(spec)}), FormatExampleIcon());

    TPixelGraphic image;
    LoadBytes(image, FormatExampleIcon());
    ASSERT_EQ(image.Width(), 8);
    ASSERT_EQ(image.Height(), 8);
    EXPECT_EQ(image.BitCountNum(), bcn24Bit);
    EXPECT_EQ(image.GetPixelColor(0, 0), kRed);
    EXPECT_EQ(image.GetPixelColor(7, 0), 0u);
    EXPECT_EQ(image.GetPixelColor(0, 7), 0u);
    EXPECT_EQ(image.GetPixelColor(7, 7), kWhite);

    IconLoadMode = 0;
    LoadBytes(image, FormatExampleIcon());
    EXPECT_EQ(image.BitCountNum(), bcn1Bit);
    EXPECT_EQ(image.Palette(), std::vector<TColor>({0, kRed}));
    EXPECT_EQ(image.GetPixel(0, 0), 1u);
    EXPECT_EQ(image.GetPixel(7, 7), 0u); // the mask is not used
    EXPECT_EQ(image.GetPixelColor(0, 0), kRed);
}

TEST_F(Icon, SixteenColoursComposedOverWhite)
{
    TPixelGraphic image;
    LoadBytes(image, IconFile({IconEntry(sixteenColours())}));
    ASSERT_EQ(image.Width(), 32);
    EXPECT_EQ(image.BitCountNum(), bcn24Bit);
    EXPECT_EQ(image.GetPixelColor(5, 0), kWhite); // transparent
    EXPECT_EQ(image.GetPixelColor(21, 0), kRed);  // index 5
    EXPECT_EQ(image.GetPixelColor(5, 31), kRed);
    EXPECT_EQ(image.GetPixelColor(3, 9), RGBColor(48, 207, 3));

    IconBackground = RGBColor(1, 2, 3);
    LoadBytes(image, IconFile({IconEntry(sixteenColours())}));
    EXPECT_EQ(image.GetPixelColor(5, 0), RGBColor(1, 2, 3));

    IconLoadMode = 0;
    LoadBytes(image, IconFile({IconEntry(sixteenColours())}));
    EXPECT_EQ(image.BitCountNum(), bcn4Bit);
    EXPECT_EQ(image.GetPixel(21, 0), 5u);
    EXPECT_EQ(image.GetPixelColor(21, 0), kRed);
}

TEST_F(Icon, EightBitsAndShortPalettes)
{
    // 256 colours; then a palette of 3 entries, whose index past it reads as entry 0.
    IconEntrySpec spec;
    spec.width = 16;
    spec.height = 8;
    spec.bitCount = 8;
    for (int i = 0; i < 256; ++i)
        spec.palette.push_back(RGBColor(i, i, 255 - i));
    for (int i = 0; i < 128; ++i)
        spec.indices.push_back(std::uint32_t(i * 2));
    TPixelGraphic image;
    LoadBytes(image, IconFile({IconEntry(spec)}));
    EXPECT_EQ(image.GetPixelColor(3, 1), RGBColor(38, 38, 217)); // index 38

    spec.palette = {RGBColor(9, 9, 9), kRed, kWhite};
    spec.colorsUsed = 3;
    spec.indices = {1, 2, 7};
    LoadBytes(image, IconFile({IconEntry(spec)}));
    EXPECT_EQ(image.GetPixelColor(0, 0), kRed);
    EXPECT_EQ(image.GetPixelColor(1, 0), kWhite);
    EXPECT_EQ(image.GetPixelColor(2, 0), RGBColor(9, 9, 9));
}

TEST_F(Icon, FileInformation)
{
    GraphicFileInfo single;
    ASSERT_TRUE(info(FormatExampleIcon(), single));
    EXPECT_EQ(single.ImageCount, 1);
    EXPECT_EQ(single.Width, 8);
    EXPECT_EQ(single.Height, 8);
    EXPECT_EQ(single.BitsPerPixel, 1);
    EXPECT_EQ(single.ColorsText, "2");
    EXPECT_EQ(single.SubFormat, "");

    IconEntrySpec sixteen;
    sixteen.width = sixteen.height = 16;
    sixteen.bitCount = 4;
    IconEntrySpec large;
    large.width = large.height = 48;
    large.bitCount = 1;
    IconEntrySpec eight;
    eight.width = eight.height = 32;
    eight.bitCount = 8;
    eight.palette.assign(256, kRed);
    // An entry without a bitmap header (a compressed image) is told by its directory fields.
    QByteArray compressed = hex("89504E470D0A1A0A") + QByteArray(40, '\0');
    QByteArray file = IconFile({IconEntry(sixteen), IconEntry(large), IconEntry(eight), compressed});
    file[6 + 48] = char(0); // width 256
    file[6 + 48 + 6] = 32;  // bits
    GraphicFileInfo several;
    ASSERT_TRUE(info(file, several));
    EXPECT_EQ(several.ImageCount, 4);
    EXPECT_EQ(several.Width, 16);
    EXPECT_EQ(several.Height, 16);
    EXPECT_EQ(several.BitsPerPixel, 4);
    EXPECT_EQ(several.SubFormat, "Sizes 16..256");
    EXPECT_EQ(several.ColorsText, "Colors 2..16777216");

    TPixelGraphic image; // the information query leaves the stream where it was
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    icoReader().GetInfo(buffer, 0, several);
    EXPECT_EQ(buffer.pos(), 0);
    icoReader().Load(buffer, image, 2);
    EXPECT_EQ(image.Width(), 32);
}

TEST_F(Icon, Refusals)
{
    const QByteArray example = FormatExampleIcon();
    const auto entryWith = [](const std::function<void(IconEntrySpec&)>& change) {
        IconEntrySpec spec;
        spec.palette = {0, kRed};
        change(spec);
        return IconEntry(spec);
    };
    QByteArray pastEnd = example;
    pastEnd[14] = char(0x71); // 113 bytes
    QByteArray offsetPastEnd = example;
    offsetPastEnd[18] = char(0x17);
    QByteArray reserved = example;
    reserved[0] = 1;
    QByteArray compressed = IconFile({entryWith([](IconEntrySpec&) {})});
    compressed[22 + 16] = 1;
    QByteArray headerSize12 = IconFile({entryWith([](IconEntrySpec&) {})});
    headerSize12[22] = 12;
    const struct {
        const char* name;
        QByteArray bytes;
        int index;
        const char* message;
    } cases[] = {
        {"entry past the end", pastEnd, 0, "Not an Icon file"},
        {"offset past the end", offsetPastEnd, 0, "Not an Icon file"},
        {"cursor", IconFile({entryWith([](IconEntrySpec&) {})}, 2), 0, "Not an Icon file"},
        {"kind 3", IconFile({entryWith([](IconEntrySpec&) {})}, 3), 0, "Not an Icon file"},
        {"reserved 1", reserved, 0, "Not an Icon file"},
        {"no entries", hex("000001000000 00000000"), 0, "Not an Icon file"},
        {"six bytes", hex("000001000100"), 0, "Not an Icon file"},
        {"directory cut short", example.left(20), 0, "Not an Icon file"},
        {"index 1 of 1", example, 1, "Index out of bounds"},
        {"index -1", example, -1, "Index out of bounds"},
        {"mask cut short", IconFile({entryWith([](IconEntrySpec&) {}).chopped(1)}), 0, "Index out of bounds"},
        {"palette cut short", IconFile({entryWith([](IconEntrySpec&) {}).left(44)}), 0, "Index out of bounds"},
        {"header cut short", IconFile({entryWith([](IconEntrySpec&) {}).left(39)}), 0, "Index out of bounds"},
        {"128 x 128", IconFile({entryWith([](IconEntrySpec& s) { s.width = s.height = 128; })}), 0, "Index out of bounds"},
        {"7 x 8", IconFile({entryWith([](IconEntrySpec& s) { s.width = 7; })}), 0, "Index out of bounds"},
        {"64 x 65", IconFile({entryWith([](IconEntrySpec& s) { s.width = 64, s.height = 65; })}), 0, "Index out of bounds"},
        {"24 bits", IconFile({entryWith([](IconEntrySpec& s) { s.bitCount = 24, s.palette.clear(); })}), 0, "Index out of bounds"},
        {"2 bits", IconFile({entryWith([](IconEntrySpec& s) { s.bitCount = 2; })}), 0, "Index out of bounds"},
        {"3 colours at 1 bit", IconFile({entryWith([](IconEntrySpec& s) { s.colorsUsed = 3, s.palette.push_back(0); })}), 0, "Index out of bounds"},
        {"compressed", compressed, 0, "Index out of bounds"},
        {"header of 12 bytes", headerSize12, 0, "Index out of bounds"},
    };
    for (const auto& c : cases) {
        TPixelGraphic image;
        try {
            loadEntry(image, c.bytes, c.index);
            ADD_FAILURE() << c.name << ": loaded";
        } catch (const EPixelGraphic& e) {
            EXPECT_EQ(e.Message(), QString(c.message)) << c.name;
        }
    }
    // The larger entries of a file with several stay out of reach, the smaller load.
    const QByteArray two = IconFile({entryWith([](IconEntrySpec&) {}), entryWith([](IconEntrySpec& s) { s.width = s.height = 128; })});
    TPixelGraphic image;
    loadEntry(image, two, 0);
    EXPECT_EQ(image.Width(), 8);
    EXPECT_PG_THROW(loadEntry(image, two, 1), EPixelGraphic, "Index out of bounds");
    EXPECT_PG_THROW(loadEntry(image, two, 2), EPixelGraphic, "Index out of bounds");
}

TEST_F(Icon, SignatureProbe)
{
    const struct {
        const char* bytes;
        bool icon;
    } cases[] = {
        {"0000 0100 0100", true},
        {"0000 0100 0500", true},
        {"0000 0200 0100", false}, // cursors are not claimed
        {"0100 0100 0100", false},
        {"0000 0100 0000", false},
    };
    for (const auto& c : cases) {
        SignatureProbe probe{};
        const QByteArray b = QByteArray::fromHex(c.bytes);
        std::copy(b.begin(), b.end(), probe.begin());
        EXPECT_EQ(icoReader().CheckSignature(probe), c.icon) << c.bytes;
    }
}

TEST_F(Icon, RowsReportProgressAndStopOnAbort)
{
    TPixelGraphic image;
    std::vector<int> rows;
    int begins = 0, ends = 0;
    image.SetOnProgressBegin([&](PGObject*) { ++begins; });
    image.SetOnProgressEnd([&](PGObject*) { ++ends; });
    image.SetOnProgress([&](PGObject*, int done, int total, bool& abort) {
        rows.push_back(done);
        EXPECT_EQ(total, 7);
        abort = done == 2;
    });
    LoadBytes(image, FormatExampleIcon());
    EXPECT_EQ(rows, std::vector<int>({0, 1, 2}));
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(image.GetPixelColor(0, 0), kRed); // the rows made before the abort
}

TEST_F(Icon, ShortReadsAndAnIconInsideALargerStream)
{
    TPixelGraphic whole;
    LoadBytes(whole, FormatExampleIcon());
    for (const std::vector<int>& pattern : ShortReadPatterns()) {
        ChunkedDevice device(FormatExampleIcon(), pattern);
        TPixelGraphic image;
        image.LoadFromStream(device);
        EXPECT_TRUE(SamePixels(image, whole)) << pattern.front();
    }
    // Offsets count from where the icon starts.
    QBuffer buffer;
    buffer.setData(QByteArray("prefix") + FormatExampleIcon());
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(6);
    TPixelGraphic image;
    image.LoadFromStream(buffer);
    EXPECT_TRUE(SamePixels(image, whole));
}

TEST_F(Icon, DamagedFiles)
{
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"entry_past_the_end.ico", "Not an Icon file"},
        {"cursor_kind_2.ico", "Unknown file format"}, // the signature does not claim it
        {"mask_cut_short.ico", "Index out of bounds"},
        {"entry_128_by_128.ico", "Index out of bounds"},
    };
    for (const auto& c : cases) {
        QFile file(QStringLiteral(CRASHERS_DIR "/") + c.file);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.file;
        TPixelGraphic image;
        EXPECT_PG_THROW(LoadBytes(image, file.readAll(), "ico"), EPixelGraphic, c.message);
    }
}

} // namespace
