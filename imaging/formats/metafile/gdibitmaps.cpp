// Bitmaps and pixels in a metafile's playback: the bitmaps of records decoded, transfers with
// raster operations, masks, blending and a transparent colour, gradients, single pixels and
// flood fills.
#include "gdiplayer.h"

#include "packeddib.h"
#include "rasterops.h"
#include "recordreader.h"
#include "spreadfill.h"

#include "imaging/formats/bmp/bmpformat.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace metafile {

namespace {

bool withinLimit(const QPolygonF& Corners)
{
    for (QPointF p : Corners)
        if (!(std::fabs(p.x()) <= GdiPlayer::CoordinateLimit && std::fabs(p.y()) <= GdiPlayer::CoordinateLimit))
            return false;
    return true;
}

TColor colorOf(const QColor& Color)
{
    return RGBColor(Color.red(), Color.green(), Color.blue());
}

std::optional<QImage> decodePacked(const QByteArray& Packed)
{
    QBuffer buffer;
    buffer.setData(Packed);
    buffer.open(QIODevice::ReadOnly);
    TPixelGraphic bitmap;
    try {
        DecodePackedBitmap(buffer, bitmap);
    } catch (const EPixelGraphic&) {
        return std::nullopt;
    }
    QImage image = bitmap.ToQImage();
    if (image.isNull())
        return std::nullopt;
    return image;
}

// A brush of a black and white bitmap as one bit per pixel, white the set bits, so that its
// colours can be chosen when it paints.
GdiBrush monochromeBrush(const QImage& Image)
{
    QImage mono(Image.size(), QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < Image.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(Image.constScanLine(y));
        for (int x = 0; x < Image.width(); ++x)
            mono.setPixel(x, y, qGray(in[x]) >= 128 ? 1 : 0);
    }
    return GdiBrush{bsPattern, 0, 0, mono, true};
}

} // namespace

// ---- Decoding ----

std::optional<QImage> GdiPlayer::DecodeBitmap(const DibParts& Dib)
{
    const std::optional<DibHeader> header = ReadDibHeader(Dib.info);
    if (!header)
        return std::nullopt;
    const std::int64_t width = header->width, height = std::abs(std::int64_t(header->height));
    if (width <= 0 || height <= 0)
        return std::nullopt;
    if (width * height > bitmapBudget_) {
        ++recordsLeftOut_;
        return std::nullopt;
    }
    QByteArray packed;
    if (Dib.usage == dibRgbColors) {
        packed = JoinDib(Dib);
    } else if (Dib.usage == dibPaletteColors || Dib.usage == dibPaletteIndices) {
        // Palette indices take the colours of the selected palette, black past its end.
        std::vector<TColor> table;
        if (header->bitCount <= 8) {
            const std::vector<TColor>& palette = selectedPalette();
            const RecordReader info(Dib.info.data(), Dib.info.size());
            if (Dib.usage == dibPaletteColors && !info.Holds(header->headerBytes, header->tableEntries, 2))
                return std::nullopt;
            for (std::uint32_t i = 0; i < header->tableEntries; ++i) {
                const std::size_t index = Dib.usage == dibPaletteColors ? info.U16(header->headerBytes + 2 * i) : i;
                table.push_back(index < palette.size() ? palette[index] : 0);
            }
        }
        packed = PackDib(Dib, *header, table);
    } else {
        return std::nullopt;
    }
    bitmapBudget_ -= width * height;
    return decodePacked(packed);
}

std::optional<QImage> GdiPlayer::DecodeDeviceBitmap(std::span<const std::uint8_t> Bitmap)
{
    // A monochrome bitmap lands in the text colour where its bits are 0, the background's where 1.
    const std::optional<QByteArray> packed
        = PackedFromDeviceBitmap(Bitmap, colorOf(qtColor(state_.textColor)), colorOf(qtColor(state_.bkColor)));
    if (!packed)
        return std::nullopt;
    return DecodeBitmap(DibParts{BytesOf(*packed), {}, dibRgbColors});
}

GdiObject GdiPlayer::PatternBrush(const DibParts& Dib)
{
    const std::optional<QImage> pattern = DecodeBitmap(Dib);
    if (!pattern)
        return GdiPlaceholder{};
    return GdiBrush{bsDibPatternPt, 0, 0, *pattern, false};
}

