// Frames as library pixel images, the first-frame bitmap, and drawing onto canvases.
#include "gifbitmap.h"
#include "gifimage.h"

#include "imaging/palettes.h"
#include "imaging/pixelgraphic.h"

#include <QPainter>

#include <cstring>

std::array<std::uint8_t, 256> NearestColorIndices(const std::vector<TColor>& From, const std::vector<TColor>& To)
{
    std::array<std::uint8_t, 256> indices{};
    if (To.empty())
        return indices;
    for (std::size_t i = 0; i < From.size() && i < indices.size(); ++i) {
        int best = 0;
        for (std::size_t j = 0; j < To.size() && j < indices.size(); ++j) {
            const int distance = ColorDistance(From[i], To[j]);
            if (distance < ColorDistance(From[i], To[std::size_t(best)]))
                best = int(j);
            if (distance == 0)
                break;
        }
        indices[i] = std::uint8_t(best);
    }
    return indices;
}

void CopyPixelsAndPalette(const TPixelGraphic& Source, TPixelGraphic& Target)
{
    TPixelGraphic& source = const_cast<TPixelGraphic&>(Source); // pixel access flushes its canvas
    Target.Allocate(source.Width(), source.Height(), source.BitCountNum());
    Target.SetPaletteCount(source.PaletteCount());
    for (int i = 0; i < source.PaletteCount(); ++i)
        Target.SetPaletteEntry(i, source.Palette()[std::size_t(i)]);
    if (Target.Bits() && source.Bits())
        std::memcpy(Target.Bits(), source.Bits(), std::size_t(source.ImageSize()));
    Target.Changed();
}

void MaskedDraw(QPainter& Painter, const QRect& Target, TPixelGraphic& Source, TPixelGraphic* Mask)
{
    QImage picture = Source.ToQImage();
    if (picture.isNull())
        return;
    QPainter::CompositionMode mode = QPainter::CompositionMode_Source;
    if (Mask) {
        // Where the mask is 1 the target stays as it was.
        picture = picture.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < picture.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                if (Mask->GetPixel(x, y) == 1)
                    row[x] = 0;
        }
        mode = QPainter::CompositionMode_SourceOver;
    }
    Painter.save();
    Painter.setRenderHint(QPainter::SmoothPixmapTransform, false); // colour on colour
    Painter.setCompositionMode(mode);
    Painter.drawImage(Target, picture);
    Painter.restore();
}

// ---- Frames ----

TPixelGraphic& TGIFSubImage::Bitmap()
{
    if (bitmap_)
        return *bitmap_;
    if (Image())
        Image()->Progress(0, "Rendering...");
    // Indices past the map read as black, not as an error.
    const std::vector<TColor> colors = Palette();
    const int count = int(colors.size());
    auto bitmap = std::make_unique<TPixelGraphic>();
    try {
        bitmap->Allocate(width_, height_, bcn8Bit);
    } catch (const EPixelGraphic&) {
        RaiseGIF(GifText::NoDIBMemory);
    }
    bitmap->SetPaletteCount(count);
    for (int i = 0; i < count; ++i)
        bitmap->SetPaletteEntry(i, colors[std::size_t(i)]);
    for (int y = 0; y < height_ && width_ > 0; ++y)
        std::memcpy(bitmap->ScanLine(y), data_.get() + std::int64_t(y) * width_, std::size_t(width_));
    bitmap_ = std::move(bitmap);
    if (Image())
        Image()->Progress(100, "Rendering...");
    return *bitmap_;
}

TPixelGraphic* TGIFSubImage::Mask()
{
    const TGIFGraphicControlExtension* control = GraphicControlExtension();
    if (!control || !control->Transparent() || !data_)
        return nullptr;
    if (!mask_) {
        auto mask = std::make_unique<TPixelGraphic>();
        mask->Allocate(width_, height_, bcn1Bit);
        mask->SetPaletteIdent(pBlackWhite);
        for (int y = 0; y < height_; ++y) {
            const std::uint8_t* row = data_.get() + std::int64_t(y) * width_;
            for (int x = 0; x < width_; ++x)
                if (row[x] == control->TransparentColorIndex)
                    mask->SetPixel(x, y, 1);
        }
        mask_ = std::move(mask);
    }
    return mask_.get();
}

