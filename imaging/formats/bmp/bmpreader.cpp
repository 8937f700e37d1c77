// Reading BMP, DIB and RLE files and packed bitmaps (layout: FORMAT.md).
#include "bmpdecode.h"
#include "bmpformat.h"
#include "imaging/bytestream.h"
#include "imaging/pgmessages.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "imaging/progressscope.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMasksInHeaderSize = 52; // V2 headers and later carry the masks
constexpr std::uint32_t kMaxInfoHeaderSize = 124;
constexpr int kFileHeaderSize = 14;

enum : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

[[noreturn]] void raiseBMP(const QString& text)
{
    RaiseTagged<EPGBMPFileFormatReader>("BMP", text);
}

[[noreturn]] void raiseInvalid(const char* field)
{
    raiseBMP(PGLangStrS1(PgMsg::Invalid, QString::fromLatin1(field)));
}

// What the information header (or core header) says, checked.
struct BitmapHeader {
    bool core = false;
    std::int32_t width = 0;
    std::int32_t height = 0; // rows; the sign is in topDown
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t colorsUsed = 0;
    std::optional<std::array<std::uint32_t, 3>> headerMasks; // red, green, blue
};

bool compressionAllowed(std::uint32_t compression, int bitCount, bool topDown)
{
    switch (compression) {
    case BI_RGB:
        return true;
    case BI_RLE8:
        return bitCount == 8 && !topDown;
    case BI_RLE4:
        return bitCount == 4 && !topDown;
    case BI_BITFIELDS:
        return bitCount == 16 || bitCount == 32;
    default:
        return false;
    }
}

BitmapHeader readCoreHeader(ByteReader& reader)
{
    BitmapHeader h;
    h.core = true;
    h.width = reader.I16();
    const std::int16_t height = reader.I16();
    const std::uint16_t planes = reader.U16();
    const std::uint16_t bitCount = reader.U16();
    if (planes != 1)
        raiseInvalid("BitmapCoreHeader.bcPlanes");
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)
        raiseInvalid("BitmapCoreHeader.bcBitCount");
    if (height < 0)
        raiseInvalid("BitmapCoreHeader.bcHeight");
    h.height = height;
    h.bitCount = bitCount;
    return h;
}

// Headers of 40 to 124 bytes: the first 40 bytes, the masks where the header holds them, and
// the rest skipped.
BitmapHeader readInfoHeader(ByteReader& reader, std::uint32_t size)
{
    std::array<std::uint8_t, kMaxInfoHeaderSize> bytes{};
    reader.Read(bytes.data() + 4, size - 4);
    BitmapHeader h;
    h.width = std::int32_t(GetU32(&bytes[4]));
    const std::int32_t height = std::int32_t(GetU32(&bytes[8]));
    const std::uint16_t planes = GetU16(&bytes[12]);
    h.bitCount = GetU16(&bytes[14]);
    h.compression = GetU32(&bytes[16]);
    h.colorsUsed = GetU32(&bytes[32]);
    if (planes != 1)
        raiseInvalid("BitmapInfoHeader.biPlanes");
    static constexpr int kBitCounts[] = {1, 4, 8, 16, 24, 32};
    if (std::find(std::begin(kBitCounts), std::end(kBitCounts), h.bitCount) == std::end(kBitCounts))
        raiseInvalid("BitmapInfoHeader.biBitCount");
    h.topDown = height < 0;
    if (!compressionAllowed(h.compression, h.bitCount, h.topDown))
        raiseInvalid("BitmapInfoHeader.biCompression");
    if (height == INT32_MIN) // no positive row count
        raiseInvalid("BitmapInfoHeader.biHeight");
    h.height = height < 0 ? -height : height;
    if (size >= kMasksInHeaderSize)
        h.headerMasks = std::array<std::uint32_t, 3>{GetU32(&bytes[40]), GetU32(&bytes[44]), GetU32(&bytes[48])};
    return h;
}

BitmapHeader readHeader(ByteReader& reader)
{
    const std::uint32_t size = reader.U32();
    if (size == kCoreHeaderSize)
        return readCoreHeader(reader);
    if (size < kInfoHeaderSize || size > kMaxInfoHeaderSize)
        raiseBMP(PGLangStrS1(PgMsg::InvalidSizeOf, QStringLiteral("BitmapInfoHeader")));
    return readInfoHeader(reader, size);
}

// One bit-field channel: the mask moved so that its highest bit is bit 7 of a byte.
class Channel {
public:
    Channel(std::uint32_t mask, bool rounding) : mask_(mask)
    {
        if (mask == 0)
            return;
        shift_ = 31 - std::countl_zero(mask) - 7; // > 0: right, < 0: left
        const std::uint32_t shifted = move(mask);
        if (rounding)
            rounding_ = shifted & (~shifted + 1); // the lowest set bit
    }

