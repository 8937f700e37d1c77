#include "pgcanvas.h"

#include "pixelgraphic.h"

#include <QFontMetrics>
#include <QPainter>

TPGCanvas::TPGCanvas(TPixelGraphic& Graphic)
    : graphic_(Graphic), pen_(Qt::black), brush_(Qt::white)
{
}

TPGCanvas::~TPGCanvas()
{
    // Ends the session only: the image is going away with its pixels.
    if (painter_)
        painter_->end();
}

QFont TPGCanvas::effectiveFont() const
{
    QFont font = font_;
    if (graphic_.BitCountNum() != bcn24Bit)
        font.setStyleStrategy(QFont::NoAntialias); // palette images take only pure pen colours
    return font;
}

void TPGCanvas::createHandle()
{
    if (painter_)
        return;
    shadow_ = graphic_.ToQImage();
    if (shadow_.isNull())
        shadow_ = QImage(1, 1, QImage::Format_RGB32); // drawing goes nowhere; nothing is written back
    painter_ = std::make_unique<QPainter>(&shadow_);
    if (graphic_.BitCountNum() != bcn24Bit) {
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::TextAntialiasing, false);
        painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
    painter_->setFont(effectiveFont());
    painter_->setPen(pen_);
    painter_->setBrush(brush_);
    graphic_.flushPending_ = true;
}

bool TPGCanvas::flushAndRelease()
{
    if (!painter_)
        return false;
    painter_->end();
    painter_.reset();
    const QImage shadow = std::move(shadow_);
    shadow_ = QImage();
    TPixelGraphic& g = graphic_;
    if (!g.pixels_ || shadow.width() != g.width_ || shadow.height() != g.height_)
        return false;
    // Only what the drawing changed goes back, so untouched palette indices stay as they were.
    bool changed = false;
    for (int y = 0; y < g.height_; ++y) {
        const auto* drawn = reinterpret_cast<const QRgb*>(shadow.constScanLine(y));
        for (int x = 0; x < g.width_; ++x) {
            const TColor color = RGBColor(qRed(drawn[x]), qGreen(drawn[x]), qBlue(drawn[x]));
            if (color != g.readColor(x, y)) {
                g.writeColor(x, y, color);
                changed = true;
            }
        }
    }
    return changed;
}

QPainter& TPGCanvas::Painter()
{
    if (OnChanging)
        OnChanging();
    createHandle();
    graphic_.flushPending_ = true;
    return *painter_;
}

QPainter& TPGCanvas::beginOperation()
{
    return Painter();
}

void TPGCanvas::endOperation()
{
    graphic_.Changed();
}

void TPGCanvas::SetFont(const QFont& Font)
{
    font_ = Font;
    if (painter_)
        painter_->setFont(effectiveFont());
}

void TPGCanvas::SetPen(const QPen& Pen)
{
    pen_ = Pen;
    if (painter_)
        painter_->setPen(pen_);
}

void TPGCanvas::SetBrush(const QBrush& Brush)
{
    brush_ = Brush;
    if (painter_)
        painter_->setBrush(brush_);
}

void TPGCanvas::TextOut(int X, int Y, const QString& Text)
{
    QPainter& p = beginOperation();
    const QFontMetrics metrics(p.font(), p.device());
    // An opaque text cell in the brush colour unless the brush is clear.
    if (brush_.style() != Qt::NoBrush)
        p.fillRect(QRect(X, Y, metrics.horizontalAdvance(Text), metrics.height()), brush_);
    p.drawText(QPoint(X, Y + metrics.ascent()), Text);
    penPos_ = QPoint(X + metrics.horizontalAdvance(Text), Y);
    endOperation();
}

int TPGCanvas::TextWidth(const QString& Text) const
{
    const QImage device(1, 1, QImage::Format_RGB32);
    return QFontMetrics(effectiveFont(), &device).horizontalAdvance(Text);
}

int TPGCanvas::TextHeight(const QString& Text) const
{
    // The font's cell height, whatever the text.
    const QImage device(1, 1, QImage::Format_RGB32);
    Q_UNUSED(Text);
    return QFontMetrics(effectiveFont(), &device).height();
}

void TPGCanvas::FillRect(const QRect& Rect)
{
    QPainter& p = beginOperation();
    p.fillRect(Rect, brush_);
    endOperation();
}

void TPGCanvas::Rectangle(const QRect& Rect)
{
    QPainter& p = beginOperation();
    p.setPen(pen_);
    p.setBrush(brush_);
    p.drawRect(Rect.adjusted(0, 0, -1, -1)); // the outline stays inside the rectangle
    endOperation();
}

void TPGCanvas::MoveTo(int X, int Y)
{
    penPos_ = QPoint(X, Y);
}

void TPGCanvas::LineTo(int X, int Y)
{
    QPainter& p = beginOperation();
    p.setPen(pen_);
    p.drawLine(penPos_, QPoint(X, Y));
    penPos_ = QPoint(X, Y);
    endOperation();
}
