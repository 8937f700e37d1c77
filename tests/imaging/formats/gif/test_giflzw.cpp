// LZW coding of GIF image data, against the worked example of FORMAT.md and against giflib.
#include "fixtures.h"
#include "giflibreference.h"
#include "tests/imaging/imagingtest.h"

#include "imaging/bytestream.h"
#include "imaging/formats/gif/giflzw.h"

#include <QBuffer>

#include <random>

namespace {

using Pixels = std::vector<std::uint8_t>;

[[noreturn]] void raisePrematureEnd()
{
    throw GIFException("Premature end of data");
}

QByteArray encode(const Pixels& pixels, int minCodeSize)
{
    GifLzwEncoder encoder(minCodeSize);
    encoder.Add(pixels.data(), std::int64_t(pixels.size()));
    return encoder.Finish();
}

struct Decoded {
    Pixels pixels;
    QStringList warnings;
    qint64 endPosition = 0; // where the stream stands afterwards
};

Decoded decodeFrom(QIODevice& device, std::int64_t count)
{
    Decoded result;
    {
        ByteReader reader(device, raisePrematureEnd);
        GifLzwDecoder decoder(reader, [&](const QString& text) { result.warnings << text; });
        result.pixels.resize(std::size_t(count));
        result.pixels.resize(std::size_t(decoder.Read(result.pixels.data(), count)));
        decoder.Finish();
    }
    result.endPosition = device.pos();
    return result;
}

Decoded decode(const QByteArray& data, std::int64_t count)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return decodeFrom(buffer, count);
}

// A GIF file around one frame's image data: screen and frame Width x Height, a global map of
// 2^MapBits grays.
QByteArray wrapFrame(int width, int height, int mapBits, const QByteArray& imageData)
{
    QByteArray file("GIF89a");
    auto put16 = [&file](int v) {
        file.append(char(v & 0xFF));
        file.append(char(v >> 8));
    };
    put16(width);
    put16(height);
    file.append(char(0x80 | (mapBits - 1)));
    file.append('\0').append('\0');
    for (int i = 0; i < (1 << mapBits); ++i)
        file.append(QByteArray(3, char(i * 255 / ((1 << mapBits) - 1))));
    file.append(char(0x2C));
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    file.append('\0');
    file.append(imageData);
    file.append(char(0x3B));
    return file;
}

// The data's sub-blocks cut again into sub-blocks of Size bytes.
QByteArray reblock(const QByteArray& data, int size)
{
    QByteArray bytes;
    qsizetype at = 1;
    while (quint8(data[at]) != 0) {
        bytes.append(data.mid(at + 1, quint8(data[at])));
        at += 1 + quint8(data[at]);
    }
    QByteArray out(1, data[0]);
    for (qsizetype i = 0; i < bytes.size(); i += size) {
        const QByteArray part = bytes.mid(i, size);
        out.append(char(part.size())).append(part);
    }
    return out.append('\0');
}

enum class Shape { Noise, Runs, Gradient };

Pixels makePixels(std::size_t count, int bits, Shape shape, std::uint32_t seed)
{
    std::mt19937 random(seed);
    const int colors = 1 << bits;
    Pixels pixels(count);
    int run = 0, value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        switch (shape) {
        case Shape::Noise:
            value = int(random() % unsigned(colors));
            break;
        case Shape::Runs:
            if (run-- <= 0) {
                run = int(random() % 300);
                value = int(random() % unsigned(colors));
            }
            break;
        case Shape::Gradient:
            value = int((i / 7 + (random() % 3)) % std::size_t(colors));
            break;
        }
        pixels[i] = std::uint8_t(value);
    }
    return pixels;
}

TEST(GifLzw, TheWorkedExampleByteForByte)
{
    const QByteArray data = QByteArray::fromHex("0202845100");
    EXPECT_EQ(encode(Pixels(4, 0), 2), data);
    // A two-colour map asks for 1 bit; the data is written with 2 all the same.
    EXPECT_EQ(encode(Pixels(4, 0), 1), data);
    const Decoded back = decode(data + "more", 4);
    EXPECT_EQ(back.pixels, Pixels(4, 0));
    EXPECT_TRUE(back.warnings.isEmpty());
    EXPECT_EQ(back.endPosition, data.size()); // the end code took the terminator with it
}

TEST(GifLzw, AFrameWithoutPixelsHoldsAClearAndTheEnd)
{
    const QByteArray data = QByteArray::fromHex("02012C00"); // 4 then 5, three bits each
    EXPECT_EQ(encode({}, 2), data);
    const Decoded back = decode(data, 0);
    EXPECT_TRUE(back.pixels.empty());
    EXPECT_EQ(back.endPosition, data.size());
}

