#pragma once
// TIFF files: baseline images of one strip layout (chunky samples), uncompressed or PackBits,
// in either byte order. The reader takes bilevel, 4-bit and 8-bit grey or palette images, RGB
// (with or without one extra sample) and CMYK; the writer stores every image but a two-colour
// one. The byte layouts and a worked file are in FORMAT.md beside this file.

#include "imaging/formatscaffold.h"

#include <cstdint>
#include <span>
#include <vector>

class FormatRegistry;

class TTIFFileFormatReader : public TFileFormatReader {
public:
    TTIFFileFormatReader();
    bool CheckSignature(const SignatureProbe& Header) const override;
    void Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const override;
    void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const override;

protected:
    TTIFFileFormatReader(QString ClassName, QString Extension);
};
using TTIFFFileFormatReader = TFormatAlias<TTIFFileFormatReader, "TTIFFFileFormatReader", "tiff">;

class TTIFFileFormatWriter : public TFileFormatWriter {
public:
    TTIFFileFormatWriter();
    // WriteHeader, WriteImage and WriteEnd with one session; the options are checked first,
    // so that a save they make impossible writes nothing.
    void Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options) const override;
    void WriteHeader(QIODevice& Stream, TWriteSession& Session) const override;
    void WriteImage(QIODevice& Stream, TPixelGraphic& Graphic, TWriteSession& Session) const override;
    void WriteEnd(QIODevice& Stream, TWriteSession& Session) const override;

protected:
    TTIFFileFormatWriter(QString ClassName, QString Extension);
};
using TTIFFFileFormatWriter = TFormatAlias<TTIFFileFormatWriter, "TTIFFFileFormatWriter", "tiff">;

// Registers the readers and writers of tif and tiff.
void RegisterTIFFFormats(FormatRegistry& Registry);

// One row coded as PackBits packets (appended to Out): pairs of equal bytes next to single
// bytes join the literal packet; no packet is longer than 128 bytes.
void EncodePackBitsRow(std::span<const std::uint8_t> Row, std::vector<std::uint8_t>& Out);
