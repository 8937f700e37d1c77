#include "gifcanvas.h"

#include "imaging/pgcanvas.h"
#include "imaging/pixelgraphic.h"

#include <QPainter>

namespace {

// Rect's part of Source, black outside it.
QImage copyOrBlack(const QImage& Source, const QRect& Rect)
{
    QImage copy(Rect.size(), QImage::Format_RGB32);
    copy.fill(Qt::black);
    if (!Source.isNull()) {
        QPainter p(&copy);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), Source, Rect);
    }
    return copy;
}

} // namespace

TGIFImageCanvas::~TGIFImageCanvas() = default;

QPainter& TGIFImageCanvas::BeginPaint()
{
    if (!painter_)
        painter_ = std::make_unique<QPainter>(&image_);
    return *painter_;
}

void TGIFImageCanvas::EndPaint()
{
    painter_.reset();
}

QImage TGIFPainterCanvas::Grab(const QRect& Rect)
{
    // Only an image behind the painter can be read back.
    const auto* image = dynamic_cast<const QImage*>(painter_.device());
    return copyOrBlack(image ? *image : QImage(), Rect);
}

QPainter& TGIFPixelCanvas::BeginPaint()
{
    return graphic_.Canvas().Painter();
}

void TGIFPixelCanvas::EndPaint()
{
    graphic_.FlushCanvas();
}

QImage TGIFPixelCanvas::Grab(const QRect& Rect)
{
    return copyOrBlack(graphic_.ToQImage(), Rect);
}
