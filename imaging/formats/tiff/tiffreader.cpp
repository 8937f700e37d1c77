// Reading TIFF files (layout: FORMAT.md).
#include "tiffdirectory.h"
#include "tiffformat.h"
#include "tiffpackbits.h"
#include "tiffsource.h"
#include "imaging/pgmessages.h"
#include "imaging/pixelgraphic.h"
#include "imaging/progressscope.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

namespace tiff {

void RaiseReader(const QString& Text)
{
    RaiseTagged<EPGTIFFileFormatReader>("TIFF", Text);
}

void RaiseEndOfFile()
{
    RaiseReader(PGLangStr(PgMsg::UnexpectedEof));
}

void RaiseInvalid(const char* Field)
{
    RaiseReader(PGLangStrS1(PgMsg::Invalid, QString::fromLatin1(Field)));
}

} // namespace tiff

namespace {

using namespace tiff;

void checkCompression(std::uint32_t Scheme)
{
    static const char* const kNames[] = {"CCITT 1D", "Group 3 Fax", "Group 4 Fax", "LZW", "JPEG"};
    if (Scheme == Uncompressed || Scheme == PackBits)
        return;
    const QString name = Scheme >= 2 && Scheme <= 6 ? QString::fromLatin1(kNames[Scheme - 2]) : QString::number(Scheme);
    RaiseReader(QStringLiteral("Unsupported compression ") + name);
}

// Several strip offsets that do not match RowsPerStrip are an error; a single one is a warning
// (its rows then simply follow each other). Cancelling the warning aborts the load.
void checkStripCount(const ImageLayout& Layout, const TPixelGraphic& Graphic)
{
    if (std::int64_t(Layout.stripOffsets.size()) == Layout.StripsNeeded())
        return;
    const QString text = QStringLiteral("TIFF: NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip");
    if (Layout.stripOffsets.size() != 1)
        throw EPGTIFFileFormatReader(text);
    switch (Graphic.RespondToWarning(QStringLiteral("TIFF-Warning"), text)) {
    case TWarningResponse::Continue:
        return;
    case TWarningResponse::Abort:
        RaiseReader(PGLangStr(PgMsg::Aborted));
    case TWarningResponse::Raise:
        throw EPGTIFFileFormatReader(text);
    }
}

// One sample keeps its bit count (1, 4 or 8); three or four samples are true colour.
TBitCountNum formatOf(const ImageLayout& Layout)
{
    return Layout.samplesPerPixel == 1 ? TPixelGraphic::BitCountToNum(int(Layout.bitsPerSample[0])) : bcn24Bit;
}

// Bytes covered by a set of ranges, where they overlap counted once.
std::int64_t coveredBytes(std::vector<std::pair<std::int64_t, std::int64_t>> Ranges)
{
    std::sort(Ranges.begin(), Ranges.end());
    std::int64_t covered = 0, reached = 0;
    for (const auto& [from, to] : Ranges) {
        const std::int64_t start = std::max(from, reached);
        if (to > start)
            covered += to - start;
        reached = std::max(reached, to);
    }
    return covered;
}

// The strips must be able to hold the image (the last one all rows left) before anything is
// made for it: uncompressed the row bytes, PackBits at least 2 bytes per 128 of them. Each
// strip lies inside the file, and bytes that strips share count once.
void checkStripsHoldImage(const ImageLayout& Layout, const Source& Data)
{
    const std::int64_t rowBytes = Layout.RowBytes();
    const std::int64_t perRow = Layout.compression == PackBits ? 2 * ((rowBytes + 127) / 128) : rowBytes;
    const std::int64_t rowsPerStrip = std::int64_t(std::max<std::uint64_t>(Layout.rowsPerStrip, 1));
    const std::size_t strips = Layout.stripOffsets.size();
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
    std::int64_t needed = 0;
    for (std::size_t k = 0; k < strips; ++k) {
        const std::int64_t first = std::int64_t(k) * rowsPerStrip;
        if (first >= Layout.length)
            break;
        const std::int64_t left = Layout.length - first;
        const std::int64_t rows = k + 1 < strips ? std::min(rowsPerStrip, left) : left;
        const std::int64_t need = RowBytesTimesRows(perRow, rows, INT64_MAX);
        const std::int64_t offset = Layout.stripOffsets[k];
        if (need < 0 || !Data.Holds(offset, need))
            RaiseEndOfFile();
        ranges.emplace_back(offset, offset + need);
        needed += need;
        if (needed > Data.Size()) // more than the file, however the strips overlap
            RaiseEndOfFile();
    }
    if (coveredBytes(std::move(ranges)) < needed)
        RaiseEndOfFile();
}

void setPalette(TPixelGraphic& Graphic, const ImageLayout& Layout)
{
    if (Layout.samplesPerPixel != 1)
        return;
    const std::uint32_t bits = Layout.bitsPerSample[0];
    if (bits == 1) {
        Graphic.SetPaletteIdent(pBlackWhite);
        return;
    }
    if (Layout.photometric != Palette) {
        Graphic.SetPaletteIdent(bits == 4 ? pGray16 : pGray256);
        return;
    }
    // All reds, then all greens, then all blues; a longer map than the pixels can index keeps
    // its first entries.
    const std::vector<std::uint32_t>& map = Layout.colorMap;
    if (map.size() < 3)
        RaiseInvalid("ColorMap");
    const std::size_t n = map.size() / 3;
    const int count = int(std::min<std::size_t>(n, std::size_t(1) << bits));
    Graphic.SetPaletteCount(count);
    for (int i = 0; i < count; ++i)
        Graphic.SetPaletteEntry(i, RGBColor(int(map[std::size_t(i)] / 256), int(map[n + std::size_t(i)] / 256),
                                            int(map[2 * n + std::size_t(i)] / 256)));
}

// Walks the strips row by row: a row that starts a strip moves to the strip's offset (while
// there is one); every other row follows the row before it.
class StripReader {
public:
    StripReader(Source& Data, const ImageLayout& Layout)
        : data_(Data), layout_(Layout), rowBytes_(Layout.RowBytes()),
          rowsPerStrip_(std::max<std::uint64_t>(Layout.rowsPerStrip, 1))
    {
    }

