#include "tgaformat.h"

#include "imaging/bytestream.h"
#include "imaging/pgmessages.h"
#include "imaging/pixelgraphic.h"
#include "imaging/progressscope.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

[[noreturn]] void raiseTGA(const QString& text)
{
    RaiseTagged<EPGTGAFileFormatReader>("TGA", text);
}

[[noreturn]] void raiseEndOfFile()
{
    raiseTGA(PGLangStr(PgMsg::UnexpectedEof));
}

struct Header {
    int idLength = 0;
    int mapType = 0;
    int imageType = 0;
    int firstEntry = 0;
    int mapLength = 0;
    int entryBits = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int descriptor = 0;

    bool runLength() const { return imageType & 8; }
    bool indexed() const { return (imageType & 7) == 1 || (imageType & 7) == 3; }
    int bytesPerPixel() const { return bitsPerPixel / 8; }
    bool rightToLeft() const { return descriptor & 0x10; }
    bool topToBottom() const { return descriptor & 0x20; }
};

Header readHeader(ByteReader& bytes)
{
    std::uint8_t raw[18];
    bytes.Read(raw, sizeof raw);
    auto u16 = [&raw](int at) { return int(raw[at] | raw[at + 1] << 8); };
    Header h;
    h.idLength = raw[0];
    h.mapType = raw[1];
    h.imageType = raw[2];
    h.firstEntry = u16(3);
    h.mapLength = u16(5);
    h.entryBits = raw[7];
    h.width = u16(12);
    h.height = u16(14);
    h.bitsPerPixel = raw[16];
    h.descriptor = raw[17];
    return h;
}

TColor colourOf(const std::uint8_t* p, int bytesPerPixel)
{
    if (bytesPerPixel == 2)
        return RGBColor((p[1] & 0x7C) << 1, (p[1] & 3) << 6 | (p[0] & 0xE0) >> 2, (p[0] & 0x1F) << 3);
    return RGBColor(p[2], p[1], p[0]);
}

// The palette of an 8-bit colour-mapped file: stored entry k is index first + k. Returns the
// map's bytes read.
std::int64_t readColourMap(ByteReader& bytes, const Header& h, std::vector<TColor>& palette)
{
    const int entryBytes = (h.entryBits + 7) / 8;
    if (h.entryBits != 16 && h.entryBits != 24 && h.entryBits != 32)
        raiseTGA(PGLangStr(PgMsg::NotSupportedSubformat));
    const int count = std::min(h.firstEntry + h.mapLength, 256);
    palette.assign(std::size_t(count), 0);
    std::uint8_t entry[4];
    for (int index = h.firstEntry; index < count; ++index) {
        bytes.Read(entry, entryBytes);
        palette[std::size_t(index)] = colourOf(entry, entryBytes);
    }
    return std::int64_t(std::max(count - h.firstEntry, 0)) * entryBytes;
}

// Pixels of a run-length encoded file one after another; packets run on across rows.
class RunLengthPixels {
public:
    RunLengthPixels(ByteReader& Bytes, int BytesPerPixel) : bytes_(Bytes), size_(BytesPerPixel) {}

    const std::uint8_t* Next()
    {
        if (left_ == 0) {
            const std::uint8_t packet = bytes_.U8();
            left_ = (packet & 0x7F) + 1;
            repeat_ = packet & 0x80;
            if (repeat_)
                bytes_.Read(pixel_, size_);
        }
        --left_;
        if (!repeat_)
            bytes_.Read(pixel_, size_);
        return pixel_;
    }

private:
    ByteReader& bytes_;
    int size_;
    int left_ = 0;
    bool repeat_ = false;
    std::uint8_t pixel_[4] = {};
};

// The fewest bytes the file's pixels can take.
std::int64_t leastPixelBytes(const Header& h)
{
    const std::int64_t pixels = std::int64_t(h.width) * h.height;
    if (h.runLength())
        return (pixels + 127) / 128 * (1 + h.bytesPerPixel());
    return pixels * h.bytesPerPixel();
}

} // namespace

TTGAFileFormatReader::TTGAFileFormatReader()
    : TSingleImageReader(QStringLiteral("TTGAFileFormatReader"), QStringLiteral("tga"),
                         QStringLiteral("Truevision Targa"), false)
{
}

void TTGAFileFormatReader::Fail(const QString& Text) const
{
    raiseTGA(Text);
}

