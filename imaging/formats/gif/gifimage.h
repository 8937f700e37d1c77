#pragma once
// The GIF image: the file as a tree of items (header with the global colour map, frames with
// their local maps and extensions, trailer). It reads and writes GIF87a/GIF89a files, renders
// frames into library pixel images, draws them and hands animation to TGIFPainter. Byte
// layouts: FORMAT.md beside this file.
//
// One image is used by one thread at a time; only its painters reach into it from their own
// threads, and only through the user-interface thread (gifpainter.h).

#include "giftexts.h"

#include "imaging/graphic.h"
#include "imaging/pgtypes.h"
#include "imaging/pixelmemory.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class ByteReader;
class QIODevice;
class QPainter;
class TGIFCanvas;
class TGIFClock;
class TGIFImage;
class TGIFPainter;
class TGIFSubImage;
class TPixelGraphic;

enum TGIFVersion : std::uint8_t { gvUnknown, gv87a, gv89a };
// "87a" or "89a" ("" for unknown).
QString GIFVersionText(TGIFVersion Version);

// Base of every file item: it belongs to an image, which hears its warnings.
class TGIFItem : public PGObject {
public:
    explicit TGIFItem(TGIFImage* Image) : image_(Image) {}
    TGIFImage* Image() const { return image_; }

    // The version of the format the item needs.
    virtual TGIFVersion Version() const { return gv87a; }
    // Passes a warning to the owning image, with this item as the sender.
    virtual void Warning(int Severity, const QString& Message);
    // Writes the item at the stream's position.
    virtual void SaveToStream(QIODevice& Stream) const = 0;
    // Reads the item from its first byte on.
    virtual void LoadFromStream(ByteReader& Stream) = 0;

protected:
    void warn(const char* Text) { Warning(1, QString::fromLatin1(Text)); }
    void setImage(TGIFImage* Image) { image_ = Image; }

private:
    TGIFImage* image_;
};

// An owning list of items of one image. Frames are held in shared ownership: a running painter
// keeps the frames it walks.
template <class Item> class TGIFList {
public:
    explicit TGIFList(TGIFImage* Image) : image_(Image) {}
    TGIFImage* Image() const { return image_; }
    int Count() const { return int(items_.size()); }
    Item& Items(int Index) const { return *items_.at(std::size_t(Index)); }
    const std::shared_ptr<Item>& Shared(int Index) const { return items_.at(std::size_t(Index)); }
    int Add(std::shared_ptr<Item> Value)
    {
        items_.push_back(std::move(Value));
        return Count() - 1;
    }
    void Clear() { items_.clear(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    TGIFImage* image_;
    std::vector<std::shared_ptr<Item>> items_;
};

// A colour table of at most 256 entries (file order red, green, blue).
class TGIFColorMap : public PGObject {
public:
    static constexpr int MaxColors = 256;

    int Count() const { return int(colors_.size()); }
    const std::vector<TColor>& Colors() const { return colors_; }
    // Raise "Invalid color index" outside the table.
    TColor Color(int Index) const;
    void SetColor(int Index, TColor Color);
    // Appends a colour and gives its index; past 256 entries raises "Color table overflow".
    int Add(TColor Color);
    // The first entry of exactly this colour, or -1.
    int IndexOf(TColor Color) const;
    // The whole table (more than 256 entries raises "Color table overflow").
    void Assign(const std::vector<TColor>& Colors);
    void Clear();
    // The smallest n from 1 to 8 with 2^n entries holding the table; 0 when empty.
    int BitsPerEntry() const;
    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value) { sorted_ = Value; }

    // Count triples; a count outside 2..256 raises BadCountText.
    void LoadFromStream(ByteReader& Stream, int Count, const char* BadCountText);
    // The entries, padded with black to 2^BitsPerEntry.
    void SaveToStream(QByteArray& Out) const;

private:
    std::vector<TColor> colors_;
    bool sorted_ = false;
};
using TGIFGlobalColorMap = TGIFColorMap;
using TGIFLocalColorMap = TGIFColorMap;

// Signature, version and logical screen descriptor as the file has them, and the global map.
class TGIFHeader : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    std::array<char, 6> Signature{'G', 'I', 'F', '8', '7', 'a'};
    std::uint16_t ScreenWidth = 0;
    std::uint16_t ScreenHeight = 0;
    std::uint8_t Packed = 0;
    std::uint8_t BackgroundIndex = 0;
    std::uint8_t AspectRatio = 0;
    TGIFGlobalColorMap& ColorMap() { return colorMap_; }
    const TGIFGlobalColorMap& ColorMap() const { return colorMap_; }

    void Clear();
    void LoadFromStream(ByteReader& Stream) override;
    // "GIF", the image's version, the descriptor with its packed byte rebuilt, the map.
    void SaveToStream(QIODevice& Stream) const override;

private:
    TGIFGlobalColorMap colorMap_;
};

