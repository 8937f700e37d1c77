#pragma once
// BMP, DIB and RLE files: Windows and OS/2 bitmaps of 1, 4, 8, 16, 24 and 32 bits, with bit
// fields, run-length compression and top-down rows. Writing stores uncompressed Windows bitmaps.
// The byte layouts are in FORMAT.md beside this file.

#include "imaging/formatscaffold.h"

class QIODevice;
class FormatRegistry;
class TPixelGraphic;

class TBMPFileFormatReader : public TSingleImageReader {
public:
    TBMPFileFormatReader();
    bool CheckSignature(const SignatureProbe& Header) const override;

protected:
    TBMPFileFormatReader(QString ClassName, QString Extension);
    void LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const override;
    void ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const override;
    [[noreturn]] void Fail(const QString& Text) const override;
};
using TDIBFileFormatReader = TFormatAlias<TBMPFileFormatReader, "TDIBFileFormatReader", "dib">;
using TRLEFileFormatReader = TFormatAlias<TBMPFileFormatReader, "TRLEFileFormatReader", "rle">;

class TBMPFileFormatWriter : public TFileFormatWriter {
public:
    TBMPFileFormatWriter();
    void Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options) const override;

protected:
    TBMPFileFormatWriter(QString ClassName, QString Extension);
};
using TDIBFileFormatWriter = TFormatAlias<TBMPFileFormatWriter, "TDIBFileFormatWriter", "dib">;

// Registers the readers (bmp, dib, rle) and writers (bmp, dib).
void RegisterBMPFormats(FormatRegistry& Registry);

// The BMP reader and writer outside the registry (SaveToStream writes with the latter).
const TBMPFileFormatReader& GlobalBMPReader();
const TBMPFileFormatWriter& GlobalBMPWriter();

// A packed bitmap (information header, masks, colour table, pixels; no file header), as the
// clipboard holds it.
void DecodePackedBitmap(QIODevice& Stream, TPixelGraphic& Graphic);
void EncodePackedBitmap(QIODevice& Stream, TPixelGraphic& Graphic);

// Raises EPGBMPFileFormatReader "BMP: Unexpected end of file".
[[noreturn]] void RaiseBMPEndOfFile();