GdiObject GdiPlayer::MonochromeBrush(const DibParts& Dib)
{
    const std::optional<DibHeader> header = ReadDibHeader(Dib.info);
    if (!header || header->bitCount != 1)
        return PatternBrush(DibParts{Dib.info, Dib.bits, dibRgbColors});
    // Whatever its colour table says, the bits decide.
    const QByteArray packed = PackDib(Dib, *header, std::vector<TColor>{0, 0xFFFFFF});
    const std::optional<QImage> pattern = DecodeBitmap(DibParts{BytesOf(packed), {}, dibRgbColors});
    if (!pattern)
        return GdiPlaceholder{};
    return monochromeBrush(*pattern);
}

GdiObject GdiPlayer::DeviceBitmapBrush(std::span<const std::uint8_t> Bitmap)
{
    const RecordReader head(Bitmap.data(), Bitmap.size());
    const bool monochrome = head.Holds(9, 1, 1) && head.U8(9) == 1;
    const std::optional<QByteArray> packed = PackedFromDeviceBitmap(Bitmap, 0, 0xFFFFFF);
    if (!packed)
        return GdiPlaceholder{};
    const std::optional<QImage> pattern = DecodeBitmap(DibParts{BytesOf(*packed), {}, dibRgbColors});
    if (!pattern)
        return GdiPlaceholder{};
    return monochrome ? monochromeBrush(*pattern) : GdiBrush{bsPattern, 0, 0, *pattern, false};
}

// ---- Placing ----

QTransform GdiPlayer::keptOrientation(const QRectF& Source) const
{
    if ((state_.layout & (layoutRightToLeft | layoutBitmapsKept)) != (layoutRightToLeft | layoutBitmapsKept))
        return {};
    return QTransform(-1, 0, 0, 1, 2 * Source.x() + Source.width(), 0);
}

QTransform GdiPlayer::sourceToOutput(const QRectF& Source, const QRectF& Dest) const
{
    return keptOrientation(Source) * QTransform::fromTranslate(-Source.x(), -Source.y())
        * QTransform::fromScale(Dest.width() / Source.width(), Dest.height() / Source.height())
        * QTransform::fromTranslate(Dest.x(), Dest.y()) * transform();
}

void GdiPlayer::drawBitmap(const PlacedBitmap& Bitmap, const QRectF& Shown, double Opacity,
                           QPainter::CompositionMode Mode)
{
    if (!withinLimit(Bitmap.toOutput.map(QPolygonF(Shown))))
        return;
    prepare();
    painter_.save();
    painter_.setTransform(Bitmap.toOutput);
    painter_.setCompositionMode(Mode);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, state_.stretchMode == stretchHalftone);
    painter_.setOpacity(Opacity);
    painter_.drawImage(Shown, *Bitmap.image, Shown);
    painter_.restore();
}

void GdiPlayer::drawOutputImage(const QImage& Image, QPoint At)
{
    prepare();
    painter_.save();
    painter_.resetTransform();
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.drawImage(At, Image);
    painter_.restore();
}

// ---- Pixels ----

const QImage* GdiPlayer::targetImage() const
{
    QPaintDevice* device = painter_.device();
    return device && device->devType() == QInternal::Image ? static_cast<const QImage*>(device) : nullptr;
}

QRect GdiPlayer::drawableBounds() const
{
    QRect bounds(QPoint(0, 0), frame_.output);
    if (const QImage* target = targetImage())
        bounds &= target->rect();
    if (const std::optional<QRegion> clip = effectiveClip())
        bounds &= clip->boundingRect();
    return bounds;
}

QImage GdiPlayer::brushImage(const QRect& Box) const
{
    QImage pattern(Box.size(), QImage::Format_RGB32);
    pattern.fill(qtColor(state_.bkColor));
    QPainter painter(&pattern);
    painter.setBrushOrigin(deviceToOutput().map(state_.brushOrigin) - QPointF(Box.topLeft()));
    painter.fillRect(pattern.rect(), qtBrush());
    return pattern;
}

OutputLayer GdiPlayer::bitmapLayer(const PlacedBitmap& Placed)
{
    if (!Placed.image)
        return {};
    return [Placed](QPainter& Painter, QPoint Origin) {
        Painter.setTransform(Placed.toOutput * QTransform::fromTranslate(-Origin.x(), -Origin.y()));
        Painter.drawImage(QPointF(0, 0), *Placed.image);
    };
}

