#pragma once

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class QPainter;
class QRect;
class TPixelGraphic;

// Drawing onto a TPixelGraphic's own pixels: a Qt painter works on a 32-bit shadow of the
// image, and the image takes back the pixels the drawing changed before anyone reads its
// pixels. On palette images antialiasing is off and each changed pixel is mapped back through
// ColorToIndex without dither, so untouched indices stay as they were.
//
// Owned by its image (TPixelGraphic::Canvas()); one drawing session at a time.
class TPGCanvas {
public:
    explicit TPGCanvas(TPixelGraphic& Graphic);
    ~TPGCanvas();
    TPGCanvas(const TPGCanvas&) = delete;
    TPGCanvas& operator=(const TPGCanvas&) = delete;

    TPixelGraphic& Graphic() const { return graphic_; }

    // The painter of the current drawing session, started on first use; valid until the
    // image's next direct pixel access or palette change.
    QPainter& Painter();
    bool HandleAllocated() const { return painter_ != nullptr; }

    // Called before each drawing operation of the canvas (and when Painter() is handed out).
    std::function<void()> OnChanging;

    // The canvas's tools; they outlive drawing sessions.
    const QFont& Font() const { return font_; }
    void SetFont(const QFont& Font);
    const QPen& Pen() const { return pen_; }
    void SetPen(const QPen& Pen);
    const QBrush& Brush() const { return brush_; }
    void SetBrush(const QBrush& Brush);

    // The common operations; each ends with the image's Changed.
    void TextOut(int X, int Y, const QString& Text); // Y is the top of the text
    int TextWidth(const QString& Text) const;
    int TextHeight(const QString& Text) const;
    void FillRect(const QRect& Rect); // with the brush
    void Rectangle(const QRect& Rect); // pen outline, brush inside
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    QPoint PenPos() const { return penPos_; }

private:
    friend class TPixelGraphic;

    void createHandle();
    // Ends the session and writes the changed pixels back; true when any pixel changed.
    bool flushAndRelease();
    QFont effectiveFont() const;
    QPainter& beginOperation();
    void endOperation();

    TPixelGraphic& graphic_;
    QImage shadow_;
    std::unique_ptr<QPainter> painter_;
    QFont font_;
    QPen pen_;
    QBrush brush_;
    QPoint penPos_;
};