    std::uint8_t operator()(std::uint32_t pixel) const
    {
        const std::uint32_t bits = pixel & mask_;
        if (bits == 0)
            return 0;
        return std::uint8_t(std::min<std::uint32_t>(move(bits) + rounding_, 255));
    }

private:
    std::uint32_t move(std::uint32_t v) const { return shift_ >= 0 ? v >> shift_ : v << -shift_; }

    std::uint32_t mask_;
    int shift_ = 0;
    std::uint32_t rounding_ = 0;
};

std::array<std::uint32_t, 3> defaultMasks(int bitCount)
{
    if (bitCount == 16)
        return {0x7C00, 0x03E0, 0x001F};
    return {0xFF0000, 0xFF00, 0xFF};
}

TBitCountNum formatOfBitCount(int bitCount)
{
    switch (bitCount) {
    case 1:
        return bcn1Bit;
    case 4:
        return bcn4Bit;
    case 8:
        return bcn8Bit;
    default:
        return bcn24Bit;
    }
}

// Rows as stored in the file of 1, 4, 8 or 24 bits: the pixel memory takes them as they are,
// in ten parts for the progress display.
void readRowsStraight(ByteReader& reader, TPixelGraphic& graphic)
{
    std::uint8_t* bits = graphic.Bits();
    const std::int64_t size = graphic.ImageSize();
    if (size <= 100) {
        reader.Read(bits, size);
        return;
    }
    const std::int64_t part = size / 10;
    for (int i = 1; i <= 10; ++i) {
        const std::int64_t n = i < 10 ? part : size - 9 * part;
        reader.Read(bits + (i - 1) * part, n);
        if (graphic.Progress(i, 10))
            return;
    }
}

void readBitFieldRows(ByteReader& reader, TPixelGraphic& graphic, const BitmapHeader& h,
                      const std::array<std::uint32_t, 3>& masks)
{
    const bool rounding = PixelGraphicBitfieldRounding && h.bitCount == 16;
    const Channel red(masks[0], rounding), green(masks[1], rounding), blue(masks[2], rounding);
    const std::int64_t fileRowBytes = PaddedRowBytes(h.width, h.bitCount);
    std::vector<std::uint8_t> fileRow(static_cast<std::size_t>(fileRowBytes));
    const int bytesPerPixel = h.bitCount / 8;
    for (int i = 0; i < h.height; ++i) {
        reader.Read(fileRow.data(), fileRowBytes);
        // Top-down files give the top row first; storage keeps the bottom row first.
        const int storageRow = h.topDown ? h.height - 1 - i : i;
        std::uint8_t* out = graphic.Bits() + std::int64_t(storageRow) * graphic.RowBytes();
        const std::uint8_t* in = fileRow.data();
        for (int x = 0; x < h.width; ++x, in += bytesPerPixel, out += 3) {
            const std::uint32_t pixel = bytesPerPixel == 2 ? GetU16(in) : GetU32(in);
            out[0] = blue(pixel);
            out[1] = green(pixel);
            out[2] = red(pixel);
        }
        if (graphic.Progress(i, h.height))
            return;
    }
}

void flipRows(TPixelGraphic& graphic)
{
    const std::int64_t rowBytes = graphic.RowBytes();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    std::uint8_t* bits = graphic.Bits();
    for (std::int64_t top = 0, bottom = graphic.Height() - 1; top < bottom; ++top, --bottom) {
        std::memcpy(row.data(), bits + top * rowBytes, std::size_t(rowBytes));
        std::memcpy(bits + top * rowBytes, bits + bottom * rowBytes, std::size_t(rowBytes));
        std::memcpy(bits + bottom * rowBytes, row.data(), std::size_t(rowBytes));
    }
}

