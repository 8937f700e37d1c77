#include "pixelgraphic.h"
#include "pixelgraphicstate.h"

#include "palettes.h"
#include "pgcanvas.h"
#include "pgmessages.h"
#include "pgsettings.h"
#include "pixelmemory.h"

#include "platform/prompts.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int kBitCounts[4] = {1, 4, 8, 24};
constexpr int kMaxPaletteCount = 256;

bool onUserInterfaceThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

TPixelGraphic::TPixelGraphic() : gamma_(PixelGraphicDefaultGamma) {}

TPixelGraphic::~TPixelGraphic()
{
    // The pixels go with the image; pending drawing need not reach them.
    canvas_.reset();
}

// ---- Geometry and storage ----

namespace {

void checkSides(std::int64_t Width, std::int64_t Height)
{
    if (Width < 0)
        throw EPGInvalidSize(PGLangStr(PgMsg::NegativeWidth));
    if (Height < 0)
        throw EPGInvalidSize(PGLangStr(PgMsg::NegativeHeight));
}

[[noreturn]] void raiseNoPixelMemory()
{
    throw EPixelGraphic(PGLangStrS1(PgMsg::Failed, QStringLiteral("CreateDIBSection")));
}

std::int64_t paddedRowBytes(std::int64_t Width, TBitCountNum BitCountNum)
{
    return (std::int64_t(kBitCounts[BitCountNum]) * Width + 31) / 32 * 4;
}

} // namespace

std::int64_t ImageByteSize(std::int64_t Width, std::int64_t Height, TBitCountNum BitCountNum)
{
    // Both sides are below 2^32, so the row fits; two such sides of 24-bit pixels pass 63 bits,
    // and such a size only has to read as too large.
    const std::int64_t rowBytes = paddedRowBytes(Width, BitCountNum);
    return Height > 0 && rowBytes > INT64_MAX / Height ? INT64_MAX : Height * rowBytes;
}

void CheckImageDimensions(std::int64_t Width, std::int64_t Height, TBitCountNum BitCountNum)
{
    checkSides(Width, Height);
    if (BitCountNum > bcn24Bit)
        throw EPGInvalidBitCountNum(PGLangStrS1(PgMsg::InvalidValueFor, QStringLiteral("BitCountNum")));
    if (Width > INT32_MAX || Height > INT32_MAX
        || ImageByteSize(Width, Height, BitCountNum) > TPixelGraphic::MaxImageSize)
        raiseNoPixelMemory();
}

TBitCountNum TPixelGraphic::BitCountToNum(int BitCount)
{
    for (int num = 0; num < 4; ++num)
        if (kBitCounts[num] == BitCount)
            return TBitCountNum(num);
    throw EPGInvalidBitCountNum(PGLangStrS1(PgMsg::InvalidValueFor, QStringLiteral("BitCountNum")));
}

int TPixelGraphic::BitCount() const
{
    return kBitCounts[bitCountNum_];
}

int TPixelGraphic::NumColors() const
{
    return bitCountNum_ == bcn24Bit ? 0 : 1 << BitCount();
}

void TPixelGraphic::Allocate(int Width, int Height, TBitCountNum BitCountNum)
{
    checkSides(Width, Height);
    if (BitCountNum > bcn24Bit)
        throw EPGInvalidBitCountNum(PGLangStrS1(PgMsg::InvalidValueFor, QStringLiteral("BitCountNum")));
    // The same geometry keeps its storage and is only cleared (a failed allocation is retried).
    if (Width == width_ && Height == height_ && BitCountNum == bitCountNum_ && (pixels_ || imageSize_ == 0)) {
        Clear();
        return;
    }
    FlushCanvas(); // pending drawing belongs to the old geometry
    width_ = Width;
    height_ = Height;
    bitCountNum_ = BitCountNum;
    freeStorage();
    rowBytes_ = paddedRowBytes(width_, bitCountNum_);
    imageSize_ = ImageByteSize(width_, height_, bitCountNum_);
    if (imageSize_ == 0) {
        Changed();
        return;
    }
    if (PaletteCount() > NumColors())
        SetPaletteCount(NumColors());
    if (bitCountNum_ == bcn24Bit)
        storePaletteIdent(pTrueColor);
    if (imageSize_ <= MaxImageSize)
        pixels_ = MakePixelMemory(std::size_t(imageSize_));
    if (!pixels_)
        raiseNoPixelMemory();
    Changed();
}

void TPixelGraphic::TakePixels(TPixelGraphic& Source)
{
    if (&Source == this)
        return;
    FlushCanvas();
    Source.FlushCanvas();
    freeStorage();
    width_ = std::exchange(Source.width_, 0);
    height_ = std::exchange(Source.height_, 0);
    bitCountNum_ = Source.bitCountNum_;
    rowBytes_ = std::exchange(Source.rowBytes_, 0);
    imageSize_ = std::exchange(Source.imageSize_, 0);
    pixels_ = std::move(Source.pixels_);
    if (PaletteCount() > NumColors())
        SetPaletteCount(NumColors());
    if (bitCountNum_ == bcn24Bit)
        storePaletteIdent(pTrueColor);
    Source.Changed();
    Changed();
}

