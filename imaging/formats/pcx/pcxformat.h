#pragma once
// PCX files, run-length encoded, in four plane layouts: 1 bit, 4 bits in four planes, 8 bits
// with a 256-colour trailer, 24 bits in three planes. Found by extension only: a one-byte
// signature would take other files. Layout in FORMAT.md.

#include "imaging/formatscaffold.h"

class FormatRegistry;

class TPCXFileFormatReader : public TSingleImageReader {
public:
    TPCXFileFormatReader();
    // True when the first byte is 10; for direct calls, the registry does not probe with it.
    bool CheckSignature(const SignatureProbe& Header) const override;

protected:
    void LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const override;
    void ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const override;
    [[noreturn]] void Fail(const QString& Text) const override;
};

void RegisterPCXFormats(FormatRegistry& Registry);
