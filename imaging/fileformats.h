#pragma once
// The format registry: reader and writer base classes, the two lists the library knows its
// formats by, and the lookups of a reader (by signature, then by extension) and of file
// information.
//
// The library's registry is built once by InitPGraphic, sorted once and then frozen; readers
// and writers are immutable after construction (every operation is const), so a preview thread
// may load while the user-interface thread does.

#include "pgobject.h"
#include "pgsettings.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class QIODevice;
class TPixelGraphic;

// The eight colour resolutions, in the order of their names (messages 8 to 15).
enum TColorResolution : std::uint8_t {
    crBlackWhite,
    cr2Colors,
    cr16Grays,
    cr16SystemColors,
    cr16Colors,
    cr256Grays,
    cr256Colors,
    cr16MillionColors,
};
inline constexpr int ColorResolutionCount = 8;

// A set of colour resolutions (bit i = resolution i).
class ColorResolutionSet {
public:
    constexpr ColorResolutionSet() = default;
    constexpr ColorResolutionSet(std::initializer_list<TColorResolution> list)
    {
        for (TColorResolution r : list)
            bits_ = std::uint8_t(bits_ | (1u << r));
    }
    static constexpr ColorResolutionSet All()
    {
        ColorResolutionSet all;
        all.bits_ = 0xFF;
        return all;
    }
    constexpr bool Contains(TColorResolution r) const { return bits_ & (1u << r); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool operator==(const ColorResolutionSet&) const = default;

private:
    std::uint8_t bits_ = 0;
};

// The first bytes of a stream that signature tests look at; bytes past a short stream are 0.
inline constexpr int SignatureProbeSize = 17;
using SignatureProbe = std::array<std::uint8_t, SignatureProbeSize>;

// What GetInfo reports about an image of a file.
struct GraphicFileInfo {
    QString SubFormat;
    QString Chunks;
    int Width = 0;
    int Height = 0;
    QString ColorsText;
    int BitsPerPixel = 0;
    int ImageCount = 0;
    // How the frame is stored (orientation.h): a JPEG's Exif orientation, 1 for the rest.
    int Orientation = 1;
};

// GetInfo's colours text of a pixel's bit count: "2", "16", "256", "64K", "16.7M" (24 and 32
// bits); empty for any other.
QString ColorsTextOfBitCount(int BitCount);

class TFileFormatReaderWriter : public PGObject {
public:
    // Only enabled readers appear in the open dialog's filter.
    bool Enabled() const { return enabled_; }
    // Lower case, without a dot.
    const QString& Extension() const { return extension_; }
    // Shown in filters and file information.
    const QString& Description() const { return description_; }
    // The class's own name, for messages.
    const QString& ClassName() const { return className_; }

protected:
    TFileFormatReaderWriter(QString ClassName, QString Extension, QString Description);
    // Only before the object is registered: the lists are frozen.
    void SetEnabled(bool Value) { enabled_ = Value; }

private:
    bool enabled_ = true;
    QString className_;
    QString extension_;
    QString description_;
};

class TFileFormatReader : public TFileFormatReaderWriter {
public:
    // Readers with a signature are chosen by their signature test only, never by extension.
    bool HasSignature() const { return hasSignature_; }

    virtual bool CheckSignature(const SignatureProbe& Header) const;
    // Decodes image ImageIndex of the stream into the graphic.
    virtual void Load(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) const;
    // Fills what the reader knows; the base gives empty texts, zeros and one image.
    virtual void GetInfo(QIODevice& Stream, int ImageIndex, GraphicFileInfo& Info) const;

protected:
    TFileFormatReader(QString ClassName, QString Extension, QString Description, bool HasSignature);

private:
    bool hasSignature_;
};

// What one save keeps between the steps of a writer that writes in steps: the save's options,
// where its data starts in the stream (offsets in the file count from there) and where the link
// to the next image is to be written. It belongs to the save, never to the shared writer.
struct TWriteSession {
    SaveOptions Options;
    std::int64_t Base = 0;
    std::int64_t LinkPosition = 0;
};

class TFileFormatWriter : public TFileFormatReaderWriter {
public:
    // The colour resolutions the writer stores; a save converts to one of them first.
    ColorResolutionSet CanWriteResolutions() const { return canWriteResolutions_; }

