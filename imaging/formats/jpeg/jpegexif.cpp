// The orientation tag of a JPEG's Exif block (layout: FORMAT.md).
#include "jpegformat.h"
#include "imaging/bytestream.h"
#include "imaging/formats/tiff/tiffcommon.h"

#include <cstring>

namespace {

constexpr std::size_t signatureSize = 6;

} // namespace

bool IsExifBlock(const std::uint8_t* Data, std::size_t Size)
{
    return Data && Size >= signatureSize && std::memcmp(Data, "Exif\0\0", signatureSize) == 0;
}

int ExifOrientation(const std::uint8_t* Data, std::size_t Size)
{
    if (!IsExifBlock(Data, Size) || Size < signatureSize + tiff::HeaderSize)
        return 1;
    // Offsets in the block count from the TIFF header.
    const std::uint8_t* block = Data + signatureSize;
    const std::int64_t end = std::int64_t(Size - signatureSize);
    tiff::ByteOrder order;
    if (block[0] == 'M' && block[1] == 'M')
        order.bigEndian = true;
    else if (block[0] != 'I' || block[1] != 'I')
        return 1;
    if (order.U16(block + 2) != tiff::Version)
        return 1;
    const std::int64_t directory = order.U32(block + 4);
    if (!OffsetPlusLengthFits(directory, 2, end))
        return 1;
    const std::int64_t count = order.U16(block + directory);
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t entry = directory + 2 + i * tiff::EntrySize;
        if (!OffsetPlusLengthFits(entry, tiff::EntrySize, end))
            return 1;
        const std::uint8_t* field = block + entry;
        if (order.U16(field) != tiff::Orientation)
            continue;
        if (order.U16(field + 2) != tiff::Short || order.U32(field + 4) != 1)
            return 1;
        const int value = order.U16(field + 8); // a short stands first in the value field
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}
