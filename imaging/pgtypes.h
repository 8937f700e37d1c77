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

// The pixel format of an image: 1, 4, 8 or 24 bits per pixel, stored as 0 to 3.
enum TBitCountNum : std::uint8_t { bcn1Bit, bcn4Bit, bcn8Bit, bcn24Bit };

// What a coder does with a warning of its library.
enum TWarningAction : std::uint8_t {
    waIgnore,
    waShow,       // a message box
    waAskAbort,   // an OK/Cancel box whose Cancel aborts
    waRaise,      // the warning's text raised as an error
};

// What a save does when its writer cannot store the image's colour resolution.
enum TColorResConversion : std::uint8_t {
    crcConvert,
    crcTellAndConvert,
    crcAsk,
    crcRefuse,
};
