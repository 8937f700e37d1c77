// Writing uncompressed Windows bitmaps (layout: FORMAT.md).
#include "bmpformat.h"
#include "imaging/bytestream.h"
#include "imaging/pixelgraphic.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

// Entries of the colour table: the palette, no longer than the pixels can index (a palette
// set before a smaller bit count keeps its surplus entries), or for a palette image without
// one as many black entries as its pixels can index.
std::vector<TColor> colorTable(const TPixelGraphic& Graphic)
{
    if (Graphic.BitCountNum() == bcn24Bit)
        return Graphic.Palette();
    const std::size_t colors = std::size_t(Graphic.NumColors());
    if (Graphic.PaletteCount() == 0)
        return std::vector<TColor>(colors, 0);
    const std::vector<TColor>& palette = Graphic.Palette();
    return std::vector<TColor>(palette.begin(), palette.begin() + std::ptrdiff_t(std::min(colors, palette.size())));
}

void writePackedBitmap(QIODevice& Stream, TPixelGraphic& Graphic, const std::vector<TColor>& Table)
{
    const QString tag = QStringLiteral("BMP");
    std::array<std::uint8_t, kInfoHeaderSize> header{};
    PutU32(&header[0], kInfoHeaderSize);
    PutU32(&header[4], std::uint32_t(Graphic.Width()));
    PutU32(&header[8], std::uint32_t(Graphic.Height()));
    PutU16(&header[12], 1);
    PutU16(&header[14], std::uint32_t(Graphic.BitCount()));
    PutU32(&header[20], std::uint32_t(Graphic.ImageSize()));
    PutU32(&header[32], std::uint32_t(Table.size()));
    WriteAllBytes(Stream, header.data(), kInfoHeaderSize, tag);

    std::vector<std::uint8_t> entries(Table.size() * 4);
    for (std::size_t i = 0; i < Table.size(); ++i) {
        entries[i * 4] = std::uint8_t(BlueOf(Table[i]));
        entries[i * 4 + 1] = std::uint8_t(GreenOf(Table[i]));
        entries[i * 4 + 2] = std::uint8_t(RedOf(Table[i]));
    }
    WriteAllBytes(Stream, entries.data(), std::int64_t(entries.size()), tag);

    if (const std::uint8_t* bits = Graphic.Bits())
        WriteAllBytes(Stream, bits, Graphic.ImageSize(), tag);
}

} // namespace

TBMPFileFormatWriter::TBMPFileFormatWriter()
    : TBMPFileFormatWriter(QStringLiteral("TBMPFileFormatWriter"), QStringLiteral("bmp"))
{
}

TBMPFileFormatWriter::TBMPFileFormatWriter(QString ClassName, QString Extension)
    : TFileFormatWriter(std::move(ClassName), std::move(Extension), QStringLiteral("Bitmap"),
                        ColorResolutionSet::All())
{
}

void TBMPFileFormatWriter::Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions&) const
{
    const std::vector<TColor> table = colorTable(Graphic);
    // The image is at most 1 GiB, so every size fits the header's 32 bits.
    const std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + std::uint32_t(table.size()) * 4;
    std::array<std::uint8_t, kFileHeaderSize> header{};
    header[0] = 'B';
    header[1] = 'M';
    PutU32(&header[2], pixelOffset + std::uint32_t(Graphic.ImageSize()));
    PutU32(&header[10], pixelOffset);
    WriteAllBytes(Stream, header.data(), kFileHeaderSize, QStringLiteral("BMP"));
    writePackedBitmap(Stream, Graphic, table);
}

void EncodePackedBitmap(QIODevice& Stream, TPixelGraphic& Graphic)
{
    writePackedBitmap(Stream, Graphic, colorTable(Graphic));
}

const TBMPFileFormatWriter& GlobalBMPWriter()
{
    static const TBMPFileFormatWriter writer;
    return writer;
}

void RegisterBMPFormats(FormatRegistry& Registry)
{
    Registry.AddReader(std::make_unique<TBMPFileFormatReader>());
    Registry.AddReader(std::make_unique<TDIBFileFormatReader>());
    Registry.AddReader(std::make_unique<TRLEFileFormatReader>());
    Registry.AddWriter(std::make_unique<TBMPFileFormatWriter>());
    Registry.AddWriter(std::make_unique<TDIBFileFormatWriter>());
}