void TPixelGraphic::freeStorage()
{
    pixels_.reset();
}

void TPixelGraphic::SetWidth(int Value)
{
    if (Value != width_)
        Allocate(Value, height_, bitCountNum_);
}

void TPixelGraphic::SetHeight(int Value)
{
    if (Value != height_)
        Allocate(width_, Value, bitCountNum_);
}

void TPixelGraphic::SetBitCountNum(TBitCountNum Value)
{
    if (Value != bitCountNum_)
        Allocate(width_, height_, Value);
}

std::int64_t TPixelGraphic::DataSize() const
{
    const std::int64_t rest = 4 * std::int64_t(PaletteCount()) + 58;
    return imageSize_ > INT64_MAX - rest ? INT64_MAX : imageSize_ + rest;
}

std::uint8_t* TPixelGraphic::Bits()
{
    ensureFlushed();
    return pixels_.get();
}

std::uint8_t* TPixelGraphic::ScanLine(int Row)
{
    ensureFlushed();
    if (!pixels_ || Row < 0 || Row >= height_)
        return nullptr;
    return rowAddress(Row);
}

std::uint8_t* TPixelGraphic::rowAddress(int Y) const
{
    return pixels_.get() + std::int64_t(height_ - 1 - Y) * rowBytes_;
}

// ---- Pixels ----

std::uint32_t TPixelGraphic::readPixel(int X, int Y) const
{
    const std::uint8_t* row = rowAddress(Y);
    switch (bitCountNum_) {
    case bcn1Bit:
        return (row[X >> 3] >> (7 - (X & 7))) & 1;
    case bcn4Bit:
        return (X & 1) ? row[X >> 1] & 0x0F : row[X >> 1] >> 4;
    case bcn8Bit:
        return row[X];
    default: {
        const std::uint8_t* p = row + std::int64_t(X) * 3;
        return RGBColor(p[2], p[1], p[0]);
    }
    }
}

void TPixelGraphic::writePixel(int X, int Y, std::uint32_t Value)
{
    std::uint8_t* row = rowAddress(Y);
    switch (bitCountNum_) {
    case bcn1Bit: {
        const std::uint8_t bit = std::uint8_t(0x80 >> (X & 7));
        if (Value == 1)
            row[X >> 3] |= bit;
        else
            row[X >> 3] &= std::uint8_t(~bit);
        break;
    }
    case bcn4Bit: {
        std::uint8_t& b = row[X >> 1];
        b = (X & 1) ? std::uint8_t((b & 0xF0) | (Value & 0x0F)) : std::uint8_t((b & 0x0F) | ((Value & 0x0F) << 4));
        break;
    }
    case bcn8Bit:
        row[X] = std::uint8_t(Value);
        break;
    default: {
        std::uint8_t* p = row + std::int64_t(X) * 3;
        p[0] = std::uint8_t(BlueOf(Value));
        p[1] = std::uint8_t(GreenOf(Value));
        p[2] = std::uint8_t(RedOf(Value));
        break;
    }
    }
}

TColor TPixelGraphic::readColor(int X, int Y) const
{
    const std::uint32_t value = readPixel(X, Y);
    return bitCountNum_ == 3 ? value : PaletteColor(value);
}

void TPixelGraphic::writeColor(int X, int Y, TColor Color)
{
    writePixel(X, Y, bitCountNum_ == 3 ? (Color & 0xFFFFFF) : ColorToIndex(Color));
}

bool TPixelGraphic::checkInside(int X, int Y) const
{
    if (inside(X, Y))
        return true;
    if (rangeCheck_)
        throw EPGXYIndexOutOfRange(PGLangStr(PgMsg::XYIndexOutOfRange));
    return false;
}

std::uint32_t TPixelGraphic::GetPixel(int X, int Y)
{
    ensureFlushed();
    if (!checkInside(X, Y) || !pixels_)
        return background_;
    return readPixel(X, Y);
}

void TPixelGraphic::SetPixel(int X, int Y, std::uint32_t Value)
{
    ensureFlushed();
    if (checkInside(X, Y) && pixels_)
        writePixel(X, Y, Value);
}

TColor TPixelGraphic::GetPixelColor(int X, int Y)
{
    const std::uint32_t value = GetPixel(X, Y);
    return bitCountNum_ == 3 ? value : PaletteColor(value);
}

void TPixelGraphic::SetPixelColor(int X, int Y, TColor Color)
{
    ensureFlushed();
    if (checkInside(X, Y) && pixels_)
        writeColor(X, Y, Color);
}