    void FetchRow(std::int64_t Y, std::uint8_t* Row)
    {
        if (std::uint64_t(Y) % rowsPerStrip_ == 0) {
            const std::uint64_t strip = std::uint64_t(Y) / rowsPerStrip_;
            if (strip < layout_.stripOffsets.size())
                position_ = layout_.stripOffsets[strip];
        }
        if (layout_.compression == PackBits) {
            DecodePackBitsRow(data_, position_, Row, rowBytes_, Y);
        } else {
            data_.Read(position_, Row, rowBytes_);
            position_ += rowBytes_;
        }
    }

private:
    Source& data_;
    const ImageLayout& layout_;
    std::int64_t rowBytes_;
    std::uint64_t rowsPerStrip_;
    std::int64_t position_ = 0;
};

// One row from the file's layout into the image's (blue, green, red for true colour).
void storeRow(const ImageLayout& Layout, const std::uint8_t* In, std::uint8_t* Out, std::int64_t Width)
{
    const int bits = Layout.BitsPerPixel();
    if (bits <= 8) {
        // Grey, palette and bilevel rows are laid out as the image's; WhiteIsZero is inverted.
        const std::int64_t bytes = Layout.RowBytes();
        std::memcpy(Out, In, std::size_t(bytes));
        InvertAndTrimRow(Out, bytes, Width * bits, Layout.photometric == WhiteIsZero);
        return;
    }
    if (bits == 24) {
        for (std::int64_t x = 0; x < Width; ++x, In += 3, Out += 3) {
            Out[0] = In[2];
            Out[1] = In[1];
            Out[2] = In[0];
        }
        return;
    }
    const bool cmyk = Layout.photometric == CMYK;
    for (std::int64_t x = 0; x < Width; ++x, In += 4, Out += 3) {
        if (cmyk) {
            const int k = In[3];
            Out[0] = std::uint8_t(std::max(0, 255 - In[2] - k));
            Out[1] = std::uint8_t(std::max(0, 255 - In[1] - k));
            Out[2] = std::uint8_t(std::max(0, 255 - In[0] - k));
        } else {
            Out[0] = In[2];
            Out[1] = In[1];
            Out[2] = In[0];
        }
    }
}

void readRows(Source& Data, const ImageLayout& Layout, TPixelGraphic& Graphic)
{
    ProgressScope progress(Graphic);
    if (Graphic.Empty())
        return;
    StripReader strips(Data, Layout);
    std::vector<std::uint8_t> row(std::size_t(Layout.RowBytes()));
    const int height = Graphic.Height();
    for (int y = 0; y < height; ++y) {
        strips.FetchRow(y, row.data());
        storeRow(Layout, row.data(), Graphic.ScanLine(y), Graphic.Width());
        if (Graphic.Progress(y, height - 1))
            return; // the rows not read stay as they were made
    }
}

QString compressionName(std::uint32_t Scheme)
{
    switch (Scheme) {
    case Uncompressed:
        return QStringLiteral("Uncompr.");
    case 2:
        return QStringLiteral("CCITT 1D");
    case 3:
        return QStringLiteral("Group 3 F.");
    case 4:
        return QStringLiteral("Group 4 F.");
    case 5:
        return QStringLiteral("LZW");
    case 6:
        return QStringLiteral("JPEG");
    case PackBits:
        return QStringLiteral("PackBits");
    default:
        return {};
    }
}

QString photometricName(std::uint32_t Value)
{
    switch (Value) {
    case WhiteIsZero:
        return QStringLiteral(", WhiteIsZero");
    case BlackIsZero:
        return QStringLiteral(", BlackIsZero");
    case RGB:
        return QStringLiteral(", RGB");
    case Palette:
        return QStringLiteral(", RGB Palette");
    case CMYK:
        return QStringLiteral(", CMYK");
    default:
        RaiseReader(QStringLiteral("Unsupported photometric interpretation %1").arg(Value));
    }
}

int clampToInt(std::uint64_t Value)
{
    return int(std::min<std::uint64_t>(Value, INT_MAX));
}

} // namespace

