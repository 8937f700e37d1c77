#pragma once
// Raster operations of a metafile's playback: the ternary operations of bitmap transfers (the
// pattern P, the source S and the destination D combined bit by bit) and the binary mixes of
// pens and brushes.

#include <QPainter>

#include <cstdint>
#include <optional>

namespace metafile {

// The truth table of a ternary operation: bit number 4P + 2S + D of the index is the result.
constexpr std::uint8_t TernaryIndex(std::uint32_t Rop)
{
    return std::uint8_t((Rop >> 16) & 0xFF);
}

// Whether the operation's result depends on the pattern, the source or the destination.
constexpr bool ReadsPattern(std::uint8_t Index)
{
    return (Index >> 4 & 0x0F) != (Index & 0x0F);
}
constexpr bool ReadsSource(std::uint8_t Index)
{
    return (Index >> 2 & 0x33) != (Index & 0x33);
}
constexpr bool ReadsDestination(std::uint8_t Index)
{
    return (Index >> 1 & 0x55) != (Index & 0x55);
}

// The binary mix (1 to 16, as SetROP2 numbers them) that an operation amounts to when it does
// not read the source: the pattern with the destination.
constexpr int PatternMix(std::uint8_t Index)
{
    return ((Index & 0x03) | (Index >> 2 & 0x0C)) + 1;
}
// ... when it does not read the pattern: the source with the destination.
constexpr int SourceMix(std::uint8_t Index)
{
    return (Index & 0x0F) + 1;
}

// The operation that combines the source with the destination by a binary mix (1 to 16), the
// pattern left out: the inverse of SourceMix.
constexpr std::uint8_t SourceMixIndex(int Mix)
{
    const int table = (Mix - 1) & 0x0F;
    return std::uint8_t(table | table << 4);
}

// The operation on 24-bit colours (0x00RRGGBB); the result keeps only those bits.
std::uint32_t ApplyTernaryRop(std::uint8_t Index, std::uint32_t P, std::uint32_t S, std::uint32_t D);

// How a pen or brush mixes with the picture (the 16 binary modes, 1 black to 16 white); none
// for the mode that leaves the picture alone, and copy for modes out of range.
std::optional<QPainter::CompositionMode> MixComposition(int Mode);

} // namespace metafile
