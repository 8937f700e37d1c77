// Writing TIFF files (layout and a worked file: FORMAT.md).
#include "tiffcommon.h"
#include "tiffformat.h"
#include "imaging/bytestream.h"
#include "imaging/pgexceptions.h"
#include "imaging/pgmessages.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using namespace tiff;

const QString kTag = QStringLiteral("TIFF");

[[noreturn]] void raiseWriter(const QString& Text)
{
    RaiseTagged<EPGTIFFileFormatWriter>("TIFF", Text);
}

[[noreturn]] void raiseWriteFailed()
{
    throw EPixelGraphic(kTag + QStringLiteral(": ") + PGLangStrS1(PgMsg::Failed, QStringLiteral("Write")));
}

// A save the options or the image make impossible is refused before anything is written. An
// image whose pixel memory could not be had has a size but no rows to write.
void checkSave(const TIFFWriteOptions& Options, const TPixelGraphic& Graphic)
{
    if (Graphic.Empty() && Graphic.Width() > 0 && Graphic.Height() > 0)
        raiseWriter(PGLangStrS1(PgMsg::IsEmpty, QStringLiteral("Image")));
    if (Options.Compression != int(Uncompressed) && Options.Compression != int(PackBits))
        raiseWriter(QStringLiteral("Internal Error"));
    const auto refuse = [](const char* name) { raiseWriter(PGLangStrS1(PgMsg::InvalidValueFor, QString::fromLatin1(name))); };
    if (Options.ResolutionUnit < 0 || Options.ResolutionUnit > 2)
        refuse("TIFFResolutionUnit");
    if (Options.XResolution.Denominator == 0)
        refuse("TIFFXResolution");
    if (Options.YResolution.Denominator == 0)
        refuse("TIFFYResolution");
}

// How an image is stored, by its pixel format and palette.
struct Layout {
    std::int64_t rowBytes = 0;
    std::vector<std::uint16_t> bitsPerSample;
    std::uint32_t photometric = BlackIsZero;
    bool invert = false;  // grey and bilevel rows written as WhiteIsZero
    int mapEntries = 0;   // colour-map entries per channel of palette images
    bool cmyk = false;
};

Layout layoutOf(const TPixelGraphic& Graphic, const TIFFWriteOptions& Options)
{
    const std::int64_t width = Graphic.Width();
    const TPaletteIdent ident = Graphic.PaletteIdent();
    const std::uint32_t grey = Options.WriteWhiteIsZero ? WhiteIsZero : BlackIsZero;
    Layout l;
    switch (Graphic.BitCountNum()) {
    case bcn1Bit:
        l.rowBytes = (width + 7) / 8;
        l.bitsPerSample = {1};
        l.photometric = grey;
        l.invert = Options.WriteWhiteIsZero && ident == pBlackWhite;
        break;
    case bcn4Bit:
    case bcn8Bit: {
        const bool four = Graphic.BitCountNum() == bcn4Bit;
        const TPaletteIdent greys = four ? pGray16 : pGray256;
        l.rowBytes = four ? (width + 1) / 2 : width;
        l.bitsPerSample = {std::uint16_t(four ? 4 : 8)};
        l.photometric = ident == greys ? grey : std::uint32_t(Palette);
        l.invert = Options.WriteWhiteIsZero && ident == greys;
        l.mapEntries = ident == greys ? 0 : (four ? 16 : 256);
        break;
    }
    default:
        l.cmyk = Options.WriteCMYK;
        l.rowBytes = (l.cmyk ? 4 : 3) * width;
        l.bitsPerSample.assign(l.cmyk ? 4 : 3, 8);
        l.photometric = l.cmyk ? CMYK : RGB;
        break;
    }
    return l;
}

// One image row in the file's layout.
void buildRow(TPixelGraphic& Graphic, const Layout& L, int Y, std::uint8_t* Out)
{
    if (L.rowBytes == 0)
        return;
    const std::uint8_t* in = Graphic.ScanLine(Y);
    const std::int64_t width = Graphic.Width();
    if (Graphic.BitCountNum() != bcn24Bit) {
        std::memcpy(Out, in, std::size_t(L.rowBytes));
        InvertAndTrimRow(Out, L.rowBytes, width * Graphic.BitCount(), L.invert);
        return;
    }
    for (std::int64_t x = 0; x < width; ++x, in += 3) {
        if (L.cmyk) {
            const int c = 255 - in[2], m = 255 - in[1], y = 255 - in[0];
            const int k = std::min({c, m, y});
            *Out++ = std::uint8_t(c - k);
            *Out++ = std::uint8_t(m - k);
            *Out++ = std::uint8_t(y - k);
            *Out++ = std::uint8_t(k);
        } else {
            *Out++ = in[2];
            *Out++ = in[1];
            *Out++ = in[0];
        }
    }
}

