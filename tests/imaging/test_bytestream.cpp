#include "fixtures.h"
#include "imagingtest.h"

#include "imaging/bytestream.h"

#include <QBuffer>

#include <limits>

namespace {

struct EndOfData {};
[[noreturn]] void raiseEnd()
{
    throw EndOfData{};
}

QByteArray counting(int n)
{
    QByteArray data;
    for (int i = 0; i < n; ++i)
        data.append(char(i & 0xFF));
    return data;
}

TEST(SizeGuards, OffsetPlusLength)
{
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const struct { std::int64_t offset, length, end; bool fits; } cases[] = {
        {0, 0, 0, true},   {0, 10, 10, true},  {1, 10, 10, false}, {10, 0, 10, true},
        {11, 0, 10, false}, {-1, 1, 10, false}, {1, -1, 10, false}, {max, max, max, false},
        {max - 1, 1, max, true}, {2, max, max, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OffsetPlusLengthFits(c.offset, c.length, c.end), c.fits) << c.offset << " + " << c.length;
}

TEST(SizeGuards, RowBytesAndImageBytes)
{
    EXPECT_EQ(PaddedRowBytes(3, 24), 12);
    EXPECT_EQ(PaddedRowBytes(33, 1), 8);
    EXPECT_EQ(PaddedRowBytes(5, 16), 12);
    EXPECT_EQ(PaddedRowBytes(0, 32), 0);
    // The largest width at 32 bits does not overflow.
    EXPECT_EQ(PaddedRowBytes(std::numeric_limits<std::int32_t>::max(), 32), std::int64_t(0x7FFFFFFF) * 4);
    EXPECT_EQ(RowBytesTimesRows(12, 2, 1000), 24);
    EXPECT_EQ(RowBytesTimesRows(0, 1 << 30, 10), 0);
    EXPECT_EQ(RowBytesTimesRows(1 << 20, 1 << 20, std::int64_t(1) << 40), std::int64_t(1) << 40);
    EXPECT_EQ(RowBytesTimesRows(1 << 20, (1 << 20) + 1, std::int64_t(1) << 40), -1);
    EXPECT_EQ(RowBytesTimesRows(std::numeric_limits<std::int64_t>::max(), 2, std::numeric_limits<std::int64_t>::max()), -1);
}

TEST(ByteReader, ValuesAreLittleEndian)
{
    QBuffer buffer;
    buffer.setData(QByteArray::fromHex("0102030405060708FFFE"));
    buffer.open(QIODevice::ReadOnly);
    ByteReader reader(buffer, raiseEnd);
    EXPECT_EQ(reader.U8(), 0x01);
    EXPECT_EQ(reader.U16(), 0x0302);
    EXPECT_EQ(reader.U32(), 0x07060504u);
    EXPECT_EQ(reader.U8(), 0x08);
    EXPECT_EQ(reader.I16(), -257);
    EXPECT_TRUE(reader.AtEnd());
}

TEST(ByteReader, RunningOutRaisesAndIsRemembered)
{
    QBuffer buffer;
    buffer.setData(QByteArray::fromHex("0102"));
    buffer.open(QIODevice::ReadOnly);
    ByteReader reader(buffer, raiseEnd);
    EXPECT_THROW(reader.U32(), EndOfData);
    EXPECT_TRUE(reader.RanOut());
}

TEST(ByteReader, SkipAndSeekStayInsideTheStream)
{
    QBuffer buffer;
    buffer.setData(counting(100));
    buffer.open(QIODevice::ReadOnly);
    ByteReader reader(buffer, raiseEnd);
    reader.Skip(10);
    EXPECT_EQ(reader.U8(), 10);
    reader.Seek(99);
    EXPECT_EQ(reader.U8(), 99);
    reader.Seek(5);
    EXPECT_EQ(reader.Position(), 5);
    EXPECT_EQ(reader.U8(), 5);
    EXPECT_THROW(reader.Seek(101), EndOfData);
    EXPECT_THROW(reader.Seek(-1), EndOfData);
    reader.Seek(50);
    EXPECT_THROW(reader.Skip(51), EndOfData);
}

TEST(ByteReader, StreamIsLeftAtTheFirstByteNotConsumed)
{
    QBuffer buffer;
    buffer.setData(counting(1000));
    buffer.open(QIODevice::ReadOnly);
    {
        ByteReader reader(buffer, raiseEnd);
        reader.Skip(3);
        reader.U16();
    }
    EXPECT_EQ(buffer.pos(), 5);
}

TEST(ChunkedDevice, HandsOutShortReads)
{
    ChunkedDevice device(counting(100), {3, 1});
    char buffer[100];
    EXPECT_EQ(device.read(buffer, 100), 3);
    EXPECT_EQ(device.read(buffer, 100), 1);
    EXPECT_EQ(device.read(buffer, 100), 3);
    EXPECT_EQ(device.pos(), 7);
}

// The same reads give the same bytes however few bytes the stream hands out at a time.
TEST(ByteReader, ShortReadsGiveTheSameBytes)
{
    const QByteArray data = counting(200000);
    for (const auto& pattern : ShortReadPatterns()) {
        ChunkedDevice device(data, pattern);
        ByteReader reader(device, raiseEnd);
        std::vector<std::uint8_t> big(150000);
        EXPECT_EQ(reader.U8(), 0);
        reader.Skip(9);
        EXPECT_EQ(reader.U32(), 0x0D0C0B0Au);
        reader.Read(big.data(), std::int64_t(big.size()));
        EXPECT_EQ(big.front(), 14);
        EXPECT_EQ(big.back(), std::uint8_t((14 + 150000 - 1) & 0xFF));
        EXPECT_EQ(reader.Position(), 150014);
        EXPECT_GT(device.Reads(), 1);
        EXPECT_THROW(reader.Skip(60000), EndOfData);
    }
}

TEST(ByteReader, ReadUpToAndPeekStopQuietlyAtTheEnd)
{
    for (const auto& pattern : ShortReadPatterns()) {
        ChunkedDevice device(counting(100), pattern);
        ByteReader reader(device, raiseEnd);
        std::uint8_t byte = 0;
        ASSERT_TRUE(reader.Peek(byte));
        EXPECT_EQ(byte, 0);
        EXPECT_EQ(reader.Position(), 0);
        std::vector<std::uint8_t> buffer(80);
        EXPECT_EQ(reader.ReadUpTo(buffer.data(), 80), 80);
        EXPECT_EQ(buffer.back(), 79);
        EXPECT_EQ(reader.ReadUpTo(buffer.data(), 80), 20); // what is left, no error
        EXPECT_EQ(buffer[19], 99);
        EXPECT_FALSE(reader.Peek(byte));
        EXPECT_EQ(reader.ReadUpTo(buffer.data(), 1), 0);
        EXPECT_FALSE(reader.RanOut());
        EXPECT_EQ(reader.Position(), 100);
    }
}

TEST(ByteWriter, WritesEverythingOrRaises)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteAllBytes(buffer, "abc", 3, QStringLiteral("BMP"));
    EXPECT_EQ(buffer.data(), QByteArray("abc"));
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_PG_THROW(WriteAllBytes(readOnly, "abc", 3, QStringLiteral("BMP")), EPixelGraphic, "BMP: Write failed");
}

} // namespace
