// The second GIF reader, called directly: any one image at its own size, and its information.
#include "fixtures.h"
#include "tests/imaging/imagingtest.h"

#include "imaging/formats/gif/gifformat.h"

#include <QBuffer>

namespace {

using Colors = std::vector<TColor>;
using Pixels = std::vector<std::uint8_t>;

constexpr TColor kBlack = RGBColor(0, 0, 0), kWhite = RGBColor(255, 255, 255), kRed = RGBColor(255, 0, 0);

class SecondGifReader : public LibraryTest {
protected:
    void load(TPixelGraphic& image, const QByteArray& file, int index)
    {
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        buffer.seek(3); // the reader starts at the beginning whatever the position
        reader.Load(buffer, image, index);
    }
    GraphicFileInfo info(const QByteArray& file, int index)
    {
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        GraphicFileInfo result;
        reader.GetInfo(buffer, index, result);
        return result;
    }
    const tGifFileFormatReader reader;
};

Colors grays(int count)
{
    Colors colors;
    for (int i = 0; i < count; ++i)
        colors.push_back(RGBColor(i, i, i));
    return colors;
}

TEST_F(SecondGifReader, TheChosenImageAtItsOwnSizeWithItsOwnTable)
{
    const QByteArray file = GifFile(20, 20, {kBlack, kWhite},
                                    GifImageBlock(0, 0, 3, 1, 0, {}, {1, 0, 1}, 2)
                                        + GifImageBlock(4, 5, 2, 2, 0, grays(16), {15, 3, 0, 9}, 4)
                                        + GifImageBlock(1, 1, 2, 1, 0, grays(256), {200, 7}, 8));
    const struct {
        int index;
        TBitCountNum format;
        int width, height, colors;
        std::vector<std::uint32_t> pixels;
    } cases[] = {
        {0, bcn1Bit, 3, 1, 2, {1, 0, 1}},
        {1, bcn4Bit, 2, 2, 16, {15, 3, 0, 9}},
        {2, bcn8Bit, 2, 1, 256, {200, 7}},
    };
    for (const auto& c : cases) {
        TPixelGraphic image;
        load(image, file, c.index);
        EXPECT_EQ(image.BitCountNum(), c.format) << c.index;
        EXPECT_EQ(image.Width(), c.width) << c.index;
        EXPECT_EQ(image.Height(), c.height) << c.index;
        EXPECT_EQ(image.PaletteCount(), c.colors) << c.index;
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                pixels.push_back(image.GetPixel(x, y));
        EXPECT_EQ(pixels, c.pixels) << c.index;
    }
    TPixelGraphic image;
    load(image, file, 1);
    EXPECT_EQ(image.Palette(), grays(16));
}

TEST_F(SecondGifReader, InterlacedRowsArriveInPassOrder)
{
    Pixels stored;
    for (int row : {0, 8, 4, 2, 6, 1, 3, 5, 7, 9})
        stored.insert(stored.end(), 2, std::uint8_t(row + 1));
    const QByteArray file = GifFile(2, 10, grays(16), GifImageBlock(0, 0, 2, 10, 0x40, {}, stored, 4));
    TPixelGraphic image;
    QList<int> order;
    std::vector<bool> seen(10);
    image.SetOnProgress([&](PGObject*, int done, int total, bool&) {
        EXPECT_EQ(total, 9);
        for (int y = 0; y < 10; ++y)
            if (!seen[std::size_t(y)] && image.GetPixel(0, y) != 0) {
                seen[std::size_t(y)] = true;
                order << y;
            }
        EXPECT_EQ(order.size(), done);
    });
    load(image, file, 0);
    EXPECT_EQ(order, QList<int>({0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(image.GetPixel(1, y), std::uint32_t(y + 1));
}

TEST_F(SecondGifReader, InformationQuirks)
{
    // Width and height are the wanted image's; colours and bits the last image's.
    const QByteArray file = GifFile(50, 40, {},
                                    GifImageBlock(0, 0, 3, 2, 0, grays(16), Pixels(6, 1), 4)
                                        + GifImageBlock(0, 0, 5, 4, 0x40, grays(256), Pixels(20, 1), 8));
    GraphicFileInfo first = info(file, 0);
    EXPECT_EQ(first.Width, 3);
    EXPECT_EQ(first.Height, 2);
    EXPECT_EQ(first.ColorsText, "256");
    EXPECT_EQ(first.BitsPerPixel, 8);
    EXPECT_EQ(first.ImageCount, 2);
    EXPECT_EQ(first.SubFormat, "89a");
    EXPECT_EQ(first.Chunks, "Interlaced");

    QByteArray plain87 = FormatExampleGif();
    const GraphicFileInfo example = info(plain87, 0);
    EXPECT_EQ(example.SubFormat, "87a");
    EXPECT_EQ(example.Chunks, "Non-interlaced");
    EXPECT_EQ(example.ColorsText, "2");
    EXPECT_EQ(example.BitsPerPixel, 1);

    EXPECT_PG_THROW(info(file, 2), EPixelGraphic, "Index out of bounds");
    EXPECT_PG_THROW(info(file, -1), EPixelGraphic, "Index out of bounds");
    plain87.replace(0, 3, "gif");
    EXPECT_PG_THROW(info(plain87, 0), EPixelGraphic, "Not a proper GIF file");
    EXPECT_PG_THROW(info(QByteArray(), 0), EPixelGraphic, "Not a proper GIF file");
    // Through the registry the adapter answers; the reader's filter entry is all that shows it.
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    QString description;
    GraphicFileInfo viaRegistry;
    ASSERT_TRUE(ReadStreamFileInfo(buffer, "gif", 0, description, viaRegistry));
    EXPECT_EQ(description, "GIF-Format");
}

TEST_F(SecondGifReader, AnUnknownExtensionLabelEndsTheWalk)
{
    const QByteArray file = GifFile(4, 1, {kBlack, kWhite},
                                    GifImageBlock(0, 0, 4, 1, 0, {}, Pixels(4, 1), 2) + QByteArray::fromHex("21020100")
                                        + GifImageBlock(0, 0, 2, 1, 0, {}, Pixels(2, 1), 2));
    EXPECT_EQ(info(file, 0).ImageCount, 1);
    EXPECT_PG_THROW(info(file, 1), EPixelGraphic, "Index out of bounds");
}

TEST_F(SecondGifReader, LoadReportsNothing)
{
    // Whatever goes wrong, the image keeps what it had or what decoding wrote.
    std::unique_ptr<TPixelGraphic> image;
    const QByteArray file = GifFile(4, 1, {kBlack, kWhite}, GifImageBlock(0, 0, 4, 1, 0, {}, Pixels(4, 1), 2));
    QByteArray cut = GifFile(8, 8, grays(4), GifImageBlock(0, 0, 8, 8, 0, {}, Pixels(64, 3), 2), false);
    cut.chop(4);
    const struct {
        const char* what;
        QByteArray file;
        int index;
        int width; // afterwards
        std::uint32_t firstPixel, lastPixel;
    } cases[] = {
        {"no GIF", "PNG and more", 0, 3, 0, 0},
        {"an image past the last", file, 1, 3, 0, 0},
        {"a negative index", file, -1, 3, 0, 0},
        {"minimum code size 12", GifFile(4, 1, {kBlack, kWhite}, QByteArray::fromHex("2C000000000400010000" "0C010000")), 0,
         4, 0, 0},
        {"a looping prefix chain", GifFile(10, 10, {kBlack, kWhite}, QByteArray::fromHex("2C000000000A000A0000") +
                                                                      QByteArray::fromHex("0202BC6F00")),
         0, 10, 0, 0},
        {"data that ends early", cut, 0, 8, 3, 0},
    };
    const auto original = MakePatternImage(3, 2, bcn24Bit);
    for (const auto& c : cases) {
        image = MakePatternImage(3, 2, bcn24Bit);
        load(*image, c.file, c.index);
        EXPECT_EQ(image->Width(), c.width) << c.what;
        if (c.width == original->Width()) {
            EXPECT_TRUE(SamePixels(*image, *original)) << c.what; // untouched
            continue;
        }
        EXPECT_EQ(image->GetPixel(0, 0), c.firstPixel) << c.what;
        EXPECT_EQ(image->GetPixel(image->Width() - 1, image->Height() - 1), c.lastPixel) << c.what;
    }
}

TEST_F(SecondGifReader, ProgressAndAbort)
{
    const QByteArray file = GifFile(4, 5, {kBlack, kWhite, kRed}, GifImageBlock(0, 0, 4, 5, 0, {}, Pixels(20, 2), 2));
    TPixelGraphic image;
    QStringList events;
    image.SetOnProgressBegin([&](PGObject* sender) { events << (sender == &reader ? "begin" : "?"); });
    image.SetOnProgressEnd([&](PGObject* sender) { events << (sender == &reader ? "end" : "?"); });
    image.SetOnProgress([&](PGObject*, int done, int total, bool& abort) {
        events << QString("%1/%2").arg(done).arg(total);
        abort = done == 2;
    });
    load(image, file, 0);
    EXPECT_EQ(events, QStringList({"begin", "1/4", "2/4", "end"}));
    EXPECT_EQ(image.GetPixel(3, 1), 2u);
    EXPECT_EQ(image.GetPixel(0, 2), 0u); // not reached
}

} // namespace
