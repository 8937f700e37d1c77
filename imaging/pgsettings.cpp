#include "pgsettings.h"

namespace {
constexpr bool kBitfieldRounding = true;
constexpr int kJPEGDecodeDCT = 0;
constexpr int kJPEGEncodeDCT = 2;
constexpr std::uint8_t kJPEGQuality = 80;
constexpr bool kJPEGProgressive = false;
// Image files today are made for sRGB displays; 1.8 would darken every PNG with a standard gAMA.
constexpr long double kDefaultGamma = 2.2L;
constexpr bool kGammaCorrection = true;
constexpr bool kPNGUseBackground = true;
constexpr bool kPNGWriteGamma = true;
constexpr bool kTIFFReadAllDirectories = false;
constexpr int kTIFFMaxDirectories = 1000;
constexpr int kTIFFCompression = 1;
constexpr bool kTIFFWriteCMYK = false;
constexpr bool kTIFFWriteWhiteIsZero = false;
constexpr bool kTIFFWriteMotorola = false;
constexpr int kTIFFResolutionUnit = 1;
constexpr TIFFRational kTIFFResolution{300, 1};
} // namespace

bool PixelGraphicBitfieldRounding = kBitfieldRounding;
int PixelGraphicJPEGDecodeDCT = kJPEGDecodeDCT;
int PixelGraphicJPEGEncodeDCT = kJPEGEncodeDCT;
std::uint8_t PixelGraphicJPEGQuality = kJPEGQuality;
bool PixelGraphicJPEGProgressive = kJPEGProgressive;
long double PixelGraphicDefaultGamma = kDefaultGamma;
bool PixelGraphicGammaCorrection = kGammaCorrection;
bool PixelGraphicPNGUseBackground = kPNGUseBackground;
bool PixelGraphicPNGWriteGamma = kPNGWriteGamma;
bool TIFFReadAllDirectories = kTIFFReadAllDirectories;
int TIFFMaxDirectories = kTIFFMaxDirectories;
int TIFFCompression = kTIFFCompression;
bool TIFFWriteCMYK = kTIFFWriteCMYK;
bool TIFFWriteWhiteIsZero = kTIFFWriteWhiteIsZero;
bool TIFFWriteMotorola = kTIFFWriteMotorola;
int TIFFResolutionUnit = kTIFFResolutionUnit;
TIFFRational TIFFXResolution = kTIFFResolution;
TIFFRational TIFFYResolution = kTIFFResolution;
platform::PromptService* PixelGraphicPrompts = nullptr;

void ResetPixelGraphicSettings()
{
    PixelGraphicBitfieldRounding = kBitfieldRounding;
    PixelGraphicJPEGDecodeDCT = kJPEGDecodeDCT;
    PixelGraphicJPEGEncodeDCT = kJPEGEncodeDCT;
    PixelGraphicJPEGQuality = kJPEGQuality;
    PixelGraphicJPEGProgressive = kJPEGProgressive;
    PixelGraphicDefaultGamma = kDefaultGamma;
    PixelGraphicGammaCorrection = kGammaCorrection;
    PixelGraphicPNGUseBackground = kPNGUseBackground;
    PixelGraphicPNGWriteGamma = kPNGWriteGamma;
    TIFFReadAllDirectories = kTIFFReadAllDirectories;
    TIFFMaxDirectories = kTIFFMaxDirectories;
    TIFFCompression = kTIFFCompression;
    TIFFWriteCMYK = kTIFFWriteCMYK;
    TIFFWriteWhiteIsZero = kTIFFWriteWhiteIsZero;
    TIFFWriteMotorola = kTIFFWriteMotorola;
    TIFFResolutionUnit = kTIFFResolutionUnit;
    TIFFXResolution = kTIFFResolution;
    TIFFYResolution = kTIFFResolution;
}
