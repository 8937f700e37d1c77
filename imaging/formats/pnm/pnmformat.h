#pragma once
// PBM, PGM and PPM files: every reader loads all six variants (text P1-P3, raw P4-P6); each
// writer writes its own kind, as text or, with PxMWriteBinary, raw. Layout in FORMAT.md.

#include "imaging/formatscaffold.h"

class FormatRegistry;

class TPxMFileFormatReader : public TSingleImageReader {
public:
    // True for "P" and one of the reader's two variant digits.
    bool CheckSignature(const SignatureProbe& Header) const override;

protected:
    TPxMFileFormatReader(QString ClassName, QString Extension, QString Description, char TextDigit);
    void LoadImage(QIODevice& Stream, TPixelGraphic& Graphic) const override;
    void ReadInfo(QIODevice& Stream, GraphicFileInfo& Info) const override;
    [[noreturn]] void Fail(const QString& Text) const override;
    [[noreturn]] void FailInfo(const QString& Text) const override;

private:
    char textDigit_;
};

class TPBMFileFormatReader : public TPxMFileFormatReader {
public:
    TPBMFileFormatReader();
};
class TPGMFileFormatReader : public TPxMFileFormatReader {
public:
    TPGMFileFormatReader();
};
class TPPMFileFormatReader : public TPxMFileFormatReader {
public:
    TPPMFileFormatReader();
};

class TPXMFileFormatWriter : public TFileFormatWriter {
public:
    void Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options) const override;

protected:
    TPXMFileFormatWriter(QString ClassName, QString Extension, QString Description, ColorResolutionSet Resolutions);
};

class TPBMFileFormatWriter : public TPXMFileFormatWriter {
public:
    TPBMFileFormatWriter();
};
class TPGMFileFormatWriter : public TPXMFileFormatWriter {
public:
    TPGMFileFormatWriter();
};
class TPPMFileFormatWriter : public TPXMFileFormatWriter {
public:
    TPPMFileFormatWriter();
};

// Registers the readers and writers of pbm, pgm and ppm.
void RegisterPxMFormats(FormatRegistry& Registry);
