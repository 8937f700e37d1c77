#include "pcxformat.h"

#include "imaging/bytestream.h"
#include "imaging/pgmessages.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "imaging/progressscope.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

[[noreturn]] void raisePCX(const QString& text)
{
    RaiseTagged<EPGPCXFileFormatReader>("PCX", text);
}

[[noreturn]] void raiseEndOfFile()
{
    raisePCX(PGLangStr(PgMsg::UnexpectedEof));
}

[[noreturn]] void raiseUnknownSubformat()
{
    raisePCX(PGLangStr(PgMsg::UnknownSubformat));
}

constexpr int kHeaderSize = 128;
constexpr int kTrailerSize = 769;

struct Header {
    std::uint8_t raw[kHeaderSize];

    int version() const { return raw[1]; }
    int bitsPerPlane() const { return raw[3]; }
    int planes() const { return raw[65]; }
    int bytesPerLine() const { return raw[66] | raw[67] << 8; }
    int paletteInfo() const { return raw[68] | raw[69] << 8; }
    int reserved() const { return raw[64]; }
    int s16(int at) const { return std::int16_t(raw[at] | raw[at + 1] << 8); }
    int width() const { return s16(8) - s16(4) + 1; }
    int height() const { return s16(10) - s16(6) + 1; }
    int lineBytes() const { return planes() * bytesPerLine(); }
    TColor headerColour(int i) const { return RGBColor(raw[16 + 3 * i], raw[17 + 3 * i], raw[18 + 3 * i]); }
};

Header readHeader(ByteReader& bytes)
{
    Header h;
    bytes.Read(h.raw, kHeaderSize);
    return h;
}

// The image format of a layout, or nothing for one that is not read.
std::optional<TBitCountNum> formatOf(const Header& h)
{
    if (h.bitsPerPlane() == 1 && h.planes() == 1)
        return bcn1Bit;
    if (h.bitsPerPlane() == 1 && h.planes() == 4)
        return bcn4Bit;
    if (h.bitsPerPlane() == 8 && h.planes() == 1)
        return bcn8Bit;
    if (h.bitsPerPlane() == 8 && h.planes() == 3)
        return bcn24Bit;
    return std::nullopt;
}

void decodeLine(ByteReader& bytes, std::uint8_t* line, int size)
{
    int at = 0;
    while (at < size) {
        const std::uint8_t b = bytes.U8();
        if ((b & 0xC0) == 0xC0) {
            const int count = std::min(int(b & 0x3F), size - at);
            std::memset(line + at, bytes.U8(), std::size_t(count));
            at += count;
        } else {
            line[at++] = b;
        }
    }
}

void storeLine(const Header& h, TBitCountNum format, const std::uint8_t* line, std::uint8_t* row, int width)
{
    const int bpl = h.bytesPerLine();
    switch (format) {
    case bcn1Bit: {
        const int count = (width + 7) / 8;
        std::memcpy(row, line, std::size_t(count));
        if (width % 8 != 0)
            row[count - 1] &= std::uint8_t(0xFF00 >> (width % 8));
        break;
    }
    case bcn4Bit:
        for (int x = 0; x < width; ++x) {
            const int bit = 7 - x % 8;
            int index = 0;
            for (int plane = 0; plane < 4; ++plane)
                index |= ((line[plane * bpl + x / 8] >> bit) & 1) << plane;
            std::uint8_t& b = row[x / 2];
            b = x % 2 ? std::uint8_t((b & 0xF0) | index) : std::uint8_t((b & 0x0F) | index << 4);
        }
        break;
    case bcn8Bit:
        std::memcpy(row, line, std::size_t(width));
        break;
    case bcn24Bit:
        for (int x = 0; x < width; ++x) {
            row[3 * x] = line[2 * bpl + x];
            row[3 * x + 1] = line[bpl + x];
            row[3 * x + 2] = line[x];
        }
        break;
    }
}

} // namespace

TPCXFileFormatReader::TPCXFileFormatReader()
    : TSingleImageReader(QStringLiteral("TPCXFileFormatReader"), QStringLiteral("pcx"), QStringLiteral("Paintbrush"),
                         false)
{
}

