// The second GIF reader: walks the blocks itself and decodes one chosen image at its own size
// with its own colour table. Every call keeps its state to itself; the walk, the skips and the
// code reader stop where the data ends.
#include "gifformat.h"
#include "giflzw.h"
#include "giftexts.h"

#include "imaging/bytestream.h"
#include "imaging/pixelgraphic.h"

#include <QIODevice>

#include <array>
#include <cstring>

namespace {

using Table = std::array<TColor, 256>;

// What one walk over the file finds.
struct Walk {
    std::int64_t wantedImage = 0; // counted from 1
    bool infoOnly = false;
    bool taken = false;           // the wanted image has been decoded
    bool aborted = false;         // the progress handler asked to stop
    QString version;
    int screenWidth = 0, screenHeight = 0;
    int globalBits = 0;
    Table globalTable{};
    std::int64_t imageCount = 0;
    bool anyInterlaced = false;
    int wantedWidth = 0, wantedHeight = 0;
    // Of the last image described.
    int frameBits = 0;
    int frameColors = 0;
};

// Reads that stop quietly where the data ends.
class Data {
public:
    explicit Data(ByteReader& Reader) : reader_(Reader) {}
    ByteReader& Reader() { return reader_; }
    bool Byte(std::uint8_t& Value) { return reader_.ReadUpTo(&Value, 1) == 1; }
    bool Bytes(void* Buffer, std::int64_t Count) { return reader_.ReadUpTo(Buffer, Count) == Count; }
    // Sub-blocks up to and including the 0 count; true when the 0 count was there.
    bool SkipSubBlocks()
    {
        std::uint8_t count = 0, scratch[255];
        while (Byte(count) && count > 0)
            if (!Bytes(scratch, count))
                return false;
        return count == 0;
    }

private:
    ByteReader& reader_;
};

Table readTable(Data& In, int Bits)
{
    Table table{};
    std::uint8_t triples[3 * 256] = {};
    In.Bytes(triples, 3 << Bits);
    for (int i = 0; i < (1 << Bits); ++i)
        table[std::size_t(i)] = RGBColor(triples[3 * i], triples[3 * i + 1], triples[3 * i + 2]);
    return table;
}

TBitCountNum formatForBits(int Bits)
{
    return Bits < 2 ? bcn1Bit : (Bits <= 4 ? bcn4Bit : bcn8Bit);
}

// The image data into the graphic, row by row with progress. False when the walk has to end.
bool decodeImage(Data& In, TPixelGraphic& Graphic, PGObject* Sender, int Width, int Height, bool Interlaced, Walk& W)
{
    try {
        GifLzwDecoder decoder(In.Reader(), {});
        std::vector<std::uint8_t> row(std::size_t(std::max(Width, 1)));
        int rowsDone = 0;
        bool whole = true;
        ForEachGifRow(Height, Interlaced, [&](int y) {
            const std::int64_t got = decoder.Read(row.data(), Width);
            if (Graphic.BitCountNum() == bcn8Bit)
                std::memcpy(Graphic.ScanLine(y), row.data(), std::size_t(got));
            else
                for (int x = 0; x < got; ++x)
                    Graphic.SetPixel(x, y, row[std::size_t(x)]);
            ++rowsDone;
            W.aborted = Graphic.Progress(rowsDone, Height - 1, Sender);
            whole = got == Width;
            return whole && !W.aborted;
        });
        if (!W.aborted)
            decoder.Finish();
        return true;
    } catch (const GIFException&) {
        return false; // damaged data: decoding stops, and the walk with it
    }
}

// The descriptor after the separator, the local table, then the data decoded or skipped.
bool readImageDescriptor(Data& In, Walk& W, TPixelGraphic* Graphic, PGObject* Sender, bool Decode)
{
    std::uint8_t d[9];
    if (!In.Bytes(d, 9))
        return false;
    const int width = d[4] | d[5] << 8, height = d[6] | d[7] << 8;
    const std::uint8_t packed = d[8];
    Table table = W.globalTable;
    int bits = W.globalBits;
    int localBits = 0;
    if (packed & 0x80) {
        localBits = bits = (packed & 7) + 1;
        table = readTable(In, bits); // skipped or kept: read either way
    }
    W.globalBits = std::max(W.globalBits, localBits);
    W.frameBits = bits;
    W.frameColors = 1 << bits;
    const bool interlaced = packed & 0x40;
    W.anyInterlaced |= interlaced;
    if (W.imageCount == W.wantedImage && W.infoOnly) {
        W.wantedWidth = width;
        W.wantedHeight = height;
    }
    if (Decode && Graphic && width > 0 && height > 0) {
        W.taken = true;
        Graphic->Allocate(width, height, formatForBits(bits));
        Graphic->SetPaletteCount(W.frameColors);
        for (int i = 0; i < Graphic->PaletteCount(); ++i)
            Graphic->SetPaletteEntry(i, table[std::size_t(i)]);
        return decodeImage(In, *Graphic, Sender, width, height, interlaced, W);
    }
    std::uint8_t codeSize = 0;
    if (!In.Byte(codeSize) || !In.SkipSubBlocks())
        return false;
    std::uint8_t next = 0;
    while (In.Reader().Peek(next) && next == 0)
        In.Byte(next);
    return true;
}

// Walks the whole data from its start; false when it is empty or not a GIF file.
bool parseGifData(QIODevice& Stream, Walk& W, TPixelGraphic* Graphic, PGObject* Sender)
{
    if (!Stream.seek(0))
        return false;
    ByteReader reader(Stream, RaiseGIFPrematureEnd);
    Data in(reader);
    char header[6] = {};
    if (!in.Bytes(header, 6) || std::memcmp(header, "GIF", 3) != 0)
        return false;
    W.version = header[4] == '7' ? QStringLiteral("87a") : QStringLiteral("89a");
    std::uint8_t screen[7] = {};
    if (in.Bytes(screen, 7)) {
        W.screenWidth = screen[0] | screen[1] << 8;
        W.screenHeight = screen[2] | screen[3] << 8;
        if (screen[4] & 0x80) {
            W.globalBits = (screen[4] & 7) + 1;
            W.globalTable = readTable(in, W.globalBits);
        }
    }
    std::uint8_t block = 0;
    while (!W.aborted && in.Byte(block)) {
        if (block == 0x21) {
            std::uint8_t label = 0;
            if (!in.Byte(label))
                break;
            if (label == 0xF9) {
                // The six bytes of the control block (size, fields, delay, index, terminator):
                // transparency, disposal and delay do not change the pixels.
                std::uint8_t control[6];
                in.Bytes(control, 6);
            } else if (label == 0x01 || label == 0xFE || label == 0xFF) {
                // Plain text, comment and application blocks (the loop block among them) up to
                // their terminator.
                in.SkipSubBlocks();
            } else {
                break; // an unknown label ends the walk
            }
        } else if (block == 0x2C) {
            ++W.imageCount;
            const bool decode = W.imageCount == W.wantedImage && !W.infoOnly && !W.taken;
            if (!readImageDescriptor(in, W, Graphic, Sender, decode))
                break;
        } else {
            break; // the trailer, or a byte that starts no block
        }
    }
    return true;
}

[[noreturn]] void raiseOutOfBounds()
{
    throw EPixelGraphic(QStringLiteral("Index out of bounds"));
}

} // namespace

