#pragma once
// The GIF readers and writer of the format registry. The format adapter loads and saves through
// TGIFImage; the second reader walks the blocks itself and decodes any one image at its own
// size. Layouts: FORMAT.md beside this file.

#include "imaging/fileformats.h"

class FormatRegistry;

// Loads the first frame on the logical screen as an 8-bit palette image (pixels are the
// indices) and saves a 256-colour image as a one-frame GIF whose palette is the global map.
class TGIFFileFormatReader : public TFileFormatReader {
public:
    TGIFFileFormatReader();
    // The first three bytes add up to 214, as "GIF" does.
    bool CheckSignature(const SignatureProbe& Header) const override;
    // Image index 0 and 1 both load the first frame; above 1 raises "Index > 1".
    void Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const override;
    void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const override;
};

class TGIFFileFormatWriter : public TFileFormatWriter {
public:
    TGIFFileFormatWriter();
    // The save options hold nothing for GIF.
    void Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options) const override;
};

// Decodes image ImageIndex (0-based, in file order) at its own size with its own colour table.
// Load never raises: a stream that is no GIF, an index past the images or damaged data leave
// the image with what decoding wrote.
class tGifFileFormatReader : public TFileFormatReader {
public:
    tGifFileFormatReader();
    // "GIF".
    bool CheckSignature(const SignatureProbe& Header) const override;
    void Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const override;
    // Raises EPixelGraphic "Not a proper GIF file" or "Index out of bounds".
    void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const override;
};

// The adapter's reader and writer, registered after the library's own formats.
void RegisterGIFFormats(FormatRegistry& Registry);
// The second reader, registered after the metafile readers.
void RegisterSecondGIFReader(FormatRegistry& Registry);