void GdiPlayer::ropBlit(const QPolygonF& Area, const OutputLayer& Source, std::uint8_t Foreground, const OutputLayer& Mask,
                        std::uint8_t Background)
{
    const bool masked = bool(Mask);
    const auto reads = [&](bool (*test)(std::uint8_t)) { return test(Foreground) || (masked && test(Background)); };
    const bool usesPattern = reads(ReadsPattern), usesSource = reads(ReadsSource), usesDestination = reads(ReadsDestination);
    if ((usesSource && !Source) || (usesPattern && state_.brush.style == bsNull) || !withinLimit(Area))
        return;
    const QRect box = Area.boundingRect().toAlignedRect() & drawableBounds();
    const QImage* target = targetImage();
    if (box.isEmpty() || (usesDestination && !target))
        return;
    // A band of rows at a time, so that the images below stay small whatever the box.
    const int rows = int(std::clamp<std::int64_t>(StripPixels / box.width(), 1, box.height()));
    // One record may cover a very large picture: an abort is heard between its bands too.
    for (int top = box.top(); top <= box.bottom() && !stopping_(); top += rows)
        ropStrip(Area, QRect(box.left(), top, box.width(), std::min(rows, box.bottom() + 1 - top)),
                 usesSource ? Source : OutputLayer(), Foreground, Mask, Background, usesPattern,
                 usesDestination ? target : nullptr);
}

