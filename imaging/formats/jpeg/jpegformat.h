#pragma once
// JPEG files through libjpeg-turbo: baseline and progressive, gray and true colour. Rows pass
// between the library and the image's own rows as blue-green-red or gray bytes. Markers and an
// example are in FORMAT.md beside this file.

#include "imaging/formatscaffold.h"

class FormatRegistry;

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

// Registers the readers and writers of jpg, jpeg and jif.
void RegisterJPEGFormats(FormatRegistry& Registry);