tGifFileFormatReader::tGifFileFormatReader()
    : TFileFormatReader(QStringLiteral("tGifFileFormatReader"), QStringLiteral("gif"), QStringLiteral("GIF"), true)
{
}

bool tGifFileFormatReader::CheckSignature(const SignatureProbe& Header) const
{
    return Header[0] == 'G' && Header[1] == 'I' && Header[2] == 'F';
}

void tGifFileFormatReader::Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const
{
    PGObject* sender = const_cast<tGifFileFormatReader*>(this);
    Graphic.ProgressBegin(sender);
    try {
        Walk walk;
        walk.wantedImage = std::int64_t(ImageIndex) + 1;
        parseGifData(Stream, walk, &Graphic, sender);
        if (walk.wantedImage > walk.imageCount || walk.wantedImage < 1)
            raiseOutOfBounds();
    } catch (...) {
        // Nothing is reported: the image keeps what decoding wrote.
    }
    Graphic.ProgressEnd(sender);
}

void tGifFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const
{
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    Walk walk;
    walk.wantedImage = std::int64_t(ImageIndex) + 1;
    walk.infoOnly = true;
    if (!parseGifData(Stream, walk, nullptr, nullptr))
        throw EPixelGraphic(QStringLiteral("Not a proper GIF file"));
    if (walk.wantedImage > walk.imageCount || walk.wantedImage < 1)
        raiseOutOfBounds();
    Info.Width = walk.wantedWidth;
    Info.Height = walk.wantedHeight;
    Info.ColorsText = QString::number(walk.frameColors);
    Info.BitsPerPixel = walk.frameBits;
    Info.ImageCount = int(std::min<std::int64_t>(walk.imageCount, INT32_MAX));
    Info.SubFormat = walk.version;
    Info.Chunks = walk.anyInterlaced ? QStringLiteral("Interlaced") : QStringLiteral("Non-interlaced");
}

void RegisterSecondGIFReader(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<tGifFileFormatReader>());
}