// The stream from the base on: offsets relative to the base, numbers in the file's order.
class Output {
public:
    Output(QIODevice& Stream, std::int64_t Base, ByteOrder Order) : stream_(Stream), base_(Base), order_(Order) {}

    // The current offset; the format's offsets have 32 bits.
    std::uint32_t Offset() const
    {
        const std::int64_t offset = stream_.pos() - base_;
        if (offset < 0 || offset > std::int64_t(UINT32_MAX))
            raiseWriter(QStringLiteral("Internal Error"));
        return std::uint32_t(offset);
    }
    void Write(const void* Data, std::int64_t Count) { WriteAllBytes(stream_, Data, Count, kTag); }
    // 32-bit values written over what stands at Offset; the stream then returns where it was.
    void Patch(std::int64_t Offset, const std::vector<std::uint32_t>& Values)
    {
        std::vector<std::uint8_t> bytes(Values.size() * 4);
        for (std::size_t i = 0; i < Values.size(); ++i)
            order_.Put32(&bytes[i * 4], Values[i]);
        const std::int64_t back = stream_.pos();
        seek(base_ + Offset);
        Write(bytes.data(), std::int64_t(bytes.size()));
        seek(back);
    }

private:
    void seek(std::int64_t Position)
    {
        if (!stream_.seek(Position))
            raiseWriteFailed();
    }

    QIODevice& stream_;
    std::int64_t base_;
    ByteOrder order_;
};

// A directory and the values that do not fit its entries, made in memory at their final
// offsets: the entry count, the entries, the link to the next directory (0), then the
// out-of-line values in the order they are added.
class DirectoryBlock {
public:
    DirectoryBlock(ByteOrder Order, std::uint32_t At, int Entries)
        : order_(Order), at_(At), bytes_(std::size_t(2 + EntrySize * Entries + 4))
    {
        order_.Put16(bytes_.data(), std::uint32_t(Entries));
    }

    // A SHORT single value takes the first two bytes of the value field; the rest 32 bits.
    void Entry(Tag Which, FieldType Type, std::uint32_t Count, std::uint32_t Value)
    {
        std::uint8_t* p = &bytes_[std::size_t(2 + EntrySize * entries_++)];
        order_.Put16(p, Which);
        order_.Put16(p + 2, Type);
        order_.Put32(p + 4, Count);
        if (Type == Short && Count == 1)
            order_.Put16(p + 8, Value);
        else
            order_.Put32(p + 8, Value);
    }
    std::uint32_t ValueField(int EntryIndex) const { return at_ + std::uint32_t(2 + EntrySize * EntryIndex + 8); }

    // Values after the last ones added: SHORTs or LONGs by their type; gives their offset.
    template <typename Value>
    std::uint32_t Add(const std::vector<Value>& Values)
    {
        static_assert(sizeof(Value) == 2 || sizeof(Value) == 4);
        const std::uint32_t offset = end();
        bytes_.resize(bytes_.size() + Values.size() * sizeof(Value));
        for (std::size_t i = 0; i < Values.size(); ++i) {
            std::uint8_t* p = &bytes_[offset - at_ + i * sizeof(Value)];
            if constexpr (sizeof(Value) == 2)
                order_.Put16(p, Values[i]);
            else
                order_.Put32(p, Values[i]);
        }
        return offset;
    }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::uint32_t end() const { return at_ + std::uint32_t(bytes_.size()); }

    ByteOrder order_;
    std::uint32_t at_;
    std::vector<std::uint8_t> bytes_;
    int entries_ = 0;
};

// The colour map: all reds, then all greens, then all blues, each component x 256; entries
// past the palette are 0.
std::vector<std::uint16_t> colorMap(const TPixelGraphic& Graphic, int Entries)
{
    std::vector<std::uint16_t> map(std::size_t(3 * Entries), 0);
    const int count = std::min(Graphic.PaletteCount(), Entries);
    for (int i = 0; i < count; ++i) {
        const TColor c = Graphic.Palette()[std::size_t(i)];
        map[std::size_t(i)] = std::uint16_t(RedOf(c) << 8);
        map[std::size_t(Entries + i)] = std::uint16_t(GreenOf(c) << 8);
        map[std::size_t(2 * Entries + i)] = std::uint16_t(BlueOf(c) << 8);
    }
    return map;
}