// The terminating byte 3B.
class TGIFTrailer : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    // A byte other than 3B warns "Invalid Image trailer"; no byte at all is fine.
    void LoadFromStream(ByteReader& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
};

// ---- Extensions ----

class TGIFExtension : public TGIFItem {
public:
    explicit TGIFExtension(TGIFSubImage* Frame);
    TGIFSubImage* Frame() const { return frame_; }
    virtual std::uint8_t Label() const = 0;
    TGIFVersion Version() const override { return gv89a; }
    // From the introducer 21 on; a label other than the class's raises "Internal error:
    // Extension Instance does not match Extension Label".
    void LoadFromStream(ByteReader& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    // The same extension for another frame.
    virtual std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* Frame) const = 0;
    // What follows the label.
    virtual void LoadData(ByteReader& Stream) = 0;

protected:
    virtual void SaveData(QByteArray& Out) const = 0;
    // A copy of an extension of class T, belonging to another frame.
    template <class T> static std::unique_ptr<TGIFExtension> cloneFor(const T& Source, TGIFSubImage* Frame)
    {
        auto copy = std::make_unique<T>(Source);
        static_cast<TGIFExtension&>(*copy).rebind(Frame);
        return copy;
    }

private:
    void rebind(TGIFSubImage* Frame);

    TGIFSubImage* frame_;
};

enum TGIFDisposal : std::uint8_t { dmNone, dmDoNotDispose, dmBackground, dmPrevious };

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    static constexpr std::uint8_t ClassLabel = 0xF9;
    using TGIFExtension::TGIFExtension;
    std::uint8_t Label() const override { return ClassLabel; }
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* Frame) const override;
    void LoadData(ByteReader& Stream) override;

    std::uint8_t Packed = 0;
    std::uint16_t Delay = 0; // hundredths of a second
    std::uint8_t TransparentColorIndex = 0;

    int Disposal() const { return (Packed >> 2) & 7; }
    void SetDisposal(int Value) { Packed = std::uint8_t((Packed & ~0x1C) | ((Value & 7) << 2)); }
    bool Transparent() const { return Packed & 0x01; }
    void SetTransparent(bool Value) { Packed = std::uint8_t(Value ? Packed | 0x01 : Packed & ~0x01); }
    bool UserInput() const { return Packed & 0x02; }
    // An index outside the frame's colours raises "Invalid color index".
    void SetTransparentIndex(int Index);

protected:
    void SaveData(QByteArray& Out) const override;
};

class TGIFTextExtension : public TGIFExtension {
public:
    static constexpr std::uint8_t ClassLabel = 0x01;
    using TGIFExtension::TGIFExtension;
    std::uint8_t Label() const override { return ClassLabel; }
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* Frame) const override;
    void LoadData(ByteReader& Stream) override;

    std::array<std::uint8_t, 12> Header{}; // text grid, cell size and colours
    QStringList Text;                     // one string per data sub-block

protected:
    void SaveData(QByteArray& Out) const override;
};

class TGIFCommentExtension : public TGIFExtension {
public:
    static constexpr std::uint8_t ClassLabel = 0xFE;
    using TGIFExtension::TGIFExtension;
    std::uint8_t Label() const override { return ClassLabel; }
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* Frame) const override;
    void LoadData(ByteReader& Stream) override;

    QStringList Text; // one string per data sub-block (longer ones are written in parts)

protected:
    void SaveData(QByteArray& Out) const override;
};

class TGIFApplicationExtension : public TGIFExtension {
public:
    static constexpr std::uint8_t ClassLabel = 0xFF;
    using TGIFExtension::TGIFExtension;
    std::uint8_t Label() const override { return ClassLabel; }
    // The block size (11) and the identifier, then the data of the class the identifier names.
    void LoadData(ByteReader& Stream) override;

    QByteArray Identifier = QByteArray(8, ' ');     // 8 bytes
    QByteArray Authentication = QByteArray(3, ' '); // 3 bytes

    // The data sub-blocks after the identifier, up to and including the 0 terminator.
    virtual void LoadAppData(ByteReader& Stream) = 0;

protected:
    void SaveData(QByteArray& Out) const override;
    virtual void SaveAppData(QByteArray& Out) const = 0;
};

