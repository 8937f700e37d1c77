#pragma once

#include "graphic.h"
#include "pgexceptions.h"
#include "pgobject.h"
#include "pgsettings.h"
#include "pgtypes.h"
#include "pixelmemory.h"

#include <QPainter>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QByteArray;
class QIODevice;
class QImage;
class QRect;
class TPGCanvas;

namespace platform {
class PromptService;
struct Prompt;
} // namespace platform

// What a coder does with a warning of its library, by the image's WarningAction.
enum class TWarningResponse {
    Continue, // ignored, or shown and confirmed
    Abort,    // the user cancelled: raise "<tag>: " + message 29
    Raise,    // raise the warning's text as an error
};

// Raises what TPixelGraphic::Allocate would for these dimensions (a negative side; pixel
// memory past MaxImageSize, also for sides past 31 bits) without making anything: readers call
// it right after a header, before they allocate for the image.
void CheckImageDimensions(std::int64_t Width, std::int64_t Height, TBitCountNum BitCountNum);

// The bytes of pixel memory of an image, each row padded to 4 bytes; INT64_MAX when the size
// would pass 63 bits.
std::int64_t ImageByteSize(std::int64_t Width, std::int64_t Height, TBitCountNum BitCountNum);

// The library's image: 1, 4, 8 or 24 bits per pixel, with a palette for the first three.
// Pixels live in our own memory as a bottom-up device-independent bitmap: image row y is
// storage row Height - 1 - y, each row padded to a multiple of 4 bytes. 1 bit: pixel x is bit
// 7 - x mod 8 of byte x div 8; 4 bits: even x the high nibble; 8 bits: one byte; 24 bits:
// blue, green, red.
//
// Not thread-safe: one image is used by one thread at a time.
class TPixelGraphic : public StreamableGraphic {
public:
    TPixelGraphic();
    ~TPixelGraphic() override;
    TPixelGraphic(const TPixelGraphic&) = delete;
    TPixelGraphic& operator=(const TPixelGraphic&) = delete;

    // Pixel memory above this refuses to be allocated.
    static constexpr std::int64_t MaxImageSize = std::int64_t(1) << 30;

    // ---- Geometry and storage ----
    // Raises EPGInvalidSize for a negative size and EPixelGraphic ("CreateDIBSection failed")
    // when the pixel memory would exceed MaxImageSize or cannot be had; the new size then stays
    // stored without pixel storage. The same three values again only Clear.
    void Allocate(int Width, int Height, TBitCountNum BitCountNum);
    // Takes Source's geometry and pixels, leaving Source empty; palette and settings stay this
    // image's. Nothing is copied.
    void TakePixels(TPixelGraphic& Source);
    int Width() const { return width_; }
    int Height() const { return height_; }
    TBitCountNum BitCountNum() const { return bitCountNum_; }
    void SetWidth(int Value);
    void SetHeight(int Value);
    void SetBitCountNum(TBitCountNum Value);
    int BitCount() const;   // 1, 4, 8 or 24
    int NumColors() const;  // 2, 16, 256, or 0 for 24 bits
    static TBitCountNum BitCountToNum(int BitCount);
    bool Empty() const { return !pixels_; }
    std::int64_t RowBytes() const { return rowBytes_; }
    std::int64_t ImageSize() const { return imageSize_; }
    // Bytes of the packed bitmap: header, colour table, pixels.
    std::int64_t DataSize() const;

    // Direct pixel access; pending drawing is flushed first. Null while the image is empty.
    std::uint8_t* Bits();
    std::uint8_t* ScanLine(int Row); // image row (top is 0)

    // ---- Pixels ----
    // Raw values: palette index, or colour for 24 bits. Outside the image: EPGXYIndexOutOfRange
    // with RangeCheck, else GetPixel gives the raw background and SetPixel does nothing.
    std::uint32_t GetPixel(int X, int Y);
    void SetPixel(int X, int Y, std::uint32_t Value);
    // Colours; an index past the palette reads as entry 0.
    TColor GetPixelColor(int X, int Y);
    void SetPixelColor(int X, int Y, TColor Color);
    // The background as a colour; for palette images it is kept as ColorToIndex of the colour.
    TColor Background() const;
    void SetBackground(TColor Color);
    void Clear();

    // ---- Palette ----
    int PaletteCount() const { return int(palette_.size()); }
    void SetPaletteCount(int Count);
    TColor GetPaletteEntry(int Index) const; // raises for a bad index (pTrueColor: Index itself)
    void SetPaletteEntry(int Index, TColor Color);
    TPaletteIdent PaletteIdent() const { return paletteIdent_; }
    // Builds the palette the ident names (pUnknown keeps the palette; pOptimized252Sys16 and
    // pSource build and store nothing).
    void SetPaletteIdent(TPaletteIdent Ident);
    const std::vector<TColor>& Palette() const { return palette_; }
    // Entry Index, or entry 0 for an index past the palette (black without entries): how
    // pixels are read.
    TColor PaletteColor(std::uint32_t Index) const;
    void CopyPalette(const TPixelGraphic& Source);
    // Names the palette by what it holds (black and white, grays, the system and special
    // palettes) and sets PaletteAllGray.
    void RecognisePaletteIdent();
    bool PaletteAllGray() const { return paletteAllGray_; }

