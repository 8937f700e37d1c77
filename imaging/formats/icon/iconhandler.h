#pragma once
// One decoded icon entry: its bitmap header, palette, colour (XOR) rows and mask (AND) rows.

#include "imaging/bytestream.h"
#include "imaging/pgtypes.h"

#include <cstdint>
#include <vector>

class TPixelGraphic;

class tIconHandler {
public:
    // The bitmap information header an entry starts with: 40 bytes read, up to 124 present.
    static constexpr std::uint32_t InfoHeaderSize = 40;
    static constexpr std::uint32_t MaxInfoHeaderSize = 124;
    static bool StartsWithInfoHeader(const std::uint8_t* Bytes, std::size_t Size)
    {
        return Size >= InfoHeaderSize && GetU32(Bytes) >= InfoHeaderSize && GetU32(Bytes) <= MaxInfoHeaderSize;
    }

    // Reads an entry from its bytes (exactly the entry's size). Raises EPixelGraphic "Index out
    // of bounds" for anything it cannot take: not a 1-, 4- or 8-bit bitmap of 8 to 64 pixels, a
    // palette or rows reaching past the entry.
    void Decode(const std::uint8_t* Bytes, std::size_t Size);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitCount() const { return bitCount_; }
    const std::vector<TColor>& Palette() const { return palette_; }
    // Image rows counted from the top.
    std::uint32_t ColorIndex(int X, int Y) const;
    bool Masked(int X, int Y) const;

    // Mode 0: a palette image of the colour indices; mode 1: a true-colour image with masked
    // pixels in Background. Rows go top first with the image's progress events; an abort
    // stops them.
    void Produce(TPixelGraphic& Graphic, int LoadMode, TColor Background) const;

private:
    const std::uint8_t* row(const std::vector<std::uint8_t>& Rows, std::int64_t RowBytes, int Y) const;

    int width_ = 0;
    int height_ = 0;
    int bitCount_ = 0;
    std::vector<TColor> palette_;
    std::int64_t xorRowBytes_ = 0;
    std::int64_t andRowBytes_ = 0;
    std::vector<std::uint8_t> xorRows_; // bottom row first, as stored
    std::vector<std::uint8_t> andRows_;
};

// Raises EPixelGraphic "Index out of bounds".
[[noreturn]] void RaiseIconIndexOutOfBounds();