void GdiPlayer::ropStrip(const QPolygonF& Area, const QRect& Strip, const OutputLayer& Source, std::uint8_t Foreground,
                         const OutputLayer& Mask, std::uint8_t Background, bool UsesPattern, const QImage* Target)
{
    // Each image over the strip: the area's cover (pixel centres, as fills take them), source,
    // mask, pattern and the picture as it stands.
    QImage cover(Strip.size(), QImage::Format_Alpha8);
    cover.fill(0);
    {
        QPainter painter(&cover);
        painter.translate(-QPointF(Strip.topLeft()));
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawPolygon(Area);
    }
    const auto render = [&Strip](const OutputLayer& layer) {
        QImage out(Strip.size(), QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter painter(&out);
        layer(painter, Strip.topLeft());
        return out;
    };
    const QImage source = Source ? render(Source) : QImage();
    const QImage mask = Mask ? render(Mask) : QImage();
    const QImage pattern = UsesPattern ? brushImage(Strip) : QImage();
    const QImage destination = Target ? Target->copy(Strip).convertToFormat(QImage::Format_RGB32) : QImage();

    QImage result(Strip.size(), QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    for (int y = 0; y < Strip.height(); ++y) {
        const std::uint8_t* covered = cover.constScanLine(y);
        const auto row = [y](const QImage& image) {
            return image.isNull() ? nullptr : reinterpret_cast<const QRgb*>(image.constScanLine(y));
        };
        const QRgb *s = row(source), *m = row(mask), *p = row(pattern), *d = row(destination);
        QRgb* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < Strip.width(); ++x) {
            if (!covered[x] || (s && qAlpha(s[x]) == 0))
                continue;
            const std::uint8_t index = !m || (qAlpha(m[x]) != 0 && qGray(m[x]) >= 128) ? Foreground : Background;
            out[x] = 0xFF000000u | ApplyTernaryRop(index, p ? p[x] : 0, s ? s[x] : 0, d ? d[x] : 0);
        }
    }
    drawOutputImage(result, Strip.topLeft());
}

// ---- Transfers ----

void GdiPlayer::PatBlt(const QRectF& Dest, std::uint32_t Rop)
{
    const std::uint8_t index = TernaryIndex(Rop);
    if (inPath_ || ReadsSource(index))
        return; // a transfer that wants a source it does not have draws nothing
    // What is left mixes the brush with the picture, as the pen and brush mixes do.
    const std::optional<QPainter::CompositionMode> mix = MixComposition(PatternMix(index));
    const bool usesPattern = ReadsPattern(index);
    if (mix && !(usesPattern && state_.brush.style == bsNull))
        fillOutputPolygon(mapRect(Dest), usesPattern ? qtBrush() : QBrush(Qt::white), *mix);
}

void GdiPlayer::StretchBitmap(const QImage& Bitmap, QRectF Source, const QRectF& Dest, std::uint32_t Rop)
{
    const std::uint8_t index = TernaryIndex(Rop);
    if (!ReadsSource(index)) {
        PatBlt(Dest, Rop);
        return;
    }
    if (inPath_ || !(Source.width() > 0 && Source.height() > 0) || Dest.width() == 0 || Dest.height() == 0)
        return;
    const QRectF shown = Source & QRectF(Bitmap.rect());
    if (shown.isEmpty())
        return;
    const PlacedBitmap placed{&Bitmap, sourceToOutput(Source, Dest)};
    if (ReadsPattern(index))
        ropBlit(placed.toOutput.map(QPolygonF(shown)), bitmapLayer(placed), index);
    else if (const std::optional<QPainter::CompositionMode> mix = MixComposition(SourceMix(index)))
        drawBitmap(placed, shown, 1, *mix); // the source with the picture: a mix the painter does
}

void GdiPlayer::BlitBitmap(const DibParts& Dib, QRectF Source, bool FromBottom, const QRectF& Dest, std::uint32_t Rop)
{
    if (!ReadsSource(TernaryIndex(Rop))) {
        PatBlt(Dest, Rop);
        return;
    }
    const std::optional<DibHeader> header = ReadDibHeader(Dib.info);
    const std::optional<QImage> bitmap = DecodeBitmap(Dib);
    if (!header || !bitmap)
        return;
    if (FromBottom && header->height > 0)
        Source.moveTop(bitmap->height() - Source.y() - Source.height());
    StretchBitmap(*bitmap, Source, Dest, Rop);
}

void GdiPlayer::SetDIBitsToDevice(const DibParts& Dib, QRectF Source, std::int64_t FirstScan, std::int64_t Scans,
                                  QPointF Dest)
{
    const std::optional<DibHeader> header = ReadDibHeader(Dib.info);
    if (inPath_ || !header || Scans <= 0 || Scans > 0x7FFF'FFFF || !(Source.width() > 0 && Source.height() > 0))
        return;
    // The pixels hold only the band of scan lines: the header says so before it is decoded.
    QByteArray info(reinterpret_cast<const char*>(Dib.info.data()), qsizetype(Dib.info.size()));
    auto* bytes = reinterpret_cast<std::uint8_t*>(info.data());
    const bool topDown = header->height < 0;
    if (header->core)
        PutU16(bytes + 6, std::uint32_t(std::min<std::int64_t>(Scans, 0x7FFF)));
    else
        PutU32(bytes + 8, std::uint32_t(topDown ? -Scans : Scans));
    const std::optional<QImage> band
        = DecodeBitmap(DibParts{std::span(bytes, std::size_t(info.size())), Dib.bits, Dib.usage});
    if (!band)
        return;
    // Rows of a bottom-up bitmap count from its bottom; the band from its first scan line.
    if (topDown)
        Source.moveTop(Source.y() - double(FirstScan));
    else
        Source.moveTop(double(band->height()) - (Source.y() - double(FirstScan)) - Source.height());
    const QRectF shown = Source & QRectF(band->rect());
    if (shown.isEmpty())
        return;
    // One bitmap pixel per device unit from the destination point.
    const QPointF device = (state_.world * pageTransform()).map(Dest);
    const QTransform toOutput = keptOrientation(Source) * QTransform::fromTranslate(-Source.x(), -Source.y())
        * QTransform::fromTranslate(device.x(), device.y()) * deviceToOutput();
    drawBitmap(PlacedBitmap{&*band, toOutput}, shown);
}

void GdiPlayer::MaskBlt(const std::optional<QImage>& Bitmap, QRectF Source, const QRectF& Dest, std::uint32_t Rop,
                        const std::optional<QImage>& Mask, QPointF MaskAt)
{
    const std::uint8_t foreground = TernaryIndex(Rop), background = std::uint8_t(Rop >> 24);
    if (!Mask) {
        if (Bitmap)
            StretchBitmap(*Bitmap, Source, Dest, Rop);
        else
            PatBlt(Dest, Rop);
        return;
    }
    if (inPath_ || !(Source.width() > 0 && Source.height() > 0) || Dest.width() == 0 || Dest.height() == 0)
        return;
    const QTransform toOutput = sourceToOutput(Source, Dest);
    // The mask's pixel at MaskAt lies under the source's top-left pixel.
    const QTransform maskToOutput = QTransform::fromTranslate(Source.x() - MaskAt.x(), Source.y() - MaskAt.y()) * toOutput;
    const bool readsSource = ReadsSource(foreground) || ReadsSource(background);
    QRectF area = Source;
    if (readsSource && Bitmap)
        area &= QRectF(Bitmap->rect());
    if (area.isEmpty())
        return;
    ropBlit(toOutput.map(QPolygonF(area)), bitmapLayer(PlacedBitmap{Bitmap ? &*Bitmap : nullptr, toOutput}), foreground,
            bitmapLayer(PlacedBitmap{&*Mask, maskToOutput}), background);
}

void GdiPlayer::PlgBlt(const QImage& Bitmap, QRectF Source, const std::array<QPointF, 3>& Corners,
                       const std::optional<QImage>& Mask, QPointF MaskAt)
{
    if (inPath_ || !(Source.width() > 0 && Source.height() > 0))
        return;
    const QRectF shown = Source & QRectF(Bitmap.rect());
    if (shown.isEmpty())
        return;
    // The source's edges along the parallelogram's sides from its first corner.
    const QPointF right = (Corners[1] - Corners[0]) / Source.width(), down = (Corners[2] - Corners[0]) / Source.height();
    const QTransform toOutput = keptOrientation(Source) * QTransform::fromTranslate(-Source.x(), -Source.y())
        * QTransform(right.x(), right.y(), down.x(), down.y(), Corners[0].x(), Corners[0].y()) * transform();
    if (!Mask) {
        drawBitmap(PlacedBitmap{&Bitmap, toOutput}, shown);
        return;
    }
    // Where the mask is not set the picture stays: those pixels turn transparent.
    QImage masked = Bitmap.convertToFormat(QImage::Format_ARGB32);
    const QPoint offset = (MaskAt - Source.topLeft()).toPoint();
    for (int y = 0; y < masked.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            const QPoint at(x + offset.x(), y + offset.y());
            if (!Mask->valid(at) || qGray(Mask->pixel(at)) < 128)
                row[x] = 0;
        }
    }
    drawBitmap(PlacedBitmap{&masked, toOutput}, shown);
}

void GdiPlayer::AlphaBlend(const QImage& Bitmap, const std::optional<QImage>& Alpha, QRectF Source, const QRectF& Dest,
                           std::uint32_t Blend)
{
    constexpr std::uint32_t sourceOver = 0, sourceAlpha = 1;
    const std::uint32_t operation = Blend & 0xFF, constant = (Blend >> 16) & 0xFF, format = Blend >> 24;
    if (inPath_ || operation != sourceOver || !(Source.width() > 0 && Source.height() > 0) || Dest.width() == 0
        || Dest.height() == 0)
        return;
    const QRectF shown = Source & QRectF(Bitmap.rect());
    if (shown.isEmpty())
        return;
    QImage image = Bitmap;
    if ((format & sourceAlpha) && Alpha && Alpha->size() == Bitmap.size()) {
        // The colours come premultiplied by their alpha; ones past it are taken as the alpha.
        image = QImage(Bitmap.size(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < image.height(); ++y) {
            const QRgb* in = reinterpret_cast<const QRgb*>(Bitmap.constScanLine(y));
            const std::uint8_t* a = Alpha->constScanLine(y);
            QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                out[x] = qRgba(std::min(qRed(in[x]), int(a[x])), std::min(qGreen(in[x]), int(a[x])),
                               std::min(qBlue(in[x]), int(a[x])), a[x]);
        }
    }
    drawBitmap(PlacedBitmap{&image, sourceToOutput(Source, Dest)}, shown, constant / 255.0);
}

void GdiPlayer::TransparentBlt(const QImage& Bitmap, QRectF Source, const QRectF& Dest, TColor Transparent)
{
    if (inPath_ || !(Source.width() > 0 && Source.height() > 0) || Dest.width() == 0 || Dest.height() == 0)
        return;
    const QRectF shown = Source & QRectF(Bitmap.rect());
    if (shown.isEmpty())
        return;
    QImage image = Bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qtColor(Transparent).rgb() & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xFFFFFF) == key)
                row[x] = 0;
    }
    drawBitmap(PlacedBitmap{&image, sourceToOutput(Source, Dest)}, shown);
}