// The packed bitmap at the reader's position. PixelOffset: where the file header says the
// pixels are (absolute), used when it lies after the headers and inside the stream.
void decodeBitmap(ByteReader& reader, TPixelGraphic& graphic, std::optional<std::int64_t> pixelOffset)
{
    graphic.FlushCanvas();
    ProgressScope progress(graphic);
    const BitmapHeader h = readHeader(reader);
    if (h.width < 0)
        throw EPGInvalidSize(PGLangStr(PgMsg::NegativeWidth)); // as Allocate would, before anything is read or made

    std::array<std::uint32_t, 3> masks = defaultMasks(h.bitCount);
    if (!h.core && h.compression == BI_BITFIELDS)
        masks = h.headerMasks ? *h.headerMasks : std::array<std::uint32_t, 3>{reader.U32(), reader.U32(), reader.U32()};
    const std::int64_t headersEnd = reader.Position();

    // The colour table: what an image of this bit count can use, the surplus skipped.
    const int entrySize = h.core ? 3 : 4;
    std::int64_t declaredEntries = h.bitCount <= 8 ? (std::int64_t(1) << h.bitCount) : 0;
    if (!h.core && h.colorsUsed > 0)
        declaredEntries = h.colorsUsed;
    const int entries = h.bitCount <= 8 ? int(std::min<std::int64_t>(declaredEntries, 1 << h.bitCount)) : 0;
    std::array<std::uint8_t, 256 * 4> table{};
    reader.Read(table.data(), std::int64_t(entries) * entrySize);

    const std::int64_t streamSize = reader.StreamSize();
    if (pixelOffset && *pixelOffset >= headersEnd && streamSize >= 0 && *pixelOffset < streamSize)
        reader.Seek(*pixelOffset);
    else
        reader.Skip((declaredEntries - entries) * entrySize);

    const bool compressed = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    if (!compressed && streamSize >= 0) {
        // The whole of the pixel data must be there before anything is made for it.
        const std::int64_t need = RowBytesTimesRows(PaddedRowBytes(h.width, h.bitCount), h.height, INT64_MAX);
        if (!OffsetPlusLengthFits(reader.Position(), need, streamSize))
            RaiseBMPEndOfFile();
    }

    graphic.Allocate(h.width, h.height, formatOfBitCount(h.bitCount));
    if (h.bitCount <= 8) {
        graphic.SetPaletteCount(entries);
        for (int i = 0; i < entries; ++i) {
            const std::uint8_t* e = &table[std::size_t(i * entrySize)];
            graphic.SetPaletteEntry(i, RGBColor(e[2], e[1], e[0]));
        }
        if (entries == 0)
            graphic.SetPaletteIdent(pNone);
    } else {
        graphic.SetPaletteIdent(pTrueColor);
    }
    if (graphic.Empty())
        return;

    if (compressed) {
        DecodeRunLengths(reader, graphic, h.bitCount);
    } else if (h.bitCount == 16 || h.bitCount == 32) {
        readBitFieldRows(reader, graphic, h, masks);
    } else {
        readRowsStraight(reader, graphic);
        if (h.topDown)
            flipRows(graphic);
    }
}

QString subFormatText(const BitmapHeader& h)
{
    QString text = h.core ? QStringLiteral("OS/2") : QStringLiteral("Windows");
    switch (h.compression) {
    case BI_RGB:
        text += QStringLiteral(", RGB");
        break;
    case BI_RLE8:
        text += QStringLiteral(", RLE8");
        break;
    case BI_RLE4:
        text += QStringLiteral(", RLE4");
        break;
    default:
        break;
    }
    if (h.topDown)
        text += QStringLiteral(", Top-Down");
    return text;
}

} // namespace

void RaiseBMPEndOfFile()
{
    raiseBMP(PGLangStr(PgMsg::UnexpectedEof));
}

TBMPFileFormatReader::TBMPFileFormatReader()
    : TBMPFileFormatReader(QStringLiteral("TBMPFileFormatReader"), QStringLiteral("bmp"))
{
}

TBMPFileFormatReader::TBMPFileFormatReader(QString ClassName, QString Extension)
    : TSingleImageReader(std::move(ClassName), std::move(Extension), QStringLiteral("Bitmap"), true)
{
}

void TBMPFileFormatReader::Fail(const QString& Text) const
{
    raiseBMP(Text);
}

bool TBMPFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    return Header[0] == 'B' && Header[1] == 'M';
}

void TBMPFileFormatReader::LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const
{
    ByteReader reader(Stream, RaiseBMPEndOfFile);
    const std::int64_t fileStart = reader.Position();
    reader.Skip(kFileHeaderSize - 4);
    const std::uint32_t pixelOffset = reader.U32();
    decodeBitmap(reader, Graphic, fileStart + pixelOffset);
}

void TBMPFileFormatReader::ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const
{
    ByteReader reader(Stream, RaiseBMPEndOfFile);
    reader.Skip(kFileHeaderSize);
    const BitmapHeader h = readHeader(reader);
    Info.SubFormat = subFormatText(h);
    Info.Width = h.width;
    Info.Height = h.height;
    Info.BitsPerPixel = h.bitCount;
    Info.ColorsText = ColorsTextOfBitCount(h.bitCount);
}

void DecodePackedBitmap(QIODevice& Stream, TPixelGraphic& Graphic)
{
    ByteReader reader(Stream, RaiseBMPEndOfFile);
    decodeBitmap(reader, Graphic, std::nullopt);
}

const TBMPFileFormatReader& GlobalBMPReader()
{
    static const TBMPFileFormatReader reader;
    return reader;
}