// An application block of no known kind: its data sub-blocks kept as they are.
class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    using TGIFApplicationExtension::TGIFApplicationExtension;
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* Frame) const override;
    void LoadAppData(ByteReader& Stream) override;
    std::vector<QByteArray> Blocks; // each 1 to 255 bytes

protected:
    void SaveAppData(QByteArray& Out) const override;
};

// The loop block ("NETSCAPE2.0", "ANIMEXTS1.0"): how often the animation plays.
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    explicit TGIFAppExtNSLoop(TGIFSubImage* Frame);
    std::unique_ptr<TGIFExtension> Clone(TGIFSubImage* Frame) const override;
    // Sub-block size 3, identifier 1, the count, terminator; anything else is "Invalid GIF data".
    void LoadAppData(ByteReader& Stream) override;
    std::uint16_t Loops = 0; // 0: for ever

protected:
    void SaveAppData(QByteArray& Out) const override;
};

// The extension classes by label and the application classes by identifier: built by the
// library start (InitPGraphic), read-only afterwards, so loads on several threads share them.
void BuildGIFExtensionRegistry();
void FreeGIFExtensionRegistry();
// Reads an extension whose introducer and label have been read; an unknown label raises
// "Unknown extension type".
std::unique_ptr<TGIFExtension> LoadGIFExtension(std::uint8_t Label, TGIFSubImage* Frame, ByteReader& Stream);
// The application extension class for an identifier and authentication code (11 bytes).
std::unique_ptr<TGIFApplicationExtension> MakeGIFApplicationExtension(const QByteArray& Key, TGIFSubImage* Frame);

using TGIFExtensionList = TGIFList<TGIFExtension>;

// ---- Frames ----

class TGIFSubImage : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* Image);
    ~TGIFSubImage() override;

    // The image descriptor as the file has it.
    std::uint16_t Left = 0, Top = 0;
    int Width() const { return width_; }
    int Height() const { return height_; }
    std::uint8_t Packed = 0; // 0x80 local map, 0x40 interlaced, 0x20 sorted, low 3 bits map size
    bool Interlaced() const { return Packed & 0x40; }
    QRect BoundsRect() const { return QRect(Left, Top, width_, height_); }

    TGIFLocalColorMap& ColorMap() { return colorMap_; }
    const TGIFLocalColorMap& ColorMap() const { return colorMap_; }
    TGIFExtensionList& Extensions() { return extensions_; }
    const TGIFExtensionList& Extensions() const { return extensions_; }
    // The first graphic control block, or null.
    TGIFGraphicControlExtension* GraphicControlExtension() const;

    // One colour index per pixel, top row first; empty when the frame has no image.
    bool Empty() const { return !data_; }
    const std::uint8_t* Data() const { return data_.get(); }
    // For writing pixels: the bitmaps made of them go.
    std::uint8_t* Data();
    // New zeroed pixels (pages untouched until written, so a file that claims a large frame
    // costs memory only for what it decodes); more than 1 GiB or a failed allocation raises
    // "Failed to allocate memory for GIF DIB".
    void SetSize(std::uint16_t Width, std::uint16_t Height);
    // The map the pixels index: the local one when it has entries, else the image's global one.
    const std::vector<TColor>& ActiveColors() const;

    TGIFVersion Version() const override;
    void LoadFromStream(ByteReader& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    // A copy of the frame (pixels, map, extensions) for another image.
    std::shared_ptr<TGIFSubImage> Clone(TGIFImage* Image) const;
    // The frame made of a pixel image of 1, 4 or 8 bits: its palette becomes the local map,
    // indices past it are 0 (progress "Converting...").
    void AssignBitmap(TPixelGraphic& Bitmap);

    // The colours of the pixels: the active map, padded with black as far as they index.
    std::vector<TColor> Palette() const;
    // The frame as an 8-bit library image of its size with that palette ("Rendering..."), made
    // on demand and kept.
    TPixelGraphic& Bitmap();
    // 1-bit, 1 where the pixel is the transparent index; null without transparency.
    TPixelGraphic* Mask();
    bool HasBitmap() const { return bitmap_ != nullptr; }
    void FreeBitmap();
    // Where the frame lies when the logical screen is mapped onto Target: each edge scaled by
    // multiply-divide and offset by Target's origin.
    QRect TargetRect(const QRect& Target) const;
    // Draws the frame there; through the mask when Transparent and the frame has one.
    void Draw(QPainter& Painter, const QRect& Target, bool Transparent);

private:
    std::uint8_t largestIndex() const;
    void noteIndices(const std::uint8_t* Pixels, std::int64_t Count);

    int width_ = 0, height_ = 0;
    TGIFLocalColorMap colorMap_;
    TGIFExtensionList extensions_;
    PixelMemory data_;
    std::int64_t dataSize_ = 0;
    // The largest index, known after loading without a scan (pages never written stay unread).
    mutable std::optional<std::uint8_t> largestIndex_;
    std::unique_ptr<TPixelGraphic> bitmap_;
    std::unique_ptr<TPixelGraphic> mask_;
};

