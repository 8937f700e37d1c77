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
constexpr std::int16_t kMetafileDefaultWidth = 100;
constexpr std::int16_t kMetafileDefaultHeight = 50;
constexpr std::uint32_t kMetafileBackground = 0x00FFFFFF;
constexpr long double kMetafileScale = 1.0L;
constexpr int kIconLoadMode = 1;
constexpr std::uint32_t kIconBackground = 0x00FFFFFF;
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
std::int16_t MetafileDefaultWidth = kMetafileDefaultWidth;
std::int16_t MetafileDefaultHeight = kMetafileDefaultHeight;
std::uint32_t MetafileBackground = kMetafileBackground;
long double MetafileScale = kMetafileScale;
int IconLoadMode = kIconLoadMode;
std::uint32_t IconBackground = kIconBackground;
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
    MetafileDefaultWidth = kMetafileDefaultWidth;
    MetafileDefaultHeight = kMetafileDefaultHeight;
    MetafileBackground = kMetafileBackground;
    MetafileScale = kMetafileScale;
    IconLoadMode = kIconLoadMode;
    IconBackground = kIconBackground;
}
