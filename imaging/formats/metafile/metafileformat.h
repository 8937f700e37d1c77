#pragma once
// Windows metafiles (with or without the placeable header) and enhanced metafiles, read into a
// pixel image by our own player (MetafileSupport) at 96 pixels per inch. There is no metafile
// writer. The byte layouts and the records played are in FORMAT.md beside this file.

#include "imaging/fileformats.h"

#include <QByteArray>

#include <cstdint>

class FormatRegistry;

// "wmf": a Windows metafile. Its stream is read from the start; one without a placeable header
// gets a made one, and one whose own header fails is tried once more with a made one.
class tWMFFileFormatReader : public TFileFormatReader {
public:
    tWMFFileFormatReader();
    bool CheckSignature(const SignatureProbe& Header) const override;
    // The image index is not used: a metafile holds one picture. A metafile that loads in
    // neither attempt raises EPixelGraphic "Invalid Metafile".
    void Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const override;
    void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const override;
    bool IsEnhanced() const { return isEnhanced_; }

protected:
    tWMFFileFormatReader(QString ClassName, QString Extension, QString Description, bool Enhanced);

private:
    bool isEnhanced_;
};

// "emf": an enhanced metafile, read from the stream's position.
class tEMFFileFormatReader final : public tWMFFileFormatReader {
public:
    tEMFFileFormatReader();
    bool CheckSignature(const SignatureProbe& Header) const override;
};

// A standard Windows metafile header (type 0 or 1, 9 header words, a version, at least 19
// words, objects) or the placeable key.
bool CheckWMFSignature(const SignatureProbe& Header);
// The header record: type 1, a size of 88 to 65536 bytes in whole 32-bit words.
bool CheckEMFSignature(const SignatureProbe& Header);

// The placeable header put in front of a Windows metafile without one: the box 0, 0,
// MetafileDefaultWidth - 1, MetafileDefaultHeight - 1 (each first kept to 3..32767) at 96 units
// per inch.
QByteArray MakePlaceableHeader();

// With FastJPEGDecode: fitted into Side x Side (width first, then height, keeping the shape).
void FitMetafileSize(std::int64_t& Width, std::int64_t& Height, int Side);
// Otherwise: scaled by MetafileScale unless it is 1 or not above 0. Both round halves to even.
void ScaleMetafileSize(std::int64_t& Width, std::int64_t& Height, long double Scale);

// Registers the readers, WMF first.
void RegisterMetafileFormats(FormatRegistry& Registry);
