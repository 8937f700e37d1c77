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
constexpr bool kTIFFReadAllDirectories = false;
constexpr int kTIFFMaxDirectories = 1000;
constexpr TIFFWriteOptions kTIFFWrite{};
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
bool TIFFReadAllDirectories = kTIFFReadAllDirectories;
int TIFFMaxDirectories = kTIFFMaxDirectories;
int TIFFCompression = kTIFFWrite.Compression;
bool TIFFWriteCMYK = kTIFFWrite.WriteCMYK;
bool TIFFWriteWhiteIsZero = kTIFFWrite.WriteWhiteIsZero;
bool TIFFWriteMotorola = kTIFFWrite.WriteMotorola;
int TIFFResolutionUnit = kTIFFWrite.ResolutionUnit;
TIFFRational TIFFXResolution = kTIFFWrite.XResolution;
TIFFRational TIFFYResolution = kTIFFWrite.YResolution;
platform::PromptService* PixelGraphicPrompts = nullptr;

SaveOptions CurrentSaveOptions()
{
    return SaveOptions{PixelGraphicJPEGQuality, PixelGraphicJPEGProgressive, PixelGraphicJPEGEncodeDCT,
                       TIFFWriteOptions{TIFFCompression, TIFFWriteCMYK, TIFFWriteWhiteIsZero, TIFFWriteMotorola,
                                        TIFFResolutionUnit, TIFFXResolution, TIFFYResolution}};
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
    TIFFReadAllDirectories = kTIFFReadAllDirectories;
    TIFFMaxDirectories = kTIFFMaxDirectories;
    TIFFCompression = kTIFFWrite.Compression;
    TIFFWriteCMYK = kTIFFWrite.WriteCMYK;
    TIFFWriteWhiteIsZero = kTIFFWrite.WriteWhiteIsZero;
    TIFFWriteMotorola = kTIFFWrite.WriteMotorola;
    TIFFResolutionUnit = kTIFFWrite.ResolutionUnit;
    TIFFXResolution = kTIFFWrite.XResolution;
    TIFFYResolution = kTIFFWrite.YResolution;
}
