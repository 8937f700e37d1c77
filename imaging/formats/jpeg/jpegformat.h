#pragma once
// JPEG files through libjpeg-turbo: baseline and progressive, gray and true colour. Rows pass
// between the library and the image's own rows as blue-green-red or gray bytes. Markers and an
// example are in FORMAT.md beside this file.

#include "imaging/fileformats.h"

class FormatRegistry;

class TJPGFileFormatReader : public TFileFormatReader {
public:
    TJPGFileFormatReader();
    bool CheckSignature(const SignatureProbe& Header) const override;
    void Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const override;
    void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const override;

protected:
    TJPGFileFormatReader(QString ClassName, QString Extension);
};

class TJPEGFileFormatReader : public TJPGFileFormatReader {
public:
    TJPEGFileFormatReader();
};

class TJIFFileFormatReader : public TJPGFileFormatReader {
public:
    TJIFFileFormatReader();
};

class TJPGFileFormatWriter : public TFileFormatWriter {
public:
    TJPGFileFormatWriter();
    void Save(QIODevice& Stream, TPixelGraphic& Graphic) const override;

protected:
    TJPGFileFormatWriter(QString ClassName, QString Extension);
};

class TJPEGFileFormatWriter : public TJPGFileFormatWriter {
public:
    TJPEGFileFormatWriter();
};

class TJIFFileFormatWriter : public TJPGFileFormatWriter {
public:
    TJIFFileFormatWriter();
};

// Registers the readers and writers of jpg, jpeg and jif.
void RegisterJPEGFormats(FormatRegistry& Registry);