TColor TPixelGraphic::Background() const
{
    return bitCountNum_ == 3 ? background_ : PaletteColor(background_);
}

void TPixelGraphic::SetBackground(TColor Color)
{
    background_ = bitCountNum_ == 3 ? (Color & 0xFFFFFF) : ColorToIndex(Color);
}

void TPixelGraphic::Clear()
{
    ensureFlushed();
    if (!pixels_)
        return;
    if (background_ == 0) {
        std::memset(pixels_.get(), 0, std::size_t(imageSize_));
    } else if (bitCountNum_ == 2) {
        std::memset(pixels_.get(), int(background_ & 0xFF), std::size_t(imageSize_));
    } else {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                writePixel(x, y, background_);
    }
    Changed();
}

// ---- Palette ----

TColor TPixelGraphic::PaletteColor(std::uint32_t Index) const
{
    if (Index < palette_.size())
        return palette_[Index];
    return palette_.empty() ? 0 : palette_[0];
}

void TPixelGraphic::SetPaletteCount(int Count)
{
    Count = std::clamp(Count, 0, kMaxPaletteCount);
    if (Count != PaletteCount()) {
        FlushCanvas();
        palette_.resize(std::size_t(Count), 0);
        storePaletteIdent(Count == 0 ? pNone : pUnknown);
    }
    invalidateColorMatch();
}

TColor TPixelGraphic::GetPaletteEntry(int Index) const
{
    if (paletteIdent_ == pTrueColor)
        return TColor(Index);
    if (Index < 0 || Index >= PaletteCount())
        throw EPGInvalidPaletteIndex(PGLangStr(PgMsg::InvalidPaletteIndex));
    return palette_[std::size_t(Index)];
}

void TPixelGraphic::SetPaletteEntry(int Index, TColor Color)
{
    if (paletteIdent_ == pNone || paletteIdent_ == pTrueColor)
        throw EPGNoPalette(PGLangStr(PgMsg::NoPalette));
    if (Index < 0 || Index >= PaletteCount())
        throw EPGInvalidPaletteIndex(PGLangStr(PgMsg::InvalidPaletteIndex));
    FlushCanvas();
    palette_[std::size_t(Index)] = Color & 0xFFFFFF;
    storePaletteIdent(pUnknown);
}

void TPixelGraphic::SetPaletteIdent(TPaletteIdent Ident)
{
    if (Ident == paletteIdent_)
        return;
    if (Ident == pUnknown) {
        storePaletteIdent(pUnknown);
    } else if (auto palette = FixedPalette(Ident)) {
        FlushCanvas();
        palette_ = std::move(*palette);
        storePaletteIdent(Ident);
    }
    invalidateColorMatch();
}

void TPixelGraphic::storePaletteIdent(TPaletteIdent Ident)
{
    paletteIdent_ = Ident;
    invalidateColorMatch();
}

void TPixelGraphic::invalidateColorMatch()
{
    lastInvalid_ = true;
    FreeColorCaches();
}

void TPixelGraphic::CopyPalette(const TPixelGraphic& Source)
{
    if (&Source == this)
        return;
    SetPaletteCount(Source.PaletteCount());
    FlushCanvas();
    palette_ = Source.palette_;
    RecognisePaletteIdent();
}

void TPixelGraphic::RecognisePaletteIdent()
{
    paletteAllGray_ = bitCountNum_ != 3 && std::all_of(palette_.begin(), palette_.end(), [](TColor c) {
                          return RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c);
                      });
    static constexpr TPaletteIdent kRecognised[] = {pBlackWhite, pGray4,      pSysGray4,   pGray16,    pGray236,
                                                    pGray256,    pSys16,      pSpecial216, pSpecial125, pSpecial252};
    for (TPaletteIdent ident : kRecognised) {
        if (FixedPalette(ident) == palette_) {
            storePaletteIdent(ident);
            return;
        }
    }
    if (palette_.empty())
        storePaletteIdent(bitCountNum_ == 3 ? pTrueColor : pNone);
    else
        storePaletteIdent(pUnknown);
}

// ---- Changes and events ----

void TPixelGraphic::EndUpdate()
{
    if (updateCount_ > 0)
        --updateCount_;
    Changed();
}

void TPixelGraphic::Changed()
{
    if (updateCount_ == 0 && onChange_)
        onChange_(this);
}

void TPixelGraphic::ProgressBegin(PGObject* Sender)
{
    if (onProgressBegin_)
        onProgressBegin_(Sender ? Sender : this);
}

bool TPixelGraphic::Progress(int Done, int Total, PGObject* Sender)
{
    bool abort = false;
    if (onProgress_)
        onProgress_(Sender ? Sender : this, Done, Total, abort);
    return abort;
}