class TGIFImageList : public TGIFList<TGIFSubImage> {
public:
    using TGIFList::TGIFList;
    // Frames in file order until the trailer; progress "Loading...".
    void LoadFromStream(ByteReader& Stream);
    // Frames in order; progress "Saving...".
    void SaveToStream(QIODevice& Stream) const;
};

// ---- The image ----

// Members of the draw options.
enum TGIFDrawOption : std::uint8_t {
    doOwnThread = 0,           // animate on the painter's own thread (off: in Draw's caller)
    doTransparent = 1,         // draw through the frames' masks
    doAnimate = 2,
    doUnused3 = 3,
    doLoopForever = 4,         // whatever the loop block says
    doCheckCanvas = 5,         // kept for option sets: a painter always checks its canvas is still there
    doDrawOnCanvas = 6,        // the painter draws straight onto Draw's canvas, not the first-frame bitmap
    doFixedPalette = 7,        // the palette is the fixed 216 colours...
    doFixedPaletteLowColor = 8, // ...only on screens of at most 256 colours
};
using TGIFDrawOptions = std::uint16_t;
constexpr TGIFDrawOptions GIFDrawOption(TGIFDrawOption Option) { return TGIFDrawOptions(1u << Option); }
inline constexpr TGIFDrawOptions DefaultGIFDrawOptions =
    GIFDrawOption(doOwnThread) | GIFDrawOption(doTransparent) | GIFDrawOption(doAnimate) | GIFDrawOption(doUnused3)
    | GIFDrawOption(doFixedPalette) | GIFDrawOption(doFixedPaletteLowColor);

// What a painter reports: the start of a run, each new loop, before and after each frame, the
// end. The sender is the painter.
struct TGIFPaintEvents {
    TNotifyEvent OnStartPaint, OnLoop, OnPaint, OnAfterPaint, OnEndPaint;
};

using TGIFWarningEvent = std::function<void(PGObject* Sender, int Severity, const QString& Message)>;
// Percent done and what is being done ("Loading...", "Saving...", "Copying...",
// "Converting...", "Rendering...").
using TGIFProgressEvent = std::function<void(PGObject* Sender, int Percent, const QString& Text)>;

class TGIFImage : public StreamableGraphic {
public:
    TGIFImage();
    // Stops and joins the painters first.
    ~TGIFImage() override;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    TGIFHeader& Header() { return header_; }
    const TGIFHeader& Header() const { return header_; }
    TGIFImageList& Images() { return images_; }
    const TGIFImageList& Images() const { return images_; }

    // ---- The graphic ----
    // The logical screen; a side of 0 counts as the first frame's right or bottom edge.
    int Width() const;
    int Height() const;
    // A side smaller than a frame's right or bottom edge raises "Image width (height) too small
    // for contained frames".
    void SetWidth(std::uint16_t Value);
    void SetHeight(std::uint16_t Value);
    bool Empty() const { return images_.Count() == 0; }
    bool Equals(const TGIFImage& Other) const { return this == &Other; }
    // The highest version the frames need; none without frames.
    TGIFVersion Version() const;
    // Frames freed, header reset (painters stopped and joined first).
    void Clear();
    // Drops the first-frame bitmap and the palette made, and calls OnChange.
    void Changed();

    // ---- Copies ----
    // Another GIF image: header and frames ("Copying..."); a pixel image: a one-frame GIF, its
    // palette the global map ("Converting...", 24 bits reduced to 256 colours first); null:
    // cleared. Anything else raises "Object type not supported for operation".
    void Assign(PGObject* Source);
    // Into a pixel image: the first-frame bitmap ("Image has no DIB" without one), made straight
    // into Dest when not made yet.
    void AssignTo(TPixelGraphic& Dest);
    // Appends a pixel image (as a new frame) or a copy of a frame; the screen grows to hold it,
    // with warnings. The new frame's index.
    int Add(PGObject& Source);

