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
constexpr bool kPxMWriteBinary = false;
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
bool PxMWriteBinary = kPxMWriteBinary;
platform::PromptService* PixelGraphicPrompts = nullptr;

SaveOptions CurrentSaveOptions()
{
    return SaveOptions{PixelGraphicJPEGQuality, PixelGraphicJPEGProgressive, PixelGraphicJPEGEncodeDCT};
}

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
    PxMWriteBinary = kPxMWriteBinary;
}
