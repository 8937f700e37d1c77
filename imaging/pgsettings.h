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
extern std::int16_t MetafileDefaultWidth;        // metafile units of a made placeable header
extern std::int16_t MetafileDefaultHeight;
extern std::uint32_t MetafileBackground;         // colour the picture is played over
extern long double MetafileScale;                // applied to a metafile's size unless 1
extern int IconLoadMode;                         // 0 palette, 1 composite over IconBackground
extern std::uint32_t IconBackground;             // colour of masked icon pixels

// TIFF reading: walk the whole directory chain to count the images, giving up (one image) past
// TIFFMaxDirectories; off, only the first directory counts.
extern bool TIFFReadAllDirectories;
extern int TIFFMaxDirectories;

// TIFF writing: what a save takes when it is given no options of its own (see TIFFWriteOptions).
struct TIFFRational {
    std::uint32_t Numerator;
    std::uint32_t Denominator;
};
extern int TIFFCompression;
extern bool TIFFWriteCMYK;
extern bool TIFFWriteWhiteIsZero;
extern bool TIFFWriteMotorola;
extern int TIFFResolutionUnit;
extern TIFFRational TIFFXResolution;
extern TIFFRational TIFFYResolution;

// Where the library's questions and warnings go (the program's prompt service); none leaves
// them unasked. An image may carry its own (TPixelGraphic::SetPromptService).
extern platform::PromptService* PixelGraphicPrompts;

// Puts every setting above back to its default (the prompt service is left alone).
void ResetPixelGraphicSettings();

// How the TIFF writer stores an image; the defaults are the library's. A compression other than
// 1 (none) or 32773 (PackBits), a resolution unit other than 0, 1, 2 (none, inch, centimetre) or
// a resolution with denominator 0 is refused before anything is written.
struct TIFFWriteOptions {
    int Compression = 1;
    bool WriteCMYK = false;        // true colour as CMYK instead of RGB
    bool WriteWhiteIsZero = false; // grey and black-and-white inverted, as WhiteIsZero
    bool WriteMotorola = false;    // byte order "MM" instead of "II"
    int ResolutionUnit = 1;
    TIFFRational XResolution{300, 1};
    TIFFRational YResolution{300, 1};
};

// What one save takes from the settings above, as a value handed to the writer: a writer never
// reads the settings themselves, so saves on several threads with options of their own do not
// race. Read the settings on the thread that changes them and hand workers the value.
struct SaveOptions {
    std::uint8_t JPEGQuality;   // 1 to 100
    bool JPEGProgressive;
    int JPEGEncodeDCT;          // libjpeg's DCT method number
    TIFFWriteOptions TIFF{};
    // Colour kept for every pixel (1 x 1 sampling) instead of one value for each 2 x 2 block:
    // for pictures with thin coloured strokes, such as lettering.
    bool JPEGFullChroma = false;
};

// The save settings as they stand now.
SaveOptions CurrentSaveOptions();
