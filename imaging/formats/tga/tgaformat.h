#pragma once
// Truevision Targa files: colour-mapped, true-colour and grey, uncompressed or run-length
// encoded, 8 to 32 bits per pixel, any origin. Written as 8-bit colour-mapped or 24-bit
// true-colour, uncompressed, bottom row first. Found by extension only. Layout in FORMAT.md.

#include "imaging/formatscaffold.h"

class FormatRegistry;

class TTGAFileFormatReader : public TSingleImageReader {
public:
    TTGAFileFormatReader();

protected:
    void LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const override;
    void ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const override;
    [[noreturn]] void Fail(const QString& Text) const override;
};

class TTGAFileFormatWriter : public TFileFormatWriter {
public:
    TTGAFileFormatWriter();
    void Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options) const override;
};

void RegisterTGAFormats(FormatRegistry& Registry);