// A RATIONAL: numerator, then denominator.
std::vector<std::uint32_t> longsOf(const TIFFRational& Value)
{
    return {Value.Numerator, Value.Denominator};
}

// Entry positions of the strip arrays, patched once the strips are written.
constexpr int kStripOffsetsEntry = 6;
constexpr int kStripByteCountsEntry = 9;

struct StripPlan {
    std::int64_t height;
    std::int64_t rowsPerStrip;
    std::int64_t strips;
    bool packBits;
};

// RowsPerStrip = 32767 div the largest coded row (PackBits may double a row), at least 1 and at
// most the height.
StripPlan planStrips(const Layout& L, std::int64_t Height, bool PackBits)
{
    const std::int64_t largestRow = PackBits ? 2 * L.rowBytes : L.rowBytes;
    const std::int64_t rows = std::max<std::int64_t>(1, std::min(largestRow > 0 ? 32767 / largestRow : Height, Height));
    return {Height, rows, (Height + rows - 1) / rows, PackBits};
}

// The directory with its out-of-line values, and where the strip arrays of several strips go.
struct WrittenDirectory {
    DirectoryBlock block;
    std::uint32_t offsetsAt = 0;
    std::uint32_t countsAt = 0;
};

WrittenDirectory makeDirectory(const TPixelGraphic& Graphic, const Layout& L, const TIFFWriteOptions& Options,
                        const StripPlan& Plan, ByteOrder Order, std::uint32_t At)
{
    WrittenDirectory dir{DirectoryBlock(Order, At, L.mapEntries > 0 ? 14 : 13)};
    DirectoryBlock& b = dir.block;
    const std::uint32_t samples = std::uint32_t(L.bitsPerSample.size());
    const std::uint32_t mapAt = L.mapEntries > 0 ? b.Add(colorMap(Graphic, L.mapEntries)) : 0;
    const std::uint32_t bitsPerSample = samples > 1 ? b.Add(L.bitsPerSample) : L.bitsPerSample[0];
    const std::uint32_t xAt = b.Add(longsOf(Options.XResolution));
    const std::uint32_t yAt = b.Add(longsOf(Options.YResolution));
    if (Plan.strips > 1) {
        const std::vector<std::uint32_t> zeros(static_cast<std::size_t>(Plan.strips), 0);
        dir.offsetsAt = b.Add(zeros);
        dir.countsAt = b.Add(zeros);
    }
    const auto strips = std::uint32_t(Plan.strips);
    b.Entry(NewSubfileType, Long, 1, 0);
    b.Entry(ImageWidth, Long, 1, std::uint32_t(Graphic.Width()));
    b.Entry(ImageLength, Long, 1, std::uint32_t(Plan.height));
    b.Entry(BitsPerSample, Short, samples, bitsPerSample);
    b.Entry(Compression, Short, 1, Plan.packBits ? PackBits : Uncompressed);
    b.Entry(PhotometricInterpretation, Short, 1, L.photometric);
    b.Entry(StripOffsets, Long, strips, dir.offsetsAt);
    b.Entry(SamplesPerPixel, Short, 1, samples);
    b.Entry(RowsPerStrip, Long, 1, std::uint32_t(Plan.rowsPerStrip));
    b.Entry(StripByteCounts, Long, strips, dir.countsAt);
    b.Entry(XResolution, Rational, 1, xAt);
    b.Entry(YResolution, Rational, 1, yAt);
    b.Entry(ResolutionUnit, Short, 1, std::uint32_t(Options.ResolutionUnit + 1)); // 0, 1, 2 as 1, 2, 3
    if (L.mapEntries > 0)
        b.Entry(ColorMap, Short, std::uint32_t(3 * L.mapEntries), mapAt);
    return dir;
}

