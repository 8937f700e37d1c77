#pragma once
// JPEG files through libjpeg-turbo: baseline and progressive, gray and true colour. Rows pass
// between the library and the image's own rows as blue-green-red or gray bytes. Markers and an
// example are in FORMAT.md beside this file.

#include "imaging/formatscaffold.h"

#include <cstddef>
#include <cstdint>

class FormatRegistry;
class QIODevice;
class TPixelGraphic;

class TJPGFileFormatReader : public TSingleImageReader {
public:
    TJPGFileFormatReader();
    bool CheckSignature(const SignatureProbe& Header) const override;

protected:
    TJPGFileFormatReader(QString ClassName, QString Extension);
    void LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const override;
    void ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const override;
    [[noreturn]] void Fail(const QString& Text) const override;
};
using TJPEGFileFormatReader = TFormatAlias<TJPGFileFormatReader, "TJPEGFileFormatReader", "jpeg">;
using TJIFFileFormatReader = TFormatAlias<TJPGFileFormatReader, "TJIFFileFormatReader", "jif">;

class TJPGFileFormatWriter : public TFileFormatWriter {
public:
    TJPGFileFormatWriter();
    // Quality, progressive and DCT method come from the options, never from the settings.
    void Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options) const override;

protected:
    TJPGFileFormatWriter(QString ClassName, QString Extension);
};
using TJPEGFileFormatWriter = TFormatAlias<TJPGFileFormatWriter, "TJPEGFileFormatWriter", "jpeg">;
using TJIFFileFormatWriter = TFormatAlias<TJPGFileFormatWriter, "TJIFFileFormatWriter", "jif">;

// The decode scale for one side: 8, 4 or 2 when the side divided by it (integer division) is
// still at least Target, else 1.
int ChooseJpegScale(int Source, int Target);
// For a picture and a box: the smaller of the two sides' scales, so that the decoded picture
// never falls below the box on either side.
int ChooseJpegScale(int Width, int Height, int BoxWidth, int BoxHeight);

// Loads a JPEG decoded in the DCT domain at 1/n of its size with the fast integer method, where
// n = ChooseJpegScale(width, height, BoxWidth, BoxHeight), at most MaxScale (1: full size),
// and turns the decoded frame upright by the file's Exif orientation (the box is that of the
// upright picture). Colours, warnings, progress events and refusals are those of the reader's
// Load; the memory limit holds for the frame decoded, not for the full-size picture.
void LoadScaledJpeg(QIODevice& Stream, TPixelGraphic& Graphic, int BoxWidth, int BoxHeight, int MaxScale = 8);

// True when an APP1 segment's payload starts with the Exif signature "Exif\0\0".
bool IsExifBlock(const std::uint8_t* Data, std::size_t Size);

// The orientation (1 to 8, orientation.h) that an APP1 segment's payload gives when it is an
// Exif block ("Exif\0\0" and a TIFF structure whose first directory holds the tag); 1 when
// it has none or the tag is damaged.
int ExifOrientation(const std::uint8_t* Data, std::size_t Size);

// Registers the readers and writers of jpg, jpeg and jif.
void RegisterJPEGFormats(FormatRegistry& Registry);