void TPixelGraphic::ProgressEnd(PGObject* Sender)
{
    if (onProgressEnd_)
        onProgressEnd_(Sender ? Sender : this);
}

void TPixelGraphic::SetUseColorCache(bool Value)
{
    if (Value == useColorCache_)
        return;
    useColorCache_ = Value;
    lastInvalid_ = true;
    Changed();
}

void TPixelGraphic::SetWeightedGray(bool Value)
{
    if (Value == weightedGray_)
        return;
    weightedGray_ = Value;
    lastInvalid_ = true;
}

// ---- Questions and warnings ----

platform::PromptService* TPixelGraphic::PromptService() const
{
    return prompts_ ? prompts_ : PixelGraphicPrompts;
}

std::optional<int> TPixelGraphic::AskUser(const platform::Prompt& Prompt) const
{
    platform::PromptService* service = PromptService();
    if (!service || !onUserInterfaceThread())
        return std::nullopt;
    return service->ask(Prompt);
}

TWarningResponse TPixelGraphic::RespondToWarning(const QString& Caption, const QString& Text) const
{
    switch (warningAction_) {
    case waShow:
        AskUser(platform::Prompt{platform::PromptIcon::Warning, platform::PromptButtons::Ok, Caption, Text});
        return TWarningResponse::Continue;
    case waAskAbort: {
        const auto answer = AskUser(
            platform::Prompt{platform::PromptIcon::Warning, platform::PromptButtons::OkCancel, Caption, Text});
        return !answer || *answer == platform::mrOk ? TWarningResponse::Continue : TWarningResponse::Abort;
    }
    case waRaise:
        return TWarningResponse::Raise;
    case waIgnore:
    default:
        return TWarningResponse::Continue;
    }
}

// ---- Copies ----

void TPixelGraphic::Assign(TPixelGraphic* Source)
{
    if (Source == this)
        return;
    BeginUpdate();
    try {
        if (!Source) {
            Allocate(0, 0, bcn24Bit);
        } else {
            Source->ensureFlushed();
            Allocate(Source->width_, Source->height_, Source->bitCountNum_);
            if (pixels_ && Source->pixels_)
                std::memcpy(pixels_.get(), Source->pixels_.get(), std::size_t(imageSize_));
            palette_ = Source->palette_;
            background_ = Source->background_;
            dither_ = Source->dither_;
            useColorCache_ = Source->useColorCache_;
            gamma_ = Source->gamma_;
            weightedGray_ = Source->weightedGray_;
            stretchMode_ = Source->stretchMode_;
            warningAction_ = Source->warningAction_;
            transparent_ = Source->transparent_;
            rangeCheck_ = Source->rangeCheck_;
            colorResConversion_ = Source->colorResConversion_;
            RecognisePaletteIdent();
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---- Canvas ----

TPGCanvas& TPixelGraphic::Canvas()
{
    if (!canvas_)
        canvas_ = std::make_unique<TPGCanvas>(*this);
    flushPending_ = true;
    return *canvas_;
}

void TPixelGraphic::FlushCanvas()
{
    flushPending_ = false;
    if (canvas_ && canvas_->flushAndRelease())
        Changed();
}

QImage TPixelGraphic::ToQImage()
{
    ensureFlushed();
    if (!pixels_)
        return {};
    QImage image(width_, height_, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    QRgb table[256];
    for (std::uint32_t i = 0; i < 256; ++i) {
        const TColor c = PaletteColor(i);
        table[i] = qRgb(RedOf(c), GreenOf(c), BlueOf(c));
    }
    for (int y = 0; y < height_; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint8_t* row = rowAddress(y);
        if (bitCountNum_ == bcn24Bit) {
            for (int x = 0; x < width_; ++x, row += 3)
                out[x] = qRgb(row[2], row[1], row[0]);
        } else {
            for (int x = 0; x < width_; ++x)
                out[x] = table[readPixel(x, y)];
        }
    }
    return image;
}

void TPixelGraphic::Draw(QPainter& Target, const QRect& Rect)
{
    DrawOn(Target, Rect, true, Target.compositionMode());
}

void TPixelGraphic::DrawOn(QPainter& Target, const QRect& Rect, bool /*Background*/, QPainter::CompositionMode Rop)
{
    if (width_ < 1 || height_ < 1)
        return;
    // Drawn onto its own canvas: take the picture from the drawing in progress.
    const bool ownCanvas = canvas_ && canvas_->painter_.get() == &Target;
    const QImage picture = ownCanvas ? canvas_->shadow_.copy() : ToQImage();
    if (picture.isNull())
        return;
    Target.save();
    Target.setRenderHint(QPainter::SmoothPixmapTransform, false); // colour on colour, no blending
    Target.setCompositionMode(Rop);
    Target.drawImage(Rect, picture);
    Target.restore();
}
