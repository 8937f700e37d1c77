#pragma once

#include <cstdint>

namespace platform {
class PromptService;
}

// Library-wide settings. They hold their defaults from the start; the library start sets them
// again, and callers change only the JPEG save settings, just before a save.

extern bool PixelGraphicBitfieldRounding;        // BMP: rounding of 16-bit bit-field channels
extern int PixelGraphicJPEGDecodeDCT;            // 0 accurate integer
extern int PixelGraphicJPEGEncodeDCT;            // 2 floating point
extern std::uint8_t PixelGraphicJPEGQuality;     // 1 to 100
extern bool PixelGraphicJPEGProgressive;
extern long double PixelGraphicDefaultGamma;     // sRGB displays: 2.2
extern bool PixelGraphicGammaCorrection;
extern bool PixelGraphicPNGUseBackground;
extern bool PixelGraphicPNGWriteGamma;
extern std::int16_t MetafileDefaultWidth;       // metafile units of a made placeable header
extern std::int16_t MetafileDefaultHeight;
extern std::uint32_t MetafileBackground;        // colour the picture is played over
extern long double MetafileScale;               // applied to a metafile's size unless 1
extern int IconLoadMode;                        // 0 palette, 1 composite over IconBackground
extern std::uint32_t IconBackground;            // colour of masked icon pixels

// Where the library's questions and warnings go (the program's prompt service); none leaves
// them unasked. An image may carry its own (TPixelGraphic::SetPromptService).
extern platform::PromptService* PixelGraphicPrompts;

// Puts every setting above back to its default (the prompt service is left alone).
void ResetPixelGraphicSettings();
