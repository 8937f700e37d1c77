#pragma once
// Images and files that the imaging tests, the fuzz seed generator and the fuzz replays share.
// No test framework here: the fuzz build links it too.

#include "imaging/pgtypes.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TPixelGraphic;

// ---- BMP files, field by field (layout: imaging/formats/bmp/FORMAT.md) ----
struct BmpSpec {
    std::uint32_t headerSize = 40;        // 12 writes an OS/2 core header
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> masks;     // after a 40-byte header, inside a larger one
    std::vector<TColor> palette;          // 4-byte entries (3-byte for the core header)
    QByteArray gap;                       // bytes between the colour table and the pixels
    QByteArray pixels;                    // as stored in the file
    std::optional<std::uint32_t> pixelOffset; // bfOffBits; default: where the pixels are
};
QByteArray PackedBitmap(const BmpSpec& Spec);
QByteArray BmpFile(const BmpSpec& Spec);

// The worked examples of imaging/formats/bmp/FORMAT.md.
QByteArray FormatExampleTrueColorBmp(); // 3 x 2, 78 bytes
QByteArray FormatExampleRle8Bmp();      // 4 x 3, RLE8
QByteArray FormatExampleRle4Bmp();      // 10 x 1, RLE4: a run and a literal

// ---- GIF files, block by block (layout: imaging/formats/gif/FORMAT.md) ----
// The worked example: a 4 x 1 frame of index 0 with a black and white global map (35 bytes).
QByteArray FormatExampleGif();
// "GIF89a", the screen descriptor with the global map (none when empty; padded to a power of
// two), the blocks, and the trailer when asked.
QByteArray GifFile(int Width, int Height, const std::vector<TColor>& GlobalMap, const QByteArray& Blocks,
                   bool Trailer = true);
// An image block: descriptor, local map (Packed's map bits are set from it), LZW data of the
// pixels (row order) with the given minimum code size.
QByteArray GifImageBlock(int Left, int Top, int Width, int Height, std::uint8_t Packed,
                         const std::vector<TColor>& LocalMap, const std::vector<std::uint8_t>& Pixels, int MinCodeSize);
// A graphic control block.
QByteArray GifControlBlock(int Disposal, int Delay, std::optional<int> TransparentIndex = std::nullopt);
// A loop block.
QByteArray GifLoopBlock(int Loops);
// Files every browser shows that the GIF model reads only with warnings: a stray byte after the
// last frame, a frame of width 0, data cut short. Each with the picture it gives (indices, top
// row first).
struct GifWithWarnings {
    QString name;
    QByteArray data;
    int width;
    int height;
    std::vector<std::uint8_t> indices;
    QString warning; // the model's first warning
};
std::vector<GifWithWarnings> GifsWithWarnings();

// ---- TIFF files, entry by entry (layout: imaging/formats/tiff/FORMAT.md) ----
struct TiffField {
    std::uint16_t tag;
    std::uint16_t type;                  // 1 BYTE, 3 SHORT, 4 LONG, 5 RATIONAL (pairs), or any other
    std::vector<std::uint32_t> values;
    std::optional<std::uint32_t> count = {};  // default: the number of values (of pairs for RATIONAL)
    std::optional<std::uint32_t> offset = {}; // the value field as given, nothing written elsewhere
};
struct TiffImage {
    std::vector<TiffField> fields; // written in this order
    // Put after the header, each on an even offset; StripOffsets and StripByteCounts (LONG) are
    // added after the fields unless they hold them.
    std::vector<QByteArray> strips;
};
// The header, the strips of every image, then each image's out-of-line values and directory,
// chained in order.
QByteArray TiffFile(const std::vector<TiffImage>& Images, bool BigEndian = false);
// The usual fields of an image: width, length, BitsPerSample (one SHORT per sample),
// compression, photometric, SamplesPerPixel and RowsPerStrip, with its strips.
TiffImage TiffStripImage(std::uint32_t Width, std::uint32_t Length, std::uint32_t Photometric,
                         std::vector<std::uint32_t> Bits, std::uint32_t RowsPerStrip, std::vector<QByteArray> Strips,
                         std::uint32_t Compression = 1);
// The worked example of imaging/formats/tiff/FORMAT.md: 1 x 1, red 12, green 34, blue 56.
QByteArray FormatExampleTiff(bool BigEndian);