TTIFFileFormatReader::TTIFFileFormatReader()
    : TTIFFileFormatReader(QStringLiteral("TTIFFileFormatReader"), QStringLiteral("tif"))
{
}

TTIFFileFormatReader::TTIFFileFormatReader(QString ClassName, QString Extension)
    : TFileFormatReader(std::move(ClassName), std::move(Extension), QStringLiteral("Tagged Image File Format"), true)
{
}

bool TTIFFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    return (Header[0] == 'I' && Header[1] == 'I' && Header[2] == 42 && Header[3] == 0)
        || (Header[0] == 'M' && Header[1] == 'M' && Header[2] == 0 && Header[3] == 42);
}

void TTIFFileFormatReader::Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const
{
    Source data(Stream);
    int imageCount = 1;
    const ImageLayout layout = ReadLayout(ReadDirectory(data, ImageIndex, imageCount));
    checkCompression(layout.compression);
    checkStripCount(layout, Graphic);
    const TBitCountNum format = formatOf(layout);
    CheckImageDimensions(layout.width, layout.length, format);
    checkStripsHoldImage(layout, data);
    Graphic.Allocate(int(layout.width), int(layout.length), format);
    setPalette(Graphic, layout);
    readRows(data, layout, Graphic);
}

void TTIFFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const
{
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    Source data(Stream);
    int imageCount = 1;
    const Directory dir = ReadDirectory(data, ImageIndex, imageCount);
    const std::uint32_t compression = CompressionOf(dir);
    std::uint64_t bits = 0;
    for (std::uint32_t sampleBits : BitsPerSampleOf(dir))
        bits += sampleBits;
    Info.ImageCount = imageCount;
    Info.Width = clampToInt(dir.Value(ImageWidth));
    Info.Height = clampToInt(dir.Value(ImageLength));
    Info.BitsPerPixel = clampToInt(bits);
    Info.ColorsText = bits >= 24 ? QStringLiteral("16.7 M") : QString::number(1u << bits);
    Info.SubFormat = QString::fromLatin1(data.Order().bigEndian ? "M, " : "I, ") + compressionName(compression)
        + photometricName(dir.Value(PhotometricInterpretation));
    // The information has no description of its own: the refusal a load would give goes here.
    if (compression >= 2 && compression <= 6)
        Info.Chunks = QStringLiteral("(Unsupported compression)");
}