void TGIFSubImage::FreeBitmap()
{
    bitmap_.reset();
    mask_.reset();
}

QRect TGIFSubImage::TargetRect(const QRect& Target) const
{
    const std::int64_t screenWidth = Image() && Image()->Width() > 0 ? Image()->Width() : std::max(width_, 1);
    const std::int64_t screenHeight = Image() && Image()->Height() > 0 ? Image()->Height() : std::max(height_, 1);
    auto x = [&](std::int64_t v) { return Target.left() + int(v * Target.width() / screenWidth); };
    auto y = [&](std::int64_t v) { return Target.top() + int(v * Target.height() / screenHeight); };
    const int left = x(Left), top = y(Top);
    return QRect(left, top, x(std::int64_t(Left) + width_) - left, y(std::int64_t(Top) + height_) - top);
}

void TGIFSubImage::Draw(QPainter& Painter, const QRect& Target, bool Transparent)
{
    if (!data_)
        return;
    MaskedDraw(Painter, TargetRect(Target), Bitmap(), Transparent ? Mask() : nullptr);
}

// ---- The image's first-frame bitmap ----

bool TGIFImage::hasFirstFrame()
{
    return images_.Count() > 0 && !images_.Items(0).Empty();
}

void TGIFImage::renderFirstFrame(TPixelGraphic& Into)
{
    TGIFSubImage& first = images_.Items(0);
    const bool coversScreen = first.BoundsRect() == QRect(0, 0, Width(), Height());
    // A frame that covers the screen keeps its own colours; indices past them read as black.
    const std::vector<TColor> palette = coversScreen ? first.Palette() : GetPalette();
    try {
        Into.Allocate(Width(), Height(), bcn8Bit);
    } catch (const EPixelGraphic&) {
        RaiseGIF(GifText::NoDIBMemory);
    }
    Into.SetPaletteCount(int(palette.size()));
    for (std::size_t i = 0; i < palette.size(); ++i)
        Into.SetPaletteEntry(int(i), palette[i]);
    const std::uint8_t* data = std::as_const(first).Data();
    if (coversScreen) {
        for (int y = 0; y < first.Height(); ++y)
            std::memcpy(Into.ScanLine(y), data + std::int64_t(y) * first.Width(), std::size_t(first.Width()));
    } else {
        // The frame at its place, on index 0, each colour exact where the palette has it.
        const std::array<std::uint8_t, 256> indices = NearestColorIndices(first.Palette(), palette);
        const int width = std::min(first.Width(), Width() - first.Left);
        for (int y = 0; y < first.Height() && first.Top + y < Height() && width > 0; ++y) {
            const std::uint8_t* in = data + std::int64_t(y) * first.Width();
            std::uint8_t* out = Into.ScanLine(first.Top + y) + first.Left;
            for (int x = 0; x < width; ++x)
                out[x] = indices[in[x]];
        }
    }
    Into.Changed();
}

TPixelGraphic* TGIFImage::Bitmap()
{
    if (bitmap_)
        return bitmap_.get();
    if (!hasFirstFrame())
        return nullptr;
    auto bitmap = std::make_unique<TPixelGraphic>();
    renderFirstFrame(*bitmap);
    bitmap_ = std::move(bitmap);
    return bitmap_.get();
}

void TGIFImage::AssignTo(TPixelGraphic& Dest)
{
    if (bitmap_) {
        CopyPixelsAndPalette(*bitmap_, Dest);
        return;
    }
    if (!hasFirstFrame())
        RaiseGIF(GifText::NoDIB);
    renderFirstFrame(Dest); // no bitmap of its own kept: the frame is held once more, not twice
}