// The rows, strip by strip, each strip on an even offset; gives each strip's offset and size.
void writeStrips(Output& Out, TPixelGraphic& Graphic, const Layout& L, const StripPlan& Plan,
                 std::vector<std::uint32_t>& Offsets, std::vector<std::uint32_t>& ByteCounts)
{
    Offsets.assign(static_cast<std::size_t>(Plan.strips), 0);
    ByteCounts.assign(Offsets.size(), 0);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(L.rowBytes));
    std::vector<std::uint8_t> coded;
    for (std::int64_t y = 0; y < Plan.height; ++y) {
        const auto strip = static_cast<std::size_t>(y / Plan.rowsPerStrip);
        if (y % Plan.rowsPerStrip == 0) {
            if (Out.Offset() % 2 != 0) {
                const std::uint8_t pad = 0;
                Out.Write(&pad, 1);
            }
            Offsets[strip] = Out.Offset();
        }
        buildRow(Graphic, L, int(y), row.data());
        if (Plan.packBits) {
            coded.clear();
            EncodePackBitsRow(row, coded);
            Out.Write(coded.data(), std::int64_t(coded.size()));
        } else {
            Out.Write(row.data(), L.rowBytes);
        }
        if (y % Plan.rowsPerStrip == Plan.rowsPerStrip - 1 || y == Plan.height - 1)
            ByteCounts[strip] = Out.Offset() - Offsets[strip];
        Graphic.Progress(int(y), int(Plan.height - 1)); // a save is not stopped half-way
    }
}

} // namespace

TTIFFileFormatWriter::TTIFFileFormatWriter()
    : TTIFFileFormatWriter(QStringLiteral("TTIFFileFormatWriter"), QStringLiteral("tif"))
{
}

TTIFFileFormatWriter::TTIFFileFormatWriter(QString ClassName, QString Extension)
    : TFileFormatWriter(std::move(ClassName), std::move(Extension), QStringLiteral("Tagged Image File Format"),
                        {crBlackWhite, cr16Grays, cr16SystemColors, cr16Colors, cr256Grays, cr256Colors,
                         cr16MillionColors})
{
}

void TTIFFileFormatWriter::Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options) const
{
    checkSave(Options.TIFF, Graphic);
    TWriteSession session{Options};
    WriteHeader(Stream, session);
    WriteImage(Stream, Graphic, session);
    WriteEnd(Stream, session);
}

void TTIFFileFormatWriter::WriteHeader(QIODevice& Stream, TWriteSession& Session) const
{
    Session.Base = Stream.pos();
    Session.LinkPosition = Session.Base + 4;
    const ByteOrder order{Session.Options.TIFF.WriteMotorola};
    std::uint8_t header[HeaderSize] = {};
    header[0] = header[1] = order.bigEndian ? 'M' : 'I';
    order.Put16(header + 2, Version);
    WriteAllBytes(Stream, header, HeaderSize, kTag);
}

void TTIFFileFormatWriter::WriteImage(QIODevice& Stream, TPixelGraphic& Graphic, TWriteSession& Session) const
{
    const TIFFWriteOptions& options = Session.Options.TIFF;
    checkSave(options, Graphic);
    const ByteOrder order{options.WriteMotorola};
    Output out(Stream, Session.Base, order);
    const Layout layout = layoutOf(Graphic, options);
    const StripPlan plan = planStrips(layout, Graphic.Height(), options.Compression == int(PackBits));

    const std::uint32_t directoryAt = out.Offset();
    out.Patch(Session.LinkPosition - Session.Base, {directoryAt});
    const WrittenDirectory dir = makeDirectory(Graphic, layout, options, plan, order, directoryAt);
    out.Write(dir.block.Bytes().data(), std::int64_t(dir.block.Bytes().size()));

    std::vector<std::uint32_t> offsets, byteCounts;
    writeStrips(out, Graphic, layout, plan, offsets, byteCounts);
    if (plan.strips == 1) {
        out.Patch(dir.block.ValueField(kStripOffsetsEntry), offsets);
        out.Patch(dir.block.ValueField(kStripByteCountsEntry), byteCounts);
    } else if (plan.strips > 1) {
        out.Patch(dir.offsetsAt, offsets);
        out.Patch(dir.countsAt, byteCounts);
    }
}

void TTIFFileFormatWriter::WriteEnd(QIODevice&, TWriteSession&) const {}

void RegisterTIFFFormats(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<TTIFFileFormatReader>());
    Registry.AddReader(std::make_unique<TTIFFFileFormatReader>());
    Registry.AddWriter(std::make_unique<TTIFFileFormatWriter>());
    Registry.AddWriter(std::make_unique<TTIFFFileFormatWriter>());
}
