#include "tiffdirectory.h"

#include "tiffsource.h"
#include "imaging/pgmessages.h"
#include "imaging/pgsettings.h"

#include <algorithm>

namespace tiff {

namespace {

int fieldSize(std::uint16_t Type)
{
    switch (Type) {
    case Byte:
        return 1;
    case Short:
        return 2;
    case Long:
        return 4;
    default:
        RaiseReader(QStringLiteral("Unsupported field Type: %1").arg(Type));
    }
}

[[noreturn]] void raiseNotATif()
{
    RaiseReader(PGLangStrS1(PgMsg::NotAFile, QStringLiteral("TIF")));
}

// The header: byte order (given to the source), version, first directory.
std::uint32_t readHeader(Source& Data)
{
    std::uint8_t order[2];
    Data.Read(0, order, 2);
    if (order[0] == 'I' && order[1] == 'I')
        Data.SetOrder(ByteOrder{false});
    else if (order[0] == 'M' && order[1] == 'M')
        Data.SetOrder(ByteOrder{true});
    else
        raiseNotATif();
    if (Data.U16(2) != Version)
        raiseNotATif();
    return Data.U32(4);
}

// Walks the directory chain: the number of images, and in Chosen the directory of image
// ImageIndex. A chain that leaves the stream or passes TIFFMaxDirectories counts as one image.
int walkChain(Source& Data, std::uint32_t First, int ImageIndex, std::uint32_t& Chosen)
{
    std::int64_t count = 0;
    for (std::uint32_t offset = First; offset != 0;) {
        if (count == ImageIndex)
            Chosen = offset;
        if (!Data.Holds(offset, 2))
            return 1;
        const std::int64_t linkAt = std::int64_t(offset) + 2 + std::int64_t(EntrySize) * Data.U16(offset);
        if (!Data.Holds(linkAt, 4))
            return 1;
        offset = Data.U32(linkAt);
        if (++count > TIFFMaxDirectories)
            return 1;
    }
    return int(count);
}

} // namespace

const std::uint8_t* Directory::find(Tag Which) const
{
    const ByteOrder order = source_->Order();
    for (std::size_t at = 0; at + EntrySize <= entries_.size(); at += EntrySize)
        if (order.U16(&entries_[at]) == Which)
            return &entries_[at];
    return nullptr;
}

std::uint32_t Directory::Value(Tag Which, std::uint32_t Absent) const
{
    const std::uint8_t* entry = find(Which);
    if (!entry)
        return Absent;
    const ByteOrder order = source_->Order();
    switch (fieldSize(order.U16(entry + 2))) {
    case 1:
        return entry[8];
    case 2:
        return order.U16(entry + 8);
    default:
        return order.U32(entry + 8);
    }
}

std::vector<std::uint32_t> Directory::Array(Tag Which) const
{
    const std::uint8_t* entry = find(Which);
    if (!entry)
        return {};
    const ByteOrder order = source_->Order();
    const int size = fieldSize(order.U16(entry + 2));
    const std::uint32_t count = order.U32(entry + 4);
    const std::int64_t bytes = std::int64_t(count) * size;
    std::vector<std::uint8_t> raw;
    const std::uint8_t* data = entry + 8;
    if (count > 1 && bytes > 4) {
        const std::uint32_t offset = order.U32(entry + 8);
        if (!source_->Holds(offset, bytes))
            RaiseEndOfFile();
        raw.resize(std::size_t(bytes));
        source_->Read(offset, raw.data(), bytes);
        data = raw.data();
    }
    std::vector<std::uint32_t> values(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* p = data + std::size_t(i) * std::size_t(size);
        values[i] = size == 1 ? *p : (size == 2 ? order.U16(p) : order.U32(p));
    }
    return values;
}

Directory ReadDirectory(Source& Data, int ImageIndex, int& ImageCount)
{
    const std::uint32_t first = readHeader(Data);
    std::uint32_t chosen = first;
    ImageCount = 1;
    if (TIFFReadAllDirectories) {
        ImageCount = walkChain(Data, first, ImageIndex, chosen);
        if (ImageCount == 1)
            chosen = first;
    }
    if (ImageIndex < 0 || ImageIndex >= ImageCount)
        RaiseInvalid("Index");
    const std::int64_t bytes = std::int64_t(EntrySize) * Data.U16(chosen);
    std::vector<std::uint8_t> entries(static_cast<std::size_t>(bytes));
    Data.Read(std::int64_t(chosen) + 2, entries.data(), bytes);
    return Directory(Data, std::move(entries));
}

std::uint32_t CompressionOf(const Directory& Dir)
{
    return Dir.Value(Compression, Uncompressed);
}

std::vector<std::uint32_t> BitsPerSampleOf(const Directory& Dir)
{
    return Dir.Has(BitsPerSample) ? Dir.Array(BitsPerSample) : std::vector<std::uint32_t>{1};
}

std::int64_t ImageLayout::StripsNeeded() const
{
    // A file without rows has RowsPerStrip 0 after clamping; it needs no strips.
    const std::int64_t rows = std::int64_t(std::max<std::uint64_t>(rowsPerStrip, 1));
    return (std::int64_t(length) + rows - 1) / rows;
}

namespace {

bool allSamples(const std::vector<std::uint32_t>& Bits, std::uint32_t Value)
{
    return std::all_of(Bits.begin(), Bits.end(), [Value](std::uint32_t b) { return b == Value; });
}

bool layoutRead(const ImageLayout& L)
{
    switch (L.photometric) {
    case WhiteIsZero:
    case BlackIsZero:
    case Palette:
        return L.samplesPerPixel == 1 && (L.bitsPerSample[0] == 1 || L.bitsPerSample[0] == 4 || L.bitsPerSample[0] == 8);
    case RGB:
        return (L.samplesPerPixel == 3 || L.samplesPerPixel == 4) && allSamples(L.bitsPerSample, 8);
    case CMYK:
        return L.samplesPerPixel == 4 && allSamples(L.bitsPerSample, 8);
    default:
        return false;
    }
}

} // namespace

ImageLayout ReadLayout(const Directory& Dir)
{
    if (Dir.Value(PlanarConfiguration) >= 2)
        RaiseInvalid("PlanarConfiguration");
    ImageLayout l;
    Dir.Value(NewSubfileType); // not used, but read like the rest
    l.width = Dir.Value(ImageWidth);
    l.length = Dir.Value(ImageLength);
    l.compression = CompressionOf(Dir);
    l.photometric = Dir.Value(PhotometricInterpretation);
    l.samplesPerPixel = Dir.Value(SamplesPerPixel, 1);
    if (l.samplesPerPixel != 1 && l.samplesPerPixel != 3 && l.samplesPerPixel != 4)
        RaiseReader(QStringLiteral("Invalid SamplesPerPixel"));
    l.bitsPerSample = BitsPerSampleOf(Dir);
    if (l.bitsPerSample.size() != l.samplesPerPixel)
        RaiseReader(QStringLiteral("Invalid count of SamplesPerPixel"));
    if (!layoutRead(l))
        RaiseReader(QStringLiteral("Invalid SamplesPerPixel"));
    l.stripOffsets = Dir.Array(StripOffsets);
    std::uint64_t rowsPerStrip = Dir.Value(RowsPerStrip);
    if (rowsPerStrip == 0) {
        if (l.stripOffsets.size() != 1)
            RaiseReader(QStringLiteral("Invalid RowsPerStrip"));
        rowsPerStrip = l.length;
    }
    l.rowsPerStrip = std::min<std::uint64_t>(rowsPerStrip, l.length);
    l.stripByteCounts = Dir.Array(StripByteCounts);
    l.colorMap = Dir.Array(ColorMap);
    return l;
}

} // namespace tiff
