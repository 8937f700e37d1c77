// Decoding one icon entry (layout: FORMAT.md).
#include "iconhandler.h"

#include "imaging/bytestream.h"
#include "imaging/pixelgraphic.h"
#include "imaging/progressscope.h"

#include <cstring>

namespace {

constexpr int kMinSide = 8;
constexpr int kMaxSide = 64;

} // namespace

void RaiseIconIndexOutOfBounds()
{
    throw EPixelGraphic(QStringLiteral("Index out of bounds"));
}

void tIconHandler::Decode(const std::uint8_t* Bytes, std::size_t Size)
{
    const std::int64_t size = std::int64_t(Size);
    if (!StartsWithInfoHeader(Bytes, Size))
        RaiseIconIndexOutOfBounds();
    const std::uint32_t headerSize = GetU32(Bytes);
    const std::int32_t width = std::int32_t(GetU32(Bytes + 4));
    const std::int32_t height = std::int32_t(GetU32(Bytes + 8)) / 2; // colour rows and mask rows
    const int bitCount = GetU16(Bytes + 14);
    const std::uint32_t compression = GetU32(Bytes + 16);
    const std::uint32_t colorsUsed = GetU32(Bytes + 32);
    if (compression != 0)
        RaiseIconIndexOutOfBounds();
    if ((bitCount != 1 && bitCount != 4 && bitCount != 8) || width < kMinSide || width > kMaxSide
        || height < kMinSide || height > kMaxSide)
        RaiseIconIndexOutOfBounds();
    const std::uint32_t fullPalette = 1u << bitCount;
    if (colorsUsed > fullPalette)
        RaiseIconIndexOutOfBounds();
    const std::uint32_t paletteSize = colorsUsed == 0 ? fullPalette : colorsUsed;

    const std::int64_t paletteAt = headerSize;
    const std::int64_t xorAt = paletteAt + 4 * std::int64_t(paletteSize);
    const std::int64_t xorRowBytes = PaddedRowBytes(width, bitCount);
    const std::int64_t andRowBytes = PaddedRowBytes(width, 1);
    const std::int64_t andAt = xorAt + xorRowBytes * height;
    if (!OffsetPlusLengthFits(andAt, andRowBytes * height, size))
        RaiseIconIndexOutOfBounds();

    width_ = width;
    height_ = height;
    bitCount_ = bitCount;
    palette_.clear();
    for (std::uint32_t i = 0; i < paletteSize; ++i) {
        const std::uint8_t* e = Bytes + paletteAt + 4 * i; // blue, green, red, reserved
        palette_.push_back(RGBColor(e[2], e[1], e[0]));
    }
    xorRowBytes_ = xorRowBytes;
    andRowBytes_ = andRowBytes;
    xorRows_.assign(Bytes + xorAt, Bytes + andAt);
    andRows_.assign(Bytes + andAt, Bytes + andAt + andRowBytes * height);
}

const std::uint8_t* tIconHandler::row(const std::vector<std::uint8_t>& Rows, std::int64_t RowBytes, int Y) const
{
    return Rows.data() + std::int64_t(height_ - 1 - Y) * RowBytes;
}

std::uint32_t tIconHandler::ColorIndex(int X, int Y) const
{
    const std::uint8_t* r = row(xorRows_, xorRowBytes_, Y);
    switch (bitCount_) {
    case 1:
        return (r[X / 8] >> (7 - X % 8)) & 1;
    case 4:
        return X % 2 == 0 ? r[X / 2] >> 4 : r[X / 2] & 0x0F;
    default:
        return r[X];
    }
}

bool tIconHandler::Masked(int X, int Y) const
{
    return (row(andRows_, andRowBytes_, Y)[X / 8] >> (7 - X % 8)) & 1;
}

void tIconHandler::Produce(TPixelGraphic& Graphic, int LoadMode, TColor Background) const
{
    ProgressScope progress(Graphic);
    if (LoadMode == 0) {
        Graphic.Allocate(width_, height_, TPixelGraphic::BitCountToNum(bitCount_));
        Graphic.SetPaletteCount(int(palette_.size()));
        for (std::size_t i = 0; i < palette_.size(); ++i)
            Graphic.SetPaletteEntry(int(i), palette_[i]);
    } else {
        Graphic.Allocate(width_, height_, bcn24Bit);
    }
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const std::uint32_t index = ColorIndex(x, y);
            if (LoadMode == 0) {
                Graphic.SetPixel(x, y, index);
                continue;
            }
            // An index past a short palette reads as entry 0, as it does in a palette image.
            const TColor color = Masked(x, y) ? Background : palette_[index < palette_.size() ? index : 0];
            std::uint8_t* p = Graphic.ScanLine(y) + 3 * x;
            p[0] = std::uint8_t(BlueOf(color));
            p[1] = std::uint8_t(GreenOf(color));
            p[2] = std::uint8_t(RedOf(color));
        }
        if (Graphic.Progress(y, height_ - 1))
            break;
    }
}
