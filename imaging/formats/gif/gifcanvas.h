#pragma once
// Surfaces a GIF image draws on. All drawing happens on the user-interface thread; a painter
// thread holds a canvas only through its life token and stops when the canvas is gone.

#include <QImage>
#include <QRect>

#include <memory>

class QPainter;
class TPixelGraphic;

class TGIFCanvas {
public:
    TGIFCanvas() = default;
    virtual ~TGIFCanvas() = default;
    TGIFCanvas(const TGIFCanvas&) = delete;
    TGIFCanvas& operator=(const TGIFCanvas&) = delete;

    // The painter for one drawing step, valid until EndPaint.
    virtual QPainter& BeginPaint() = 0;
    virtual void EndPaint() = 0;
    // A copy of what lies under the rectangle (black where nothing can be read).
    virtual QImage Grab(const QRect& Rect) = 0;

    // Expires with the canvas.
    std::weak_ptr<const TGIFCanvas> LifeToken() const { return token_; }

private:
    std::shared_ptr<const TGIFCanvas> token_{this, [](const TGIFCanvas*) {}};
};

// A Qt image the caller keeps (a widget's back buffer).
class TGIFImageCanvas final : public TGIFCanvas {
public:
    explicit TGIFImageCanvas(QImage& Image) : image_(Image) {}
    ~TGIFImageCanvas() override;
    QPainter& BeginPaint() override;
    void EndPaint() override;
    QImage Grab(const QRect& Rect) override { return image_.copy(Rect); }

private:
    QImage& image_;
    std::unique_ptr<QPainter> painter_;
};

// A painter active for the moment (inside a paint event).
class TGIFPainterCanvas final : public TGIFCanvas {
public:
    explicit TGIFPainterCanvas(QPainter& Painter) : painter_(Painter) {}
    QPainter& BeginPaint() override { return painter_; }
    void EndPaint() override {}
    QImage Grab(const QRect& Rect) override;

private:
    QPainter& painter_;
};

// A library pixel image, drawn on through its own canvas.
class TGIFPixelCanvas final : public TGIFCanvas {
public:
    explicit TGIFPixelCanvas(TPixelGraphic& Graphic) : graphic_(Graphic) {}
    QPainter& BeginPaint() override;
    void EndPaint() override;
    QImage Grab(const QRect& Rect) override;

private:
    TPixelGraphic& graphic_;
};
