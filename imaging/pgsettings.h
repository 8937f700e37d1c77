#pragma once

#include <cstdint>

namespace platform {
class PromptService;
}

// Library-wide settings. They hold their defaults from the start; the library start sets them
// again. Callers change only the JPEG save settings: they are what a save takes when it is given
// no options of its own.

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

// What one save takes from the settings above, as a value handed to the writer: a writer never
// reads the settings themselves, so saves on several threads with options of their own do not
// race. Read the settings on the thread that changes them and hand workers the value.
struct SaveOptions {
    std::uint8_t JPEGQuality;   // 1 to 100
    bool JPEGProgressive;
    int JPEGEncodeDCT;          // libjpeg's DCT method number
};

// The save settings as they stand now.
SaveOptions CurrentSaveOptions();
