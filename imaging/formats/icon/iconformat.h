#pragma once
// Windows icon files: a directory of images, each a bitmap header, a palette, the colour rows
// and the transparency mask. Reads 1-, 4- and 8-bit entries of 8 to 64 pixels, composed over
// IconBackground (load mode 1) or with their palette (load mode 0). Byte layout: FORMAT.md.

#include "imaging/fileformats.h"

class FormatRegistry;

// "ico". Refusals raise EPixelGraphic with "Not an Icon file" (the directory, a cursor) or
// "Index out of bounds" (the image index, an entry that cannot be read).
class tIcoFileFormatReader : public TFileFormatReader {
public:
    tIcoFileFormatReader();
    // Reserved 0, kind 1 (icons, not cursors), at least one entry.
    bool CheckSignature(const SignatureProbe& Header) const override;
    void Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const override;
    // The entry count; width, height and bits of entry 0; with several entries the ranges of
    // widths ("Sizes 16..48") and of colour counts ("Colors 16..256").
    void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const override;
};

void RegisterIconFormats(FormatRegistry& Registry);
