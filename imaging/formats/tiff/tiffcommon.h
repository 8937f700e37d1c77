#pragma once
// What the TIFF reader and writer share: tag and type numbers, the byte order of a file, and
// the reader's failures.

#include <QString>

#include <cstdint>

namespace tiff {

enum Tag : std::uint16_t {
    NewSubfileType = 254,
    ImageWidth = 256,
    ImageLength = 257,
    BitsPerSample = 258,
    Compression = 259,
    PhotometricInterpretation = 262,
    StripOffsets = 273,
    Orientation = 274, // read only from the Exif block of a JPEG
    SamplesPerPixel = 277,
    RowsPerStrip = 278,
    StripByteCounts = 279,
    XResolution = 282,
    YResolution = 283,
    PlanarConfiguration = 284,
    ResolutionUnit = 296,
    ColorMap = 320,
};

enum FieldType : std::uint16_t { Byte = 1, Short = 3, Long = 4, Rational = 5 };

enum CompressionScheme : std::uint32_t { Uncompressed = 1, PackBits = 32773 };

enum Photometric : std::uint32_t { WhiteIsZero = 0, BlackIsZero = 1, RGB = 2, Palette = 3, CMYK = 5 };

inline constexpr int HeaderSize = 8;
inline constexpr int EntrySize = 12;
inline constexpr std::uint16_t Version = 42;

// Numbers in the byte order of one file: "II" little-endian, "MM" big-endian.
struct ByteOrder {
    bool bigEndian = false;

    std::uint16_t U16(const std::uint8_t* p) const
    {
        return bigEndian ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
    }
    std::uint32_t U32(const std::uint8_t* p) const
    {
        const std::uint32_t a = U16(p), b = U16(p + 2);
        return bigEndian ? a << 16 | b : b << 16 | a;
    }
    void Put16(std::uint8_t* p, std::uint32_t v) const
    {
        p[bigEndian ? 0 : 1] = std::uint8_t(v >> 8);
        p[bigEndian ? 1 : 0] = std::uint8_t(v);
    }
    void Put32(std::uint8_t* p, std::uint32_t v) const
    {
        Put16(p + (bigEndian ? 0 : 2), v >> 16);
        Put16(p + (bigEndian ? 2 : 0), v);
    }
};

// A row of 1, 4 or 8-bit pixels (PixelBits = width x bits), the same in the file and in the
// image: inverted for WhiteIsZero when asked, and the bits past the last pixel cleared.
inline void InvertAndTrimRow(std::uint8_t* Row, std::int64_t Bytes, std::int64_t PixelBits, bool Invert)
{
    if (Invert)
        for (std::int64_t i = 0; i < Bytes; ++i)
            Row[i] = std::uint8_t(~Row[i]);
    if (const int used = int(PixelBits % 8))
        Row[Bytes - 1] &= std::uint8_t(0xFF << (8 - used));
}

// The reader's failures, all EPGTIFFileFormatReader: "TIFF: " + Text.
[[noreturn]] void RaiseReader(const QString& Text);
// "TIFF: Unexpected end of file".
[[noreturn]] void RaiseEndOfFile();
// "TIFF: <Field> invalid".
[[noreturn]] void RaiseInvalid(const char* Field);

} // namespace tiff
