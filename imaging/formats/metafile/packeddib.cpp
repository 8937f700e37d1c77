// Packed bitmaps made from the bitmaps of metafile records.
#include "packeddib.h"

#include "recordreader.h"

#include "imaging/bytestream.h"

#include <cstring>

namespace metafile {

namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMaxHeaderSize = 124;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kBitFieldMasksSize = 12;
constexpr std::size_t kDeviceBitmapHead = 10;

void append(QByteArray& Out, std::span<const std::uint8_t> Bytes)
{
    Out.append(reinterpret_cast<const char*>(Bytes.data()), qsizetype(Bytes.size()));
}

void append32(QByteArray& Out, std::uint32_t Value)
{
    std::uint8_t bytes[4];
    PutU32(bytes, Value);
    append(Out, bytes);
}

void appendColor(QByteArray& Out, TColor Color, bool Core)
{
    const std::uint8_t entry[4] = {std::uint8_t(BlueOf(Color)), std::uint8_t(GreenOf(Color)), std::uint8_t(RedOf(Color)), 0};
    append(Out, std::span(entry, Core ? 3 : 4));
}

} // namespace

std::optional<DibHeader> ReadDibHeader(std::span<const std::uint8_t> Info)
{
    const RecordReader r(Info.data(), Info.size());
    if (!r.Holds(0, 1, 4))
        return std::nullopt;
    DibHeader h;
    h.headerBytes = r.U32(0);
    if (h.headerBytes == kCoreHeaderSize) {
        if (!r.Holds(0, 1, kCoreHeaderSize))
            return std::nullopt;
        h.core = true;
        h.width = r.I16(4);
        h.height = r.I16(6);
        h.bitCount = r.U16(10);
    } else {
        if (h.headerBytes < kInfoHeaderSize || h.headerBytes > kMaxHeaderSize || !r.Holds(0, 1, h.headerBytes))
            return std::nullopt;
        h.width = r.I32(4);
        h.height = r.I32(8);
        h.bitCount = r.U16(14);
        h.compression = r.U32(16);
        h.tableEntries = r.U32(32);
        if (h.compression == kBitFields && h.headerBytes == kInfoHeaderSize)
            h.headerBytes += kBitFieldMasksSize;
    }
    if (h.bitCount <= 8 && (h.tableEntries == 0 || h.tableEntries > (1u << h.bitCount)))
        h.tableEntries = 1u << h.bitCount;
    if (h.bitCount > 8 && h.core)
        h.tableEntries = 0;
    return h;
}

std::uint64_t TableBytes(const DibHeader& Header, std::uint32_t Usage)
{
    switch (Usage) {
    case dibPaletteColors:
        return std::uint64_t(Header.tableEntries) * 2;
    case dibPaletteIndices:
        return 0;
    default:
        return std::uint64_t(Header.tableEntries) * (Header.core ? 3 : 4);
    }
}

std::optional<DibParts> SplitPackedDib(std::span<const std::uint8_t> Packed, std::uint32_t Usage)
{
    const std::optional<DibHeader> header = ReadDibHeader(Packed);
    if (!header)
        return std::nullopt;
    const std::uint64_t infoBytes = header->headerBytes + TableBytes(*header, Usage);
    if (infoBytes > Packed.size())
        return std::nullopt;
    return DibParts{Packed.first(std::size_t(infoBytes)), Packed.subspan(std::size_t(infoBytes)), Usage};
}

QByteArray JoinDib(const DibParts& Dib)
{
    QByteArray packed;
    append(packed, Dib.info);
    append(packed, Dib.bits);
    return packed;
}

QByteArray PackDib(const DibParts& Dib, const DibHeader& Header, std::span<const TColor> Table)
{
    QByteArray packed;
    append(packed, Dib.info.first(std::min<std::size_t>(Header.headerBytes, Dib.info.size())));
    if (!Header.core && packed.size() >= qsizetype(kInfoHeaderSize))
        PutU32(reinterpret_cast<std::uint8_t*>(packed.data()) + 32, std::uint32_t(Table.size()));
    for (TColor c : Table)
        appendColor(packed, c, Header.core);
    append(packed, Dib.bits);
    return packed;
}

std::optional<QByteArray> PackedFromDeviceBitmap(std::span<const std::uint8_t> Bitmap, TColor Zero, TColor One)
{
    const RecordReader r(Bitmap.data(), Bitmap.size());
    if (!r.Holds(0, 1, kDeviceBitmapHead))
        return std::nullopt;
    const std::int16_t width = r.I16(2), height = r.I16(4);
    const std::uint16_t rowBytes = r.U16(6);
    const int planes = r.U8(8), bitCount = r.U8(9);
    if (width <= 0 || height <= 0 || planes != 1 || (bitCount != 1 && bitCount != 24 && bitCount != 32))
        return std::nullopt;
    const std::int64_t usedBytes = (std::int64_t(width) * bitCount + 7) / 8;
    if (rowBytes < usedBytes || !r.Holds(kDeviceBitmapHead, std::uint64_t(height), rowBytes))
        return std::nullopt;

    QByteArray packed;
    for (std::uint32_t field : {kInfoHeaderSize, std::uint32_t(width), std::uint32_t(-std::int32_t(height))})
        append32(packed, field);
    append32(packed, std::uint32_t(1 | bitCount << 16)); // planes, bit count
    for (int i = 0; i < 6; ++i) // no compression, sizes and colour counts
        append32(packed, i == 4 && bitCount == 1 ? 2 : 0);
    if (bitCount == 1) {
        appendColor(packed, Zero, false);
        appendColor(packed, One, false);
    }
    // Device rows are padded to 16 bits, packed bitmap rows to 32.
    const std::int64_t paddedRow = PaddedRowBytes(width, bitCount);
    const QByteArray padding(qsizetype(paddedRow - usedBytes), '\0');
    for (int y = 0; y < height; ++y) {
        append(packed, Bitmap.subspan(kDeviceBitmapHead + std::size_t(y) * rowBytes, std::size_t(usedBytes)));
        packed.append(padding);
    }
    return packed;
}

std::optional<QImage> AlphaOf(const DibParts& Dib)
{
    const std::optional<DibHeader> h = ReadDibHeader(Dib.info);
    if (!h || h->core || h->bitCount != 32 || h->compression != 0 || h->width <= 0 || h->height == 0
        || h->height == INT32_MIN)
        return std::nullopt;
    const int rows = h->height < 0 ? -h->height : h->height;
    const std::uint64_t rowBytes = std::uint64_t(h->width) * 4;
    if (!RecordReader(Dib.bits.data(), Dib.bits.size()).Holds(0, std::uint64_t(rows), rowBytes))
        return std::nullopt;
    QImage alpha(h->width, rows, QImage::Format_Alpha8);
    if (alpha.isNull())
        return std::nullopt;
    for (int y = 0; y < rows; ++y) {
        const int fileRow = h->height < 0 ? y : rows - 1 - y;
        const std::uint8_t* in = Dib.bits.data() + std::size_t(fileRow) * rowBytes + 3;
        std::uint8_t* out = alpha.scanLine(y);
        for (int x = 0; x < h->width; ++x, in += 4)
            out[x] = *in;
    }
    return alpha;
}

} // namespace metafile
