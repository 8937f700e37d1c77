#include "pnmformat.h"

#include "imaging/bytestream.h"
#include "imaging/pgmessages.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "imaging/progressscope.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

const char kTag[] = "PBM, PGM, PPM";

[[noreturn]] void raisePxM(const QString& text)
{
    RaiseTagged<EPGPxMFileFormatReader>(kTag, text);
}

[[noreturn]] void raiseEndOfFile()
{
    raisePxM(PGLangStr(PgMsg::UnexpectedEof));
}

[[noreturn]] void raiseNotSupported()
{
    raisePxM(PGLangStr(PgMsg::NotSupportedSubformat));
}

bool isDigit(std::uint8_t b)
{
    return b >= '0' && b <= '9';
}

// The header and text samples: bytes with comments folded away. A "#" runs to the next line
// feed, which is returned in its place.
class TextReader {
public:
    explicit TextReader(ByteReader& Bytes) : bytes_(Bytes) {}

    // One byte; at the end of the data, nothing.
    std::optional<std::uint8_t> Next()
    {
        if (bytes_.AtEnd())
            return std::nullopt;
        std::uint8_t b = bytes_.U8();
        if (b != '#')
            return b;
        do {
            if (bytes_.AtEnd())
                return std::nullopt;
            b = bytes_.U8();
        } while (b != '\n');
        return b;
    }

    // A decimal number: everything up to its first digit is skipped, and the byte after its last
    // digit is consumed. The end of the data also ends a number. Past 2^31 - 1 it is refused.
    std::uint32_t Number()
    {
        std::uint8_t b = firstDigit();
        std::uint64_t value = 0;
        for (;;) {
            value = value * 10 + (b - '0');
            if (value > std::uint64_t(INT32_MAX))
                raiseNotSupported();
            const std::optional<std::uint8_t> next = Next();
            if (!next || !isDigit(*next))
                return std::uint32_t(value);
            b = *next;
        }
    }

    // A bitmap's pixel in text: one digit, separated or not.
    std::uint8_t Digit() { return std::uint8_t(firstDigit() - '0'); }

private:
    std::uint8_t firstDigit()
    {
        for (;;) {
            const std::optional<std::uint8_t> b = Next();
            if (!b)
                raiseEndOfFile();
            if (isDigit(*b))
                return *b;
        }
    }

    ByteReader& bytes_;
};

struct Header {
    int variant = 0; // 1 to 6
    std::uint32_t width = 0, height = 0, maxval = 1;

    bool binary() const { return variant >= 4; }
    int kind() const { return (variant - 1) % 3; } // 0 bitmap, 1 graymap, 2 pixmap
    TBitCountNum format() const { return kind() == 0 ? bcn1Bit : (kind() == 1 ? bcn8Bit : bcn24Bit); }
    int samplesPerPixel() const { return kind() == 2 ? 3 : 1; }
    // The fewest bytes the pixel data can take: raw data exactly, text one byte a sample.
    std::int64_t leastDataBytes() const
    {
        const std::int64_t rowBytes = binary() && kind() == 0 ? (std::int64_t(width) + 7) / 8
                                                              : std::int64_t(width) * samplesPerPixel();
        return RowBytesTimesRows(rowBytes, height, INT64_MAX);
    }
};

Header readHeader(ByteReader& bytes, TextReader& text)
{
    Header h;
    if (bytes.U8() != 'P')
        raisePxM(PGLangStrS1(PgMsg::NotAFile, QString::fromLatin1(kTag)));
    const std::uint8_t digit = bytes.U8();
    if (digit < '1' || digit > '6')
        raisePxM(PGLangStr(PgMsg::UnknownSubformat));
    h.variant = digit - '0';
    h.width = text.Number();
    h.height = text.Number();
    if (h.kind() != 0)
        h.maxval = text.Number();
    if (h.width == 0 || h.height == 0 || h.maxval == 0 || (h.binary() && h.maxval > 255))
        raiseNotSupported();
    return h;
}

// value x 255 div maxval, values above maxval counting as 255.
class SampleScale {
public:
    explicit SampleScale(std::uint32_t maxval) : maxval_(maxval) {}
    std::uint8_t operator()(std::uint32_t value) const
    {
        return value >= maxval_ ? 255 : std::uint8_t(std::uint64_t(value) * 255 / maxval_);
    }

private:
    std::uint32_t maxval_;
};

void readTextRow(TextReader& text, const Header& h, const SampleScale& scale, std::uint8_t* row)
{
    switch (h.kind()) {
    case 0:
        std::memset(row, 0, (h.width + 7) / 8);
        for (std::uint32_t x = 0; x < h.width; ++x)
            if (text.Digit() == 0) // white is index 1
                row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
        break;
    case 1:
        for (std::uint32_t x = 0; x < h.width; ++x)
            row[x] = scale(text.Number());
        break;
    default:
        for (std::uint32_t x = 0; x < h.width; ++x) {
            const std::uint8_t red = scale(text.Number());
            const std::uint8_t green = scale(text.Number());
            row[3 * x] = scale(text.Number());
            row[3 * x + 1] = green;
            row[3 * x + 2] = red;
        }
        break;
    }
}