// ---- Single pixels, flood fills, gradients ----

void GdiPlayer::SetPixel(QPointF Point, TColor Color)
{
    if (inPath_)
        return;
    const QPointF at = map(Point);
    const QPoint pixel(int(std::floor(at.x())), int(std::floor(at.y())));
    if (!drawableBounds().contains(pixel))
        return;
    prepare();
    painter_.fillRect(QRect(pixel, QSize(1, 1)), qtColor(Color));
}

void GdiPlayer::FloodFill(QPointF Start, TColor Color, bool Surface)
{
    const QImage* target = targetImage();
    if (inPath_ || !target || state_.brush.style == bsNull)
        return;
    const QPointF start = map(Start);
    const QPoint seed(int(std::floor(start.x())), int(std::floor(start.y())));
    const QRect box = drawableBounds();
    if (!box.contains(seed))
        return;
    const QRgb key = qtColor(Color).rgb() & 0xFFFFFF;
    const bool direct = target->depth() == 32;
    const auto fillable = [&](int x, int y) {
        const QRgb pixel = direct ? reinterpret_cast<const QRgb*>(target->constScanLine(y))[x] : target->pixel(x, y);
        return ((pixel & 0xFFFFFF) == key) == Surface;
    };
    const std::vector<QRect> spans = SpreadFill(box, effectiveClip(), seed, fillable);
    // Hatches take the background colour between their lines, whatever the background mode.
    prepare();
    painter_.setBackgroundMode(Qt::OpaqueMode);
    const QBrush brush = qtBrush();
    for (const QRect& span : spans)
        painter_.fillRect(span, brush);
}