TEST(GifLzw, DataWithoutALeadingClearDecodesAsIfOneStoodFirst)
{
    // The worked example's codes 0, 6, 0, 5 without the clear in front.
    const Decoded back = decode(QByteArray::fromHex("0202300A00"), 4);
    EXPECT_EQ(back.pixels, Pixels(4, 0));
    EXPECT_TRUE(back.warnings.isEmpty());
}

TEST(GifLzw, OurFramesDecodeInGiflibAndGiflibsInOurs)
{
    const std::size_t sizes[] = {1, 2, 3, 7, 100, 1000, 4096, 5003, 20000};
    std::uint32_t seed = 1;
    for (int bits : {1, 2, 4, 8}) {
        for (std::size_t size : sizes) {
            for (Shape shape : {Shape::Noise, Shape::Runs, Shape::Gradient}) {
                const Pixels pixels = makePixels(size, bits, shape, seed++);
                const int width = size > 100 ? 100 : int(size);
                const int height = int((size + std::size_t(width) - 1) / std::size_t(width));
                Pixels frame = pixels;
                frame.resize(std::size_t(width) * std::size_t(height), 0);
                const std::string where = "bits " + std::to_string(bits) + ", " + std::to_string(size) + " pixels, shape "
                                          + std::to_string(int(shape));

                const auto theirs = GiflibDecode(wrapFrame(width, height, bits, encode(frame, std::max(bits, 2))));
                ASSERT_TRUE(theirs) << where;
                ASSERT_EQ(theirs->frames.size(), 1u) << where;
                EXPECT_EQ(theirs->frames[0].pixels, frame) << where;

                ReferenceGif gif;
                gif.width = width;
                gif.height = height;
                gif.globalMap.assign(std::size_t(1) << bits, 0);
                gif.frames.push_back({0, 0, width, height, false, {}, frame});
                const QByteArray file = GiflibEncode(gif);
                const QByteArray data = file.mid(13 + 3 * (1 << bits) + 10); // after the descriptor
                const Decoded ours = decode(data, std::int64_t(frame.size()));
                EXPECT_EQ(ours.pixels, frame) << where;
                EXPECT_TRUE(ours.warnings.isEmpty()) << where;
                EXPECT_EQ(ours.endPosition, data.size() - 1) << where; // the trailer is left
            }
        }
    }
}

TEST(GifLzw, SubBlocksAre254BytesAndOnlyTheLastIsShorter)
{
    const QByteArray data = encode(makePixels(20000, 8, Shape::Noise, 7), 8);
    ASSERT_EQ(data[0], char(8));
    qsizetype at = 1;
    std::vector<int> lengths;
    while (quint8(data[at]) != 0) {
        lengths.push_back(quint8(data[at]));
        at += 1 + quint8(data[at]);
    }
    EXPECT_EQ(at, data.size() - 1); // the terminator ends the data
    ASSERT_GT(lengths.size(), 10u);
    for (std::size_t i = 0; i + 1 < lengths.size(); ++i)
        EXPECT_EQ(lengths[i], 254) << "block " << i;
    EXPECT_GT(lengths.back(), 0);
    EXPECT_LT(lengths.back(), 254);
}

// The codes of image data, read by the width rules alone, with the next free code a decoder
// has before each of them.
struct CodeListing {
    std::vector<int> codes;
    std::vector<int> nextFree;
};

CodeListing listCodes(const QByteArray& data)
{
    QByteArray bytes;
    for (qsizetype at = 1; quint8(data[at]) != 0; at += 1 + quint8(data[at]))
        bytes.append(data.mid(at + 1, quint8(data[at])));
    const int clear = 1 << data[0], end = clear + 1;
    CodeListing listing;
    int width = data[0] + 1, next = clear + 2, bit = 0;
    bool first = true;
    while (bit + width <= bytes.size() * 8) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((quint8(bytes[bit / 8]) >> (bit % 8)) & 1) << i;
        listing.codes.push_back(code);
        listing.nextFree.push_back(next);
        if (code == end)
            break;
        if (code == clear) {
            width = data[0] + 1;
            next = clear + 2;
            first = true;
        } else if (first) {
            first = false;
        } else if (next < 4096 && ++next == (1 << width) && width < 12) {
            ++width;
        }
    }
    return listing;
}