bool TPCXFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    return Header[0] == 10;
}

void TPCXFileFormatReader::Fail(const QString& Text) const
{
    raisePCX(Text);
}

void TPCXFileFormatReader::LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const
{
    Graphic.SetGamma(PixelGraphicDefaultGamma);
    ByteReader bytes(Stream, raiseEndOfFile);
    const std::int64_t start = bytes.Position();
    const Header h = readHeader(bytes);
    const std::optional<TBitCountNum> format = formatOf(h);
    const int width = h.width();
    const int height = h.height();
    if (h.paletteInfo() != 1 || h.reserved() != 0 || !format || width < 1 || height < 1
        || h.bytesPerLine() < (std::int64_t(width) * h.bitsPerPlane() + 7) / 8)
        raiseUnknownSubformat();
    CheckImageDimensions(width, height, *format);

    // The data runs to the end of the file, or to the palette trailer of 256-colour files.
    const std::int64_t size = bytes.StreamSize();
    std::int64_t dataEnd = size;
    std::vector<TColor> palette;
    if (*format == bcn8Bit) {
        if (size >= 0 && size - start < kHeaderSize + kTrailerSize)
            raiseUnknownSubformat();
        const std::int64_t here = bytes.Position();
        dataEnd = size - kTrailerSize;
        bytes.Seek(dataEnd);
        if (bytes.U8() != 12)
            raiseUnknownSubformat();
        std::uint8_t rgb[768];
        bytes.Read(rgb, sizeof rgb);
        for (int i = 0; i < 256; ++i)
            palette.push_back(RGBColor(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]));
        bytes.Seek(here);
    }
    const std::int64_t lineBytes = h.lineBytes();
    const std::int64_t leastData = (RowBytesTimesRows(lineBytes, height, INT64_MAX) + 62) / 63 * 2;
    if (dataEnd >= 0 && !OffsetPlusLengthFits(bytes.Position(), leastData, dataEnd))
        raiseEndOfFile();

    Graphic.Allocate(width, height, *format);
    switch (*format) {
    case bcn1Bit:
        Graphic.SetPaletteIdent(pBlackWhite);
        break;
    case bcn4Bit:
        if (h.version() == 3) {
            Graphic.SetPaletteIdent(pSys16);
        } else {
            Graphic.SetPaletteCount(16);
            for (int i = 0; i < 16; ++i)
                Graphic.SetPaletteEntry(i, h.headerColour(i));
        }
        break;
    case bcn8Bit:
        Graphic.SetPaletteCount(256);
        for (int i = 0; i < 256; ++i)
            Graphic.SetPaletteEntry(i, palette[std::size_t(i)]);
        break;
    case bcn24Bit:
        break;
    }

    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineBytes));
    ProgressScope progress(Graphic);
    for (int y = 0; y < height; ++y) {
        decodeLine(bytes, line.data(), int(lineBytes));
        storeLine(h, *format, line.data(), Graphic.ScanLine(y), width);
        if (Graphic.Progress(y, height))
            break;
    }
}

void TPCXFileFormatReader::ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const
{
    ByteReader bytes(Stream, raiseEndOfFile);
    const Header h = readHeader(bytes);
    Info.Width = h.width();
    Info.Height = h.height();
    Info.BitsPerPixel = h.bitsPerPlane() * h.planes();
    Info.ColorsText = Info.BitsPerPixel == 24 ? QStringLiteral("16.7M")
                      : Info.BitsPerPixel < 24 ? QString::number(std::int64_t(1) << Info.BitsPerPixel)
                                               : QString();
    switch (h.version()) {
    case 0:
        Info.SubFormat = QStringLiteral("Version 2.5 (0)");
        break;
    case 2:
        Info.SubFormat = QStringLiteral("Version 2.8 (2) with Palette");
        break;
    case 3:
        Info.SubFormat = QStringLiteral("Version 2.8 (3) without Palette");
        break;
    case 5:
        Info.SubFormat = QStringLiteral("Version 3.0 (5)");
        break;
    default:
        break;
    }
    Info.ImageCount = 1;
}

void RegisterPCXFormats(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<TPCXFileFormatReader>());
}