void GdiPlayer::GradientFill(std::span<const GradientTriangle> Triangles)
{
    if (inPath_)
        return;
    const QTransform t = transform();
    const QRect drawable = drawableBounds();
    for (const GradientTriangle& triangle : Triangles) {
        std::array<ShadedCorner, 3> corners;
        QPolygonF outline;
        for (std::size_t i = 0; i < 3; ++i) {
            const TColor c = triangle[i].color;
            corners[i] = {t.map(triangle[i].point), double(RedOf(c)), double(GreenOf(c)), double(BlueOf(c))};
            outline << corners[i].at;
        }
        if (!withinLimit(outline))
            return;
        shadeTriangle(corners, outline.boundingRect().toAlignedRect() & drawable);
    }
}

void GdiPlayer::shadeTriangle(const std::array<ShadedCorner, 3>& Corners, const QRect& Cell)
{
    const auto cross = [](QPointF a, QPointF b, QPointF c) {
        return (b.x() - a.x()) * (c.y() - a.y()) - (b.y() - a.y()) * (c.x() - a.x());
    };
    const std::array<ShadedCorner, 3>& c = Corners;
    const double area = cross(c[0].at, c[1].at, c[2].at); // twice the signed area
    if (std::fabs(area) < 1e-9 || Cell.isEmpty())
        return;
    for (int y = Cell.top(); y <= Cell.bottom(); ++y) {
        // The pixel centres of this row that may lie inside: between the edges' crossings.
        const double centreY = y + 0.5;
        double from = Cell.right() + 1, to = Cell.left() - 1;
        for (std::size_t i = 0; i < 3; ++i) {
            const QPointF a = c[i].at, b = c[(i + 1) % 3].at;
            if (centreY < std::min(a.y(), b.y()) || centreY > std::max(a.y(), b.y()))
                continue;
            const double x0 = a.y() == b.y() ? a.x() : a.x() + (b.x() - a.x()) * (centreY - a.y()) / (b.y() - a.y());
            const double x1 = a.y() == b.y() ? b.x() : x0;
            from = std::min({from, x0, x1});
            to = std::max({to, x0, x1});
        }
        const int left = std::max(Cell.left(), int(std::floor(from)) - 1);
        const int right = std::min(Cell.right(), int(std::ceil(to)) + 1);
        if (left > right)
            continue;
        QImage row(right - left + 1, 1, QImage::Format_ARGB32);
        QRgb* out = reinterpret_cast<QRgb*>(row.scanLine(0));
        for (int x = left; x <= right; ++x) {
            // Each corner's share of the pixel's centre; all of them at least 0 inside.
            const QPointF centre(x + 0.5, centreY);
            const double w0 = cross(c[1].at, c[2].at, centre) / area;
            const double w1 = cross(c[2].at, c[0].at, centre) / area;
            const double w2 = 1 - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0) {
                out[x - left] = 0;
                continue;
            }
            const auto mix = [&](double ShadedCorner::*channel) {
                return std::clamp(int(w0 * c[0].*channel + w1 * c[1].*channel + w2 * c[2].*channel + 0.5), 0, 255);
            };
            out[x - left] = qRgb(mix(&ShadedCorner::red), mix(&ShadedCorner::green), mix(&ShadedCorner::blue));
        }
        drawOutputImage(row, QPoint(left, y));
    }
}

} // namespace metafile
