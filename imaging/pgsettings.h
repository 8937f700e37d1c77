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

// TIFF reading: walk the whole directory chain to count the images, giving up (one image) past
// TIFFMaxDirectories; off, only the first directory counts.
extern bool TIFFReadAllDirectories;
extern int TIFFMaxDirectories;

// TIFF writing. Any other compression than 1 (none) or 32773 (PackBits), a resolution unit
// other than 0, 1, 2 (none, inch, centimetre) or a resolution with denominator 0 is refused by
// a save before anything is written.
struct TIFFRational {
    std::uint32_t Numerator;
    std::uint32_t Denominator;
};
extern int TIFFCompression;
extern bool TIFFWriteCMYK;        // true colour as CMYK instead of RGB
extern bool TIFFWriteWhiteIsZero; // grey and black-and-white inverted, as WhiteIsZero
extern bool TIFFWriteMotorola;    // byte order "MM" instead of "II"
extern int TIFFResolutionUnit;
extern TIFFRational TIFFXResolution;
extern TIFFRational TIFFYResolution;

// Where the library's questions and warnings go (the program's prompt service); none leaves
// them unasked. An image may carry its own (TPixelGraphic::SetPromptService).
extern platform::PromptService* PixelGraphicPrompts;

// Puts every setting above back to its default (the prompt service is left alone).
void ResetPixelGraphicSettings();