    // ---- Palette ----
    // The first-frame bitmap's palette when it exists; else (made once until Changed) the fixed
    // 216 colours when the draw options ask for them, else the global map, else the first
    // frame's. None without a frame with pixels. A call while it is being made raises "No
    // global or local color table defined".
    std::vector<TColor> GetPalette();
    // Replaces the global map.
    void SetPalette(const std::vector<TColor>& Palette);

    // ---- Bitmaps and drawing ----
    // The first frame on the logical screen as an 8-bit image, made on demand until Changed:
    // a copy of the frame's bitmap when it covers the screen; else the screen size on index 0
    // of GetPalette, the frame at its place in the nearest colours. Null without a frame with
    // pixels.
    TPixelGraphic* Bitmap();
    // Draws onto a canvas (user-interface thread). Several frames with the animate option hand
    // the work to a painter.
    void Draw(TGIFCanvas& Canvas, const QRect& Rect);
    void Draw(QPainter& Painter, const QRect& Rect);

    // ---- Streams ----
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) override;
    void LoadFromFile(const QString& FileName);
    // Written beside the target and renamed over it only when complete, as
    // TPixelGraphic::SaveToFile replaces what is there.
    void SaveToFile(const QString& FileName);
    // The clipboard holds the plain GIF bytes.
    void LoadFromClipboardFormat(const QByteArray& Data);
    void SaveToClipboardFormat(QByteArray& Data);

    // ---- Events and settings ----
    // Calls OnWarning when assigned.
    virtual void Warning(PGObject* Sender, int Severity, const QString& Message);
    void SetOnWarning(TGIFWarningEvent Handler) { onWarning_ = std::move(Handler); }
    void SetOnProgress(TGIFProgressEvent Handler) { onProgress_ = std::move(Handler); }
    void SetOnChange(TNotifyEvent Handler) { onChange_ = std::move(Handler); }
    void Progress(int Percent, const char* Text);

    TGIFDrawOptions DrawOptions() const { return drawOptions_; }
    void SetDrawOptions(TGIFDrawOptions Options) { drawOptions_ = Options; }
    bool HasDrawOption(TGIFDrawOption Option) const { return drawOptions_ & GIFDrawOption(Option); }
    // None: the header's background index in the global map, else the window colour.
    std::optional<TColor> BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(std::optional<TColor> Color) { backgroundColor_ = Color; }
    // The painter threads' priority, 0 (idle) to 6 (time critical).
    int ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(int Value) { threadPriority_ = Value; }

    // ---- Painters ----
    // Handed to every painter Draw makes.
    TGIFPaintEvents& PaintEvents() { return paintEvents_; }
    // The clock painters keep time by (the steady clock unless a test gives its own).
    void SetClock(std::shared_ptr<TGIFClock> Clock);
    // The painter Draw made last while it runs; null when none.
    TGIFPainter* Painter() const { return painter_.get(); }
    int PainterCount() const;
    // Tells every painter to stop and waits for their threads, handling their calls meanwhile;
    // the first-frame bitmap goes.
    void StopPainters();

private:
    friend class TGIFPainter;

    void drawFirstFrame(TGIFCanvas& Canvas, const QRect& Rect);
    void drawBitmap(TGIFCanvas& Canvas, const QRect& Rect);
    void animate(TGIFCanvas& Canvas, const QRect& Rect);
    void stopCurrentPainter();
    void reapPainters();
    void painterEnded(TGIFPainter* Painter);
    void dropBitmap();
    bool hasFirstFrame();
    // The first-frame bitmap (as Bitmap describes it) made into Into.
    void renderFirstFrame(TPixelGraphic& Into);

    TGIFHeader header_;
    TGIFImageList images_;
    std::unique_ptr<TPixelGraphic> bitmap_;
    std::optional<std::vector<TColor>> palette_;
    bool makingPalette_ = false;
    bool drawing_ = false;

    TGIFDrawOptions drawOptions_ = DefaultGIFDrawOptions;
    std::optional<TColor> backgroundColor_;
    int threadPriority_ = 3;

    TGIFWarningEvent onWarning_;
    TGIFProgressEvent onProgress_;
    TNotifyEvent onChange_;

    TGIFPaintEvents paintEvents_;
    std::shared_ptr<TGIFClock> clock_;
    mutable std::mutex paintersMutex_;
    std::vector<std::shared_ptr<TGIFPainter>> painters_;
    std::shared_ptr<TGIFPainter> painter_;
    std::unique_ptr<TGIFCanvas> bitmapCanvas_; // the first-frame bitmap as a painter's canvas
};

// The screen depth the palette rules see: image bitmaps are 24-bit.
inline constexpr int GIFScreenBitsPerPixel = 24;