// ---- Metafiles, record by record (layouts: imaging/formats/metafile/FORMAT.md) ----
// 16-bit words, as the parameters of a Windows metafile record.
QByteArray WmfWords(std::initializer_list<int> Words);
// The records of a Windows metafile, each a function and its 16-bit parameter words.
class WmfRecords {
public:
    WmfRecords& Add(std::uint16_t Function, std::initializer_list<int> Words);
    WmfRecords& Add(std::uint16_t Function, const QByteArray& Parameters);
    // The 18-byte header (type 1, 9 words, version 0300, sizes, Objects), the records, the end.
    QByteArray Metafile(int Objects) const;

private:
    QByteArray records_;
    std::uint32_t largest_ = 3;
};
// A placeable header; its checksum unless another is given.
QByteArray PlaceableHeader(int Left, int Top, int Right, int Bottom, int Inch,
                           std::optional<std::uint16_t> Checksum = std::nullopt);

struct EmfFrame {
    std::int32_t frame[4] = {0, 0, 2540, 1270}; // hundredths of a millimetre
    std::int32_t device[2] = {960, 480};        // reference device pixels ...
    std::int32_t millimetres[2] = {254, 127};   // ... on this many millimetres: 96 per inch
    std::uint16_t handles = 2;
    std::vector<TColor> palette;                // in the end record
};
// The records of an enhanced metafile, each a type and its body after type and size.
class EmfRecords {
public:
    EmfRecords& Add(std::uint32_t Type, std::initializer_list<std::int64_t> Fields); // 32 bits each
    EmfRecords& Add(std::uint32_t Type, const QByteArray& Body);
    // The 88-byte header record, the records, the end record with the palette.
    QByteArray Metafile(const EmfFrame& Frame = {}) const;

private:
    QByteArray records_;
    int count_ = 0;
};

// The body of an enhanced metafile record: 32-bit fields, then the bitmaps whose offsets and
// sizes the fields hold (counted from the record's start); padded to whole 32-bit words.
class EmfBody {
public:
    EmfBody(std::initializer_list<std::int64_t> Fields = {}) { (*this)(Fields); }
    EmfBody& operator()(std::initializer_list<std::int64_t> Fields);
    EmfBody& Raw(const QByteArray& Bytes);
    // The usage, then the offset and size of the header with its colour table and of the pixels;
    // or the usage after them.
    EmfBody& Dib(const std::pair<QByteArray, QByteArray>& Bitmap, std::uint32_t Usage = 0, bool UsageLast = false);
    operator QByteArray() const;

private:
    void put(std::uint32_t Value);
    void place(const QByteArray& Bytes);
    QByteArray fields_, data_;
    std::vector<std::pair<qsizetype, qsizetype>> places_;
};

// A bitmap as metafile records carry it: its header and colour table, then its pixels. Rows
// top first; 24 or 32 bits (Alpha then, one a pixel, row by row).
std::pair<QByteArray, QByteArray> RecordBitmap(int Width, const std::vector<std::vector<TColor>>& Rows, int Bits = 24,
                                               const std::vector<std::uint8_t>& Alpha = {});
// One bit a pixel, rows top first; the colour table black and white, or with PaletteIndices the
// 16-bit indices 1 and 0 of a table of palette indices.
std::pair<QByteArray, QByteArray> RecordMonoBitmap(int Width, const std::vector<std::vector<int>>& Rows,
                                                   bool PaletteIndices = false);

// The worked examples of imaging/formats/metafile/FORMAT.md.
QByteArray FormatExampleWmf(); // 96 x 48, a red rectangle (24, 12)-(72, 36)
QByteArray FormatExampleEmf(); // 96 x 48, a blue ellipse in (24, 12, 72, 36)

// Pictures that use most of the records the player knows (shapes, pens, brushes, text,
// bitmaps, clipping, mapping; paths and world transforms in the enhanced one): 400 x 300
// logical units on 160 x 120 pixels.
QByteArray SampleWmf();
QByteArray SampleEmf();
// Pictures of the records that work on pixels: bitmaps with raster operations, masks, blending
// and palettes, gradients, flood fills, regions, pattern brushes, and the other text records.
QByteArray SamplePixelsWmf();
QByteArray SamplePixelsEmf();