    // ---- Colour matching ----
    static int Intensity(TColor Color, bool Weighted);
    // The palette index standing for a colour (the colour itself for pTrueColor).
    std::uint32_t ColorToIndex(TColor Color);
    void FreeColorCaches();

    // ---- Error diffusion (palette images written row by row) ----
    void InitDither();
    void NextDitherRow();
    void DitherPixel(int X, int Y, int R, int G, int B);
    void FreeDither();

    // ---- Settings ----
    bool Dither() const { return dither_; }
    void SetDither(bool Value) { dither_ = Value; }
    bool UseColorCache() const { return useColorCache_; }
    void SetUseColorCache(bool Value);
    bool FastJPEGDecode() const { return fastJPEGDecode_; }
    void SetFastJPEGDecode(bool Value) { fastJPEGDecode_ = Value; }
    bool WeightedGray() const { return weightedGray_; }
    void SetWeightedGray(bool Value);
    TStretchMode StretchMode() const { return stretchMode_; }
    void SetStretchMode(TStretchMode Value) { stretchMode_ = Value; }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value) { transparent_ = Value; }
    TWarningAction WarningAction() const { return warningAction_; }
    void SetWarningAction(TWarningAction Value) { warningAction_ = Value; }
    bool RangeCheck() const { return rangeCheck_; }
    void SetRangeCheck(bool Value) { rangeCheck_ = Value; }
    TColorResConversion ColorResConversion() const { return colorResConversion_; }
    void SetColorResConversion(TColorResConversion Value) { colorResConversion_ = Value; }
    long double Gamma() const { return gamma_; }
    void SetGamma(long double Value) { gamma_ = Value; }

    // ---- Changes and events ----
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    // Calls OnChange unless inside BeginUpdate/EndUpdate.
    void Changed();
    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent Handler) { onChange_ = std::move(Handler); }
    const TProgressEvent& OnProgress() const { return onProgress_; }
    void SetOnProgress(TProgressEvent Handler) { onProgress_ = std::move(Handler); }
    const TNotifyEvent& OnProgressBegin() const { return onProgressBegin_; }
    void SetOnProgressBegin(TNotifyEvent Handler) { onProgressBegin_ = std::move(Handler); }
    const TNotifyEvent& OnProgressEnd() const { return onProgressEnd_; }
    void SetOnProgressEnd(TNotifyEvent Handler) { onProgressEnd_ = std::move(Handler); }
    // Fire the progress events when assigned; the sender is the image unless given.
    // Progress gives the abort flag the handler left.
    void ProgressBegin(PGObject* Sender = nullptr);
    bool Progress(int Done, int Total, PGObject* Sender = nullptr);
    void ProgressEnd(PGObject* Sender = nullptr);

    // ---- Questions and warnings ----
    // The image's own prompt service, else the library's (PixelGraphicPrompts).
    platform::PromptService* PromptService() const;
    void SetPromptService(platform::PromptService* Service) { prompts_ = Service; }
    // Shows the prompt when a service is there and this is the user-interface thread;
    // otherwise nothing is asked and nothing comes back.
    std::optional<int> AskUser(const platform::Prompt& Prompt) const;
    // Applies WarningAction to a coder's warning: 1 shows Text in a warning box captioned
    // Caption, 2 asks OK/Cancel (Cancel aborts); off the user-interface thread 1 and 2 ignore.
    TWarningResponse RespondToWarning(const QString& Caption, const QString& Text) const;

    // ---- Copies ----
    // Pixels, palette and settings of the source (none: an empty 24-bit image).
    void Assign(TPixelGraphic* Source);

    // ---- Canvas and drawing ----
    // The image's canvas, made on first use; drawing reaches the pixels before any direct
    // pixel access.
    TPGCanvas& Canvas();
    // Writes pending drawing back into the pixels and ends the canvas's drawing session.
    void FlushCanvas();
    void Draw(QPainter& Target, const QRect& Rect);
    void DrawOn(QPainter& Target, const QRect& Rect, bool Background, QPainter::CompositionMode Rop);
    // The pixels as a top-down 32-bit image (palette looked up), for drawing at the edges.
    QImage ToQImage();

    // ---- Resampling ----
    void StretchFrom(TPixelGraphic& Source);
    void StretchRect(int DstLeft, int DstTop, int DstWidth, int DstHeight, int SrcLeft, int SrcTop,
                     int SrcWidth, int SrcHeight, TPixelGraphic& Source);
    void CopyRect(int DstLeft, int DstTop, int DstWidth, int DstHeight, int SrcLeft, int SrcTop,
                  int SrcWidth, int SrcHeight, TPixelGraphic& Source);

    // ---- Colour reduction ----
    // An optimised palette of at most Count colours from the source's colours, optionally
    // followed by the 16 system colours; the pixels are left to StretchFrom.
    void ReduceColorsFrom(TPixelGraphic& Source, int Count, bool AddSystemColors);

    // ---- Loading and saving (through the library's format registry) ----
    // Loads with the reader found by signature, then by the name's extension; gamma is
    // corrected to the library default and the palette recognised. A failure leaves the image
    // empty or partly loaded.
    void LoadFromFile(const QString& FileName);
    void LoadFromFileIndex(const QString& FileName, int ImageIndex);
    // By signature only.
    void LoadFromStream(QIODevice& Stream) override;
    void LoadFromStreamIndex(QIODevice& Stream, const QString& Extension, int ImageIndex);
    // Saves with the writer of the name's extension, converting to a colour resolution it
    // stores as ColorResConversion allows. The file is replaced only by a complete new one; a
    // link at the name is replaced, not written through, and a read-only file is kept (fails).
    // Without options the library's save settings as they stand are used; a save off the
    // user-interface thread passes its own.
    void SaveToFile(const QString& FileName, const SaveOptions& Options = CurrentSaveOptions());
    // Always BMP, unconverted.
    void SaveToStream(QIODevice& Stream) override;
    void SaveToStreamAs(QIODevice& Stream, const QString& Extension, const SaveOptions& Options = CurrentSaveOptions());
    // A 32-bit byte count, then the image as BMP.
    void ReadData(QIODevice& Stream);
    void WriteData(QIODevice& Stream);
    // Packed bitmaps (header, colour table, pixels); the palette handle is not used.
    static constexpr std::uint16_t ClipboardBitmap = 2;
    static constexpr std::uint16_t ClipboardDIB = 8;
    void LoadFromClipboardFormat(std::uint16_t Format, const QByteArray* Data, std::uintptr_t Palette);
    void SaveToClipboardFormat(std::uint16_t& Format, QByteArray& Data, std::uintptr_t& Palette);
    // Through a BMP in memory: the other graphic saves itself and this one loads (or back).
    void LoadFromGraphic(StreamableGraphic& Graphic);
    void CopyToGraphic(StreamableGraphic& Target);

