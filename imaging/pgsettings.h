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
extern bool PxMWriteBinary;                      // PBM/PGM/PPM written raw (P4-P6), else as text

// Where the library's questions and warnings go (the program's prompt service); none leaves
// them unasked. An image may carry its own (TPixelGraphic::SetPromptService).
extern platform::PromptService* PixelGraphicPrompts;

// Puts every setting above back to its default (the prompt service is left alone).
void ResetPixelGraphicSettings();