TEST(GifLzw, TheEncoderClearsInsteadOfAssigningCode4095)
{
    const CodeListing listing = listCodes(encode(makePixels(60000, 8, Shape::Noise, 3), 8));
    int clears = 0;
    for (std::size_t i = 0; i < listing.codes.size(); ++i) {
        EXPECT_LT(listing.codes[i], 4095) << "code " << i;
        EXPECT_LT(listing.nextFree[i], 4096) << "code " << i;
        if (listing.codes[i] == 256 && i > 0) {
            ++clears;
            // The table was full up to 4094: the decoder has just added it.
            EXPECT_EQ(listing.nextFree[i], 4095) << "clear at code " << i;
        }
    }
    EXPECT_EQ(listing.codes.front(), 256);
    EXPECT_EQ(listing.codes.back(), 257);
    EXPECT_GT(clears, 5);
}

TEST(GifLzw, SubBlocksShorterThanACodeDecodeTheSame)
{
    const Pixels pixels = makePixels(5000, 8, Shape::Gradient, 11);
    const QByteArray data = encode(pixels, 8);
    for (int size : {1, 2, 3, 100}) {
        const QByteArray cut = reblock(data, size);
        const Decoded back = decode(cut, std::int64_t(pixels.size()));
        EXPECT_EQ(back.pixels, pixels) << "blocks of " << size;
        EXPECT_TRUE(back.warnings.isEmpty()) << "blocks of " << size;
        EXPECT_EQ(back.endPosition, cut.size()) << "blocks of " << size;
        const auto theirs = GiflibDecode(wrapFrame(100, 50, 8, cut));
        ASSERT_TRUE(theirs);
        EXPECT_EQ(theirs->frames[0].pixels, pixels) << "giflib, blocks of " << size;
    }
}

TEST(GifLzw, ShortReadsGiveTheSamePixels)
{
    const Pixels pixels = makePixels(20000, 4, Shape::Runs, 5);
    const QByteArray data = encode(pixels, 4);
    for (const auto& pattern : ShortReadPatterns()) {
        ChunkedDevice device(data, pattern);
        const Decoded back = decodeFrom(device, std::int64_t(pixels.size()));
        EXPECT_EQ(back.pixels, pixels) << "chunks of " << pattern.front();
        EXPECT_EQ(back.endPosition, data.size());
    }
}

TEST(GifLzw, DamagedData)
{
    const struct {
        const char* what;
        QByteArray data;
        std::int64_t asked;
        Pixels pixels;
        QStringList warnings;
        const char* raised; // or null
    } cases[] = {
        {"a sub-block count past the end keeps what is there", QByteArray::fromHex("0205845100"), 4, Pixels(4, 0),
         {"Premature end of data"}, nullptr},
        {"codes past the terminator", QByteArray::fromHex("0202840100"), 10, Pixels(5, 0),
         {"Decoder bit buffer under-run"}, nullptr},
        {"the data stops before a count byte", QByteArray::fromHex("020184"), 4, Pixels(1, 0), {}, nullptr},
        {"minimum code size 12", QByteArray::fromHex("0C02845100"), 4, {}, {}, "Invalid GIF data"},
        {"minimum code size missing", QByteArray(), 4, {}, {}, "Premature end of data"},
        {"an entry that is its own prefix", QByteArray::fromHex("0202C47F00"), 100, {}, {}, "Circular decoder table entry"},
        {"two entries that are each other's prefix", QByteArray::fromHex("0202BC6F00"), 100, {}, {},
         "Circular decoder table entry"},
    };
    for (const auto& c : cases) {
        try {
            const Decoded back = decode(c.data, c.asked);
            EXPECT_FALSE(c.raised) << c.what;
            EXPECT_EQ(back.pixels, c.pixels) << c.what;
            EXPECT_EQ(back.warnings, c.warnings) << c.what;
        } catch (const GIFException& e) {
            EXPECT_EQ(e.Message(), QString(c.raised ? c.raised : "")) << c.what;
        }
    }
}

TEST(GifLzw, ACutStreamKeepsThePixelsSoFarWithOneWarning)
{
    const Pixels pixels = makePixels(3000, 8, Shape::Noise, 9);
    const QByteArray data = encode(pixels, 8);
    const QByteArray cut = data.left(1 + 255 * 3 + 100); // inside the fourth sub-block
    const Decoded back = decode(cut, std::int64_t(pixels.size()));
    EXPECT_EQ(back.warnings, QStringList({"Premature end of data"}));
    ASSERT_GT(back.pixels.size(), 500u);
    ASSERT_LT(back.pixels.size(), pixels.size());
    EXPECT_TRUE(std::equal(back.pixels.begin(), back.pixels.end(), pixels.begin()));
}

} // namespace
