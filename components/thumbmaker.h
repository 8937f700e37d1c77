#pragma once
// Making one thumbnail: loading the source, fitting it into the box and resampling. Runs on
// the grid's worker threads; touches no widget, no cache and no library-wide setting.

#include <QImage>
#include <QRect>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

class TPixelGraphic;

// n / d rounded to the nearest integer, halves to even; d > 0.
std::int64_t RoundHalfEven(std::int64_t n, std::int64_t d);

// The rectangle an image of w x h takes in a box of bw x bh whose top left is (left, top):
// scaled (up or down) to touch the box on one side, centred on the other. Sides are at
// least 1; an empty image or box has no rectangle.
std::optional<QRect> FitThumbnailRect(int w, int h, int bw, int bh, int left = 0, int top = 0);

// What a worker makes: the file's picture fitted into the box and resampled (smMedium) at
// Factor times the fitted size.
struct ThumbRequest {
    QString path;
    int boxWidth = 0;
    int boxHeight = 0;
    int factor = 1;
    // A JPEG is decoded reduced so that it still covers this box (the grid's thumbnail box).
    int scaleBoxWidth = 0;
    int scaleBoxHeight = 0;
    int maxJpegScale = 8; // 1: always full size
};

struct ThumbResult {
    std::shared_ptr<TPixelGraphic> thumbnail; // null on failure
    QImage picture;                           // the thumbnail, ready to draw
    QString failure;
    bool cancelled = false;
};

// Loads a source picture. A file that starts like a JPEG is decoded in the DCT domain at the
// scale ChooseJpegScale gives for the box and turned upright by its Exif orientation (a JPEG
// that ends early is used as decoded); any other file goes through the library's registry, its
// warnings raised as errors. The load stops early (and the result is not to be used) once
// Cancelled is set.
void LoadThumbnailSource(const QString& Path, TPixelGraphic& Source, int ScaleBoxWidth, int ScaleBoxHeight,
                         int MaxJpegScale, const std::atomic<bool>& Cancelled);

// The thumbnail of an image already loaded; null when it has no rectangle in the box.
std::shared_ptr<TPixelGraphic> FitThumbnail(TPixelGraphic& Source, int BoxWidth, int BoxHeight, int Factor);

// The whole job; every failure is caught and described.
ThumbResult LoadThumbnail(const ThumbRequest& Request, const std::atomic<bool>& Cancelled);