// ---- Icons (layout: imaging/formats/icon/FORMAT.md) ----
struct IconEntrySpec {
    std::uint32_t headerSize = 40;
    std::int32_t width = 8;
    std::int32_t height = 8;                  // the header holds twice this
    std::uint16_t bitCount = 1;
    std::uint32_t colorsUsed = 0;
    std::vector<TColor> palette;              // blue, green, red, 0 each
    std::vector<std::uint32_t> indices;       // top row first, width * height (missing: 0)
    std::vector<bool> mask;                   // top row first; true: transparent
};
QByteArray IconEntry(const IconEntrySpec& Spec);
// The directory (kind 1 icon, 2 cursor) and the entries after it.
QByteArray IconFile(const std::vector<QByteArray>& Entries, std::uint16_t Kind = 1);
// The worked example of imaging/formats/icon/FORMAT.md: 8 x 8, 1 bit.
QByteArray FormatExampleIcon();

// ---- JPEG files (layout: imaging/formats/jpeg/FORMAT.md) ----
// A baseline three-component JPEG of one flat gray, written marker by marker without a coder:
// a single one-bit code for "no difference" and one for "end of block" make every 8 x 8 block
// two bits, so a frame past the pixel memory is a few megabytes (19000 x 19000: 4.2 MB).
QByteArray FlatBaselineJpeg(int Width, int Height);
// A progressive colour JPEG of a 16 x 16 picture whose frame header claims Width x Height: a
// progressive decode keeps every coefficient of the full frame, so 30000 x 30000 and up pass
// the memory limit at any scale.
QByteArray ProgressiveJpegClaiming(int Width, int Height);
// The APP1 payload of an Exif block whose first directory holds only the orientation tag:
// the worked example of FORMAT.md for orientation 6, big-endian.
QByteArray ExifOrientationPayload(int Orientation, bool BigEndian = true);
// The file with an APP1 segment of Payload put right after its start marker.
QByteArray WithApp1(const QByteArray& Jpeg, const QByteArray& Payload);

// ---- Files that claim more than they hold ----
// FlatBaselineJpeg's header for Width x Height, ending right after the scan header.
QByteArray BaselineJpegWithoutData(int Width, int Height);
// A gray progressive JPEG of a 16 x 16 picture claiming Width x Height, of Scans scans: the
// picture's own (its first holding data unless FirstScanEmpty), then its first AC scan again
// and again, or only scan headers when the first is empty.
QByteArray GrayProgressiveJpegOfScans(int Width, int Height, int Scans, bool FirstScanEmpty);
// An RGB PackBits TIFF of one-row strips that all start at one offset, where one row is.
QByteArray TiffOfSharedStrips(int Width, int Height);
// A GIF whose one frame covers a Width x Height screen and holds no pixels.
QByteArray GifOfEmptyFrame(int Width, int Height);

// ---- Memory ----
// The high-water mark of the process's resident memory starts again from what it holds now.
void ResetPeakMemory();
// Resident memory now, and its high-water mark, in megabytes.
double ResidentMegabytes();
double PeakResidentMegabytes();

// ---- Images ----
// A deterministic picture: colour gradients with a few hard edges; for palette formats the
// indices cycle through the palette (8 bits: pGray256; 4 bits: pSys16; 1 bit: pBlackWhite).
std::unique_ptr<TPixelGraphic> MakePatternImage(int Width, int Height, TBitCountNum BitCountNum);

// Same size, format, palette and pixel bytes (padding excluded).
bool SamePixels(TPixelGraphic& A, TPixelGraphic& B);

// ---- Streams ----
// A random-access device over bytes that hands out at most a few bytes per read (cycling
// through the given sizes), as a slow pipe or network file would.
class ChunkedDevice : public QIODevice {
public:
    ChunkedDevice(QByteArray Data, std::vector<int> ChunkSizes);
    bool isSequential() const override { return false; }
    qint64 size() const override { return data_.size(); }
    bool seek(qint64 Position) override;
    int Reads() const { return reads_; }

protected:
    qint64 readData(char* Data, qint64 MaxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray data_;
    std::vector<int> chunks_;
    std::size_t next_ = 0;
    int reads_ = 0;
};

// The chunk patterns the short-read tests use: 1, 2, 3, 7, 43 and the cycle 1..43.
std::vector<std::vector<int>> ShortReadPatterns();

// ---- Fuzz seeds ----
struct Seed {
    QString name;
    QByteArray data;
};
// The seed files of a fuzz target ("fuzz_bmp", "fuzz_jpeg", "fuzz_gif", ...); empty for an unknown target.
std::vector<Seed> SeedsFor(const QString& Target);
