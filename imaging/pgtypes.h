#pragma once

#include <cstdint>

// A colour value: red + green * 256 + blue * 65536 (0x00BBGGRR).
using TColor = std::uint32_t;

constexpr TColor RGBColor(int Red, int Green, int Blue)
{
    return TColor(Red & 0xFF) | (TColor(Green & 0xFF) << 8) | (TColor(Blue & 0xFF) << 16);
}
constexpr int RedOf(TColor c) { return int(c & 0xFF); }
constexpr int GreenOf(TColor c) { return int((c >> 8) & 0xFF); }
constexpr int BlueOf(TColor c) { return int((c >> 16) & 0xFF); }

// The palette of a palette image; the order is the stored value.
enum TPaletteIdent : std::uint8_t {
    pNone,
    pTrueColor,
    pUnknown,
    pBlackWhite,
    pSysGray4,
    pSys16,
    pGray4,
    pGray16,
    pGray236,
    pGray256,
    pSpecial125,
    pSpecial216,
    pSpecial252,
    pOptimized252Sys16,
    pSource,
};

enum TStretchMode : std::uint8_t { smFast, smMedium, smPrecise };