void TTGAFileFormatReader::LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const
{
    ByteReader bytes(Stream, raiseEndOfFile);
    const Header h = readHeader(bytes);
    const int b = h.bytesPerPixel();
    const int kind = h.imageType & ~8;
    if ((h.bitsPerPixel != 8 && h.bitsPerPixel != 16 && h.bitsPerPixel != 24 && h.bitsPerPixel != 32)
        || kind < 1 || kind > 3 || (h.indexed() && h.bitsPerPixel != 8))
        raiseTGA(PGLangStr(PgMsg::NotSupportedSubformat));
    const TBitCountNum format = b == 1 ? bcn8Bit : bcn24Bit;
    CheckImageDimensions(h.width, h.height, format);

    bytes.Skip(h.idLength);
    const std::int64_t mapBytes = h.mapType == 1 ? std::int64_t(h.mapLength) * ((h.entryBits + 7) / 8) : 0;
    std::vector<TColor> palette;
    std::int64_t mapRead = 0;
    if (h.mapType == 1 && b == 1 && h.mapLength > 0)
        mapRead = readColourMap(bytes, h, palette);
    bytes.Skip(mapBytes - mapRead);
    const std::int64_t size = bytes.StreamSize();
    if (size >= 0 && !OffsetPlusLengthFits(bytes.Position(), leastPixelBytes(h), size))
        raiseEndOfFile();

    Graphic.Allocate(h.width, h.height, format);
    if (b == 1 && palette.empty()) {
        Graphic.SetPaletteIdent(pGray256);
    } else if (b == 1) {
        Graphic.SetPaletteCount(int(palette.size()));
        for (std::size_t i = 0; i < palette.size(); ++i)
            Graphic.SetPaletteEntry(int(i), palette[i]);
    }
    if (h.height == 0)
        return;

    PGObject* sender = const_cast<TTGAFileFormatReader*>(this);
    ProgressScope progress(Graphic, sender);
    const bool straight = !h.runLength() && (b == 1 || b == 3) && !h.rightToLeft();
    std::vector<std::uint8_t> row(std::size_t(h.width) * std::size_t(b));
    RunLengthPixels packets(bytes, b);
    for (int r = 0; r < h.height; ++r) {
        const int y = h.topToBottom() ? r : h.height - 1 - r;
        if (straight) {
            bytes.Read(Graphic.ScanLine(y), std::int64_t(row.size()));
        } else {
            if (h.runLength()) {
                for (int x = 0; x < h.width; ++x)
                    std::memcpy(&row[std::size_t(x) * std::size_t(b)], packets.Next(), std::size_t(b));
            } else {
                bytes.Read(row.data(), std::int64_t(row.size()));
            }
            for (int x = 0; x < h.width; ++x) {
                const std::uint8_t* p = &row[std::size_t(x) * std::size_t(b)];
                const int column = h.rightToLeft() ? h.width - 1 - x : x;
                Graphic.SetPixel(column, y, b == 1 ? std::uint32_t(*p) : colourOf(p, b));
            }
        }
        if (Graphic.Progress(r, h.height, sender))
            break;
    }
}

void TTGAFileFormatReader::ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const
{
    ByteReader bytes(Stream, raiseEndOfFile);
    const Header h = readHeader(bytes);
    const QString blackAndWhite = QStringLiteral("\"Black-and-white\"");
    switch (h.imageType) {
    case 1:
    case 9:
        Info.Chunks = QStringLiteral("Color-mapped");
        break;
    case 2:
    case 10:
        Info.Chunks = QStringLiteral("True-color");
        break;
    case 3:
    case 11:
        Info.Chunks = blackAndWhite;
        break;
    default:
        raiseTGA(PGLangStrS1(PgMsg::InvalidValueFor, QStringLiteral("ImageType")));
    }
    Info.SubFormat = h.runLength() ? QStringLiteral("Run-length encoded") : QStringLiteral("Uncompressed");
    Info.Width = h.width;
    Info.Height = h.height;
    Info.BitsPerPixel = h.bitsPerPixel;
    Info.ColorsText = h.bitsPerPixel < 24    ? QString::number(std::int64_t(1) << h.bitsPerPixel)
                      : h.bitsPerPixel == 24 ? QStringLiteral("16.7M")
                                             : QStringLiteral("16.7M ?");
    Info.ImageCount = 1;
}
