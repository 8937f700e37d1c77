#pragma once
// PNG files through libpng: every colour type, bit depth and interlace, composed over a
// background where the file has transparency; written as 1-, 4- or 8-bit palette, 8-bit gray or
// 24-bit RGB. Chunks and an example are in FORMAT.md beside this file.

#include "imaging/formatscaffold.h"

class FormatRegistry;

class TPNGFileFormatReader : public TSingleImageReader {
public:
    TPNGFileFormatReader();
    bool CheckSignature(const SignatureProbe& Header) const override;

protected:
    void LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const override;
    void ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const override;
    [[noreturn]] void Fail(const QString& Text) const override;
};

class TPNGFileFormatWriter : public TFileFormatWriter {
public:
    TPNGFileFormatWriter();
    void Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options) const override;
};

void RegisterPNGFormats(FormatRegistry& Registry);
