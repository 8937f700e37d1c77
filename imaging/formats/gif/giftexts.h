#pragma once
// The fixed English texts of the GIF image and its coders: raised as GIFException or given as
// warnings (severity 1) through TGIFImage::Warning.

#include "imaging/pgexceptions.h"

namespace GifText {
// Raised.
inline constexpr char PrematureEnd[] = "Premature end of data";
inline constexpr char InvalidSignature[] = "Invalid GIF signature";
inline constexpr char UnsupportedVersion[] = "Unsupported GIF version";
inline constexpr char ScreenColorCount[] = "Invalid number of colors specified in Screen Descriptor";
inline constexpr char ImageColorCount[] = "Invalid number of colors specified in Image Descriptor";
inline constexpr char UnknownExtension[] = "Unknown extension type";
inline constexpr char ExtensionMismatch[] = "Internal error: Extension Instance does not match Extension Label";
inline constexpr char AppBlockSize[] = "Unsupported Application Extension block size";
inline constexpr char InvalidData[] = "Invalid GIF data";
inline constexpr char ColorTableOverflow[] = "Color table overflow";
inline constexpr char InvalidColorIndex[] = "Invalid color index";
inline constexpr char CircularEntry[] = "Circular decoder table entry";
inline constexpr char NoColorTable[] = "No global or local color table defined";
inline constexpr char HeightTooSmall[] = "Image height too small for contained frames";
inline constexpr char WidthTooSmall[] = "Image width too small for contained frames";
inline constexpr char UnsupportedObject[] = "Object type not supported for operation";
inline constexpr char NoDIBMemory[] = "Failed to allocate memory for GIF DIB";
inline constexpr char NoDIB[] = "Image has no DIB";
// Warnings.
inline constexpr char UnknownBlock[] = "Unknown GIF block type";
inline constexpr char BadIntroducer[] = "Invalid extension introducer";
inline constexpr char ExceedsScreen[] = "Image exceeds Logical Screen size";
inline constexpr char BadTrailer[] = "Invalid Image trailer";
inline constexpr char BitBufferUnderRun[] = "Decoder bit buffer under-run";
} // namespace GifText

[[noreturn]] inline void RaiseGIF(const QString& Text)
{
    throw GIFException(Text);
}
[[noreturn]] inline void RaiseGIF(const char* Text)
{
    RaiseGIF(QString::fromLatin1(Text));
}

// The end-of-data function of the byte readers over GIF data.
[[noreturn]] inline void RaiseGIFPrematureEnd()
{
    RaiseGIF(GifText::PrematureEnd);
}