    // Writes the image with the save options of this one call.
    virtual void Save(QIODevice& Stream, TPixelGraphic& Graphic, const SaveOptions& Options) const;
    // Writers of several images per file (TIFF) write in three steps, handing one session
    // from each step to the next.
    virtual void WriteHeader(QIODevice& Stream, TWriteSession& Session) const;
    virtual void WriteImage(QIODevice& Stream, TPixelGraphic& Graphic, TWriteSession& Session) const;
    virtual void WriteEnd(QIODevice& Stream, TWriteSession& Session) const;

protected:
    TFileFormatWriter(QString ClassName, QString Extension, QString Description, ColorResolutionSet Resolutions);

private:
    ColorResolutionSet canWriteResolutions_;
};

// -1, 0 or 1 by the byte order of the lower-cased extensions.
int CompareFileFormatExtensions(const QString& A, const QString& B);

// The extension of a file name: from the last "." after the last "/", "\" or ":", lower-cased,
// without its dot; empty when there is none.
QString GetLowerExtension(const QString& FileName);

// The reader and writer lists. Filled in registration order, then frozen: the lists are
// stable-sorted by extension once (of two with the same extension the one registered first
// stays first) and no more can be added.
class FormatRegistry {
public:
    FormatRegistry();
    ~FormatRegistry();
    FormatRegistry(const FormatRegistry&) = delete;
    FormatRegistry& operator=(const FormatRegistry&) = delete;

    void AddReader(std::unique_ptr<TFileFormatReader> Reader);
    void AddWriter(std::unique_ptr<TFileFormatWriter> Writer);
    void Freeze();
    bool Frozen() const { return frozen_; }

    std::span<const TFileFormatReader* const> Readers() const { return readers_; }
    std::span<const TFileFormatWriter* const> Writers() const { return writers_; }

    // The first writer for the extension (any letter case, one leading dot dropped), or null.
    const TFileFormatWriter* FindWriter(const QString& Extension) const;

private:
    void SortFileFormatReaders();
    void SortFileFormatWriters();

    std::vector<std::unique_ptr<TFileFormatReaderWriter>> owned_;
    std::vector<const TFileFormatReader*> readers_;
    std::vector<const TFileFormatWriter*> writers_;
    bool frozen_ = false;
};

// The library's registry (empty until InitPGraphic).
const FormatRegistry& FileFormatRegistry();
std::span<const TFileFormatReader* const> FileFormatReaders();
std::span<const TFileFormatWriter* const> FileFormatWriters();

// The reader for a stream: the first signature reader that accepts the stream's first 17 bytes,
// else the first reader without a signature registered for the extension (one leading dot
// dropped). The stream (a file or buffer: it must be able to seek) is put back where it was.
// Never raises: no reader is null.
const TFileFormatReader* FindFileFormatReader(const FormatRegistry& Registry, QIODevice& Stream,
                                              QString Extension);
const TFileFormatReader* FindFileFormatReader(QIODevice& Stream, const QString& Extension);

// File information of image ImageIndex of a stream; the stream is put back where it was. False
// (with everything empty) when no reader takes the stream or anything fails.
bool ReadStreamFileInfo(const FormatRegistry& Registry, QIODevice& Stream, const QString& Extension,
                        int ImageIndex, QString& Description, GraphicFileInfo& Info);
bool ReadStreamFileInfo(QIODevice& Stream, const QString& Extension, int ImageIndex, QString& Description,
                        GraphicFileInfo& Info);
// The same for a file; false at once when it is missing or no plain file (a folder, a FIFO).
bool ReadGraphicFileInfo(const QString& FileName, int ImageIndex, QString& Description, GraphicFileInfo& Info);