private:
    friend class TPGCanvas;
    friend class StretchRun;
    struct DitherState;
    struct ColorCache;

    void freeStorage();
    void ensureFlushed()
    {
        if (flushPending_)
            FlushCanvas();
    }
    bool inside(int X, int Y) const { return X >= 0 && Y >= 0 && X < width_ && Y < height_; }
    bool checkInside(int X, int Y) const; // raises with RangeCheck
    std::uint8_t* rowAddress(int Y) const;
    std::uint32_t readPixel(int X, int Y) const;
    void writePixel(int X, int Y, std::uint32_t Value);
    TColor readColor(int X, int Y) const;
    void writeColor(int X, int Y, TColor Color); // 24 bits: the bytes; else ColorToIndex
    void invalidateColorMatch();
    void storePaletteIdent(TPaletteIdent Ident);
    std::uint32_t computeColorToIndex(TColor Color);
    std::uint32_t nearestEntry(TColor Color) const;
    std::uint32_t cachedNearestEntry(TColor Color);
    void reduceByBoxes(TPixelGraphic& Source, int Count);
    void reduceByOctree(TPixelGraphic& Source, int Count);

    std::uint32_t background_ = 0; // colour for 24 bits, else a palette index
    TBitCountNum bitCountNum_ = bcn24Bit;
    int width_ = 0;
    int height_ = 0;
    std::int64_t rowBytes_ = 0;
    std::int64_t imageSize_ = 0;
    PixelMemory pixels_;

    std::vector<TColor> palette_;
    TPaletteIdent paletteIdent_ = pTrueColor;
    bool paletteAllGray_ = false;

    bool dither_ = true;
    bool useColorCache_ = true;
    bool fastJPEGDecode_ = false;
    bool weightedGray_ = true;
    TStretchMode stretchMode_ = smPrecise;
    bool transparent_ = false;
    TWarningAction warningAction_ = waAskAbort;
    bool rangeCheck_ = false;
    TColorResConversion colorResConversion_ = crcAsk;
    long double gamma_;
    int updateCount_ = 0;

    TNotifyEvent onChange_;
    TProgressEvent onProgress_;
    TNotifyEvent onProgressBegin_;
    TNotifyEvent onProgressEnd_;
    platform::PromptService* prompts_ = nullptr;

    // The one-entry memory of ColorToIndex and the cell cache of pUnknown palettes.
    TColor lastColor_ = 0;
    std::uint32_t lastIndex_ = 0;
    bool lastInvalid_ = true;
    std::unique_ptr<ColorCache> colorCache_;

    std::unique_ptr<DitherState> ditherState_;

    std::unique_ptr<TPGCanvas> canvas_;
    bool flushPending_ = false;
};
