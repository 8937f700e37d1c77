#pragma once
// The bitmaps that metafile records carry, made into packed bitmaps the BMP decoder reads: colour
// tables of palette indices given their colours, monochrome bitmaps given the colours of the
// moment, and device-dependent bitmaps given a header. Every size is checked against the bytes
// that are there.

#include "imaging/pgtypes.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <optional>
#include <span>

namespace metafile {

// What a bitmap's colour table holds.
enum : std::uint32_t {
    dibRgbColors = 0,      // colours
    dibPaletteColors = 1,  // 16-bit indices into the selected palette
    dibPaletteIndices = 2, // no table: the pixels index the selected palette
};

// A bitmap as a record carries it: the information header with its masks and colour table, and
// the pixels.
struct DibParts {
    std::span<const std::uint8_t> info;
    std::span<const std::uint8_t> bits;
    std::uint32_t usage = dibRgbColors;
};

// What the player needs of a bitmap's information header.
struct DibHeader {
    std::uint32_t headerBytes = 0; // the header, and the masks that follow a 40-byte one
    std::int32_t width = 0;
    std::int32_t height = 0; // below 0: the rows run top-down
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t tableEntries = 0; // as the header declares them (none above 8 bits)
    bool core = false;              // a 12-byte header: 3-byte table entries
};
std::optional<DibHeader> ReadDibHeader(std::span<const std::uint8_t> Info);

// The bytes of the colour table as the usage stores it.
std::uint64_t TableBytes(const DibHeader& Header, std::uint32_t Usage);

// A packed bitmap (header, colour table, pixels) split where its colour table ends.
std::optional<DibParts> SplitPackedDib(std::span<const std::uint8_t> Packed, std::uint32_t Usage);

// The bytes of a buffer, as the bitmap functions take them.
inline std::span<const std::uint8_t> BytesOf(const QByteArray& Bytes)
{
    return std::span(reinterpret_cast<const std::uint8_t*>(Bytes.constData()), std::size_t(Bytes.size()));
}

// Info and bits as one packed bitmap, as they stand.
QByteArray JoinDib(const DibParts& Dib);
// One packed bitmap: the header of the bitmap, Table as its colour table (its count written into
// the header), then its pixels.
QByteArray PackDib(const DibParts& Dib, const DibHeader& Header, std::span<const TColor> Table);

// A device-dependent bitmap (type, width, height, bytes per row: 16 bits each; planes and bits
// per pixel: 8 bits each; then its rows, top first) as a packed bitmap. One-bit bitmaps take
// Zero and One for their bits, 24 and 32 bits are colours; other depths depend on the palette of
// a device that is gone, and give none.
std::optional<QByteArray> PackedFromDeviceBitmap(std::span<const std::uint8_t> Bitmap, TColor Zero, TColor One);

// The alpha bytes of a 32-bit bitmap without bit fields, top row first; none for any other.
std::optional<QImage> AlphaOf(const DibParts& Dib);

} // namespace metafile
