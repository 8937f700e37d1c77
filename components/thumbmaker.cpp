#include "thumbmaker.h"

#include "imaging/formats/jpeg/jpegformat.h"
#include "imaging/pixelgraphic.h"

#include "platform/filecontent.h"

#include <QFile>

#include <algorithm>

std::int64_t RoundHalfEven(std::int64_t n, std::int64_t d)
{
    const bool negative = n < 0;
    const std::int64_t m = negative ? -n : n;
    std::int64_t q = m / d;
    const std::int64_t twice = 2 * (m % d);
    if (twice > d || (twice == d && q % 2 != 0))
        ++q;
    return negative ? -q : q;
}

std::optional<QRect> FitThumbnailRect(int w, int h, int bw, int bh, int left, int top)
{
    if (w <= 0 || h <= 0 || bw <= 0 || bh <= 0)
        return std::nullopt;
    std::int64_t width, height;
    // w / bw against h / bh, cross-multiplied.
    if (std::int64_t(w) * bh > std::int64_t(h) * bw) {
        width = bw;
        height = RoundHalfEven(std::int64_t(h) * bw, w);
    } else {
        width = RoundHalfEven(std::int64_t(w) * bh, h);
        height = bh;
    }
    width = std::max<std::int64_t>(width, 1);
    height = std::max<std::int64_t>(height, 1);
    if (bh - 1 > height)
        top += int(RoundHalfEven(bh - height, 2));
    if (bw - 1 > width)
        left += int(RoundHalfEven(bw - width, 2));
    return QRect(left, top, int(width), int(height));
}

namespace {

bool startsLikeJpeg(QFile& file)
{
    char head[2];
    const bool jpeg = file.peek(head, 2) == 2 && std::uint8_t(head[0]) == 0xFF && std::uint8_t(head[1]) == 0xD8;
    return jpeg;
}

} // namespace

void LoadThumbnailSource(const QString& Path, TPixelGraphic& Source, int ScaleBoxWidth, int ScaleBoxHeight,
                         int MaxJpegScale, const std::atomic<bool>& Cancelled)
{
    Source.SetOnProgress([&Cancelled](PGObject*, int, int, bool& abort) { abort = Cancelled.load(); });
    QFile file;
    if (platform::openPlainFile(file, Path) && startsLikeJpeg(file)) {
        Source.SetWarningAction(waIgnore);
        LoadScaledJpeg(file, Source, ScaleBoxWidth, ScaleBoxHeight, MaxJpegScale);
        return;
    }
    file.close();
    Source.SetWarningAction(waRaise);
    Source.SetFastJPEGDecode(true);
    Source.LoadFromFile(Path);
}

std::shared_ptr<TPixelGraphic> FitThumbnail(TPixelGraphic& Source, int BoxWidth, int BoxHeight, int Factor)
{
    const std::optional<QRect> fitted = FitThumbnailRect(Source.Width(), Source.Height(), BoxWidth, BoxHeight);
    if (!fitted || Source.Empty())
        return nullptr;
    auto thumbnail = std::make_shared<TPixelGraphic>();
    thumbnail->SetStretchMode(smMedium);
    thumbnail->Allocate(fitted->width() * Factor, fitted->height() * Factor, bcn24Bit);
    thumbnail->StretchFrom(Source);
    return thumbnail;
}

ThumbResult LoadThumbnail(const ThumbRequest& Request, const std::atomic<bool>& Cancelled)
{
    ThumbResult result;
    try {
        TPixelGraphic source;
        LoadThumbnailSource(Request.path, source, Request.scaleBoxWidth, Request.scaleBoxHeight, Request.maxJpegScale,
                            Cancelled);
        if (Cancelled.load()) {
            result.cancelled = true;
            return result;
        }
        result.thumbnail = FitThumbnail(source, Request.boxWidth, Request.boxHeight, Request.factor);
        if (!result.thumbnail) {
            result.failure = QStringLiteral("No Thumb Image");
            return result;
        }
        result.picture = result.thumbnail->ToQImage();
    } catch (const EPixelGraphic& e) {
        result.thumbnail.reset();
        result.failure = e.Message();
    } catch (const std::exception& e) {
        result.thumbnail.reset();
        result.failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
        result.thumbnail.reset();
        result.failure = QStringLiteral("No Thumb Image");
    }
    return result;
}