void readRawRow(ByteReader& bytes, const Header& h, const SampleScale& scale, std::uint8_t* row,
                std::vector<std::uint8_t>& buffer)
{
    switch (h.kind()) {
    case 0: {
        const std::size_t count = (h.width + 7) / 8;
        bytes.Read(row, std::int64_t(count));
        for (std::size_t i = 0; i < count; ++i)
            row[i] = std::uint8_t(~row[i]);
        break;
    }
    case 1:
        bytes.Read(row, h.width);
        for (std::uint32_t x = 0; x < h.width; ++x)
            row[x] = scale(row[x]);
        break;
    default:
        bytes.Read(buffer.data(), std::int64_t(buffer.size()));
        for (std::uint32_t x = 0; x < h.width; ++x) {
            row[3 * x] = scale(buffer[3 * x + 2]);
            row[3 * x + 1] = scale(buffer[3 * x + 1]);
            row[3 * x + 2] = scale(buffer[3 * x]);
        }
        break;
    }
}

} // namespace

TPxMFileFormatReader::TPxMFileFormatReader(QString ClassName, QString Extension, QString Description,
                                           char TextDigit)
    : TSingleImageReader(std::move(ClassName), std::move(Extension), std::move(Description), true),
      textDigit_(TextDigit)
{
}

TPBMFileFormatReader::TPBMFileFormatReader()
    : TPxMFileFormatReader(QStringLiteral("TPBMFileFormatReader"), QStringLiteral("pbm"),
                           QStringLiteral("Portable Bitmap"), '1')
{
}

TPGMFileFormatReader::TPGMFileFormatReader()
    : TPxMFileFormatReader(QStringLiteral("TPGMFileFormatReader"), QStringLiteral("pgm"),
                           QStringLiteral("Portable Graymap"), '2')
{
}

TPPMFileFormatReader::TPPMFileFormatReader()
    : TPxMFileFormatReader(QStringLiteral("TPPMFileFormatReader"), QStringLiteral("ppm"),
                           QStringLiteral("Portable Pixelmap"), '3')
{
}

bool TPxMFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    return Header[0] == 'P' && (Header[1] == textDigit_ || Header[1] == textDigit_ + 3);
}

void TPxMFileFormatReader::Fail(const QString& Text) const
{
    RaiseTagged<EPGPxMFileFormatReader>("PxM", Text);
}

void TPxMFileFormatReader::FailInfo(const QString& Text) const
{
    raisePxM(Text);
}

void TPxMFileFormatReader::LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const
{
    Graphic.SetGamma(PixelGraphicDefaultGamma);
    ByteReader bytes(Stream, raiseEndOfFile);
    TextReader text(bytes);
    const Header h = readHeader(bytes, text);
    CheckImageDimensions(h.width, h.height, h.format());
    const std::int64_t size = bytes.StreamSize();
    if (size >= 0 && !OffsetPlusLengthFits(bytes.Position(), h.leastDataBytes(), size))
        raiseEndOfFile();

    Graphic.Allocate(int(h.width), int(h.height), h.format());
    if (h.kind() == 0)
        Graphic.SetPaletteIdent(pBlackWhite);
    else if (h.kind() == 1)
        Graphic.SetPaletteIdent(pGray256);

    const SampleScale scale(h.maxval);
    std::vector<std::uint8_t> buffer(h.kind() == 2 && h.binary() ? std::size_t(h.width) * 3 : 0);
    ProgressScope progress(Graphic);
    for (int y = 0; y < int(h.height); ++y) {
        std::uint8_t* row = Graphic.ScanLine(y);
        if (h.binary())
            readRawRow(bytes, h, scale, row, buffer);
        else
            readTextRow(text, h, scale, row);
        if (Graphic.Progress(y, int(h.height)))
            break;
    }
}

void TPxMFileFormatReader::ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const
{
    ByteReader bytes(Stream, raiseEndOfFile);
    TextReader text(bytes);
    const Header h = readHeader(bytes, text);
    static const int kBits[] = {1, 8, 24};
    Info.SubFormat = h.binary() ? QStringLiteral("Binary") : QStringLiteral("ASCII");
    Info.Width = int(h.width);
    Info.Height = int(h.height);
    Info.BitsPerPixel = kBits[h.kind()];
    Info.ColorsText = h.kind() == 2 ? QStringLiteral("16.7M") : QString::number(1 << Info.BitsPerPixel);
    Info.ImageCount = 1;
}
