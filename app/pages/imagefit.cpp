#include "imagefit.h"

#include "platform/paths.h"

#include <algorithm>

QSize calculatedimensions(int W, int H, int maxW, int maxH)
{
    if (maxW > W && maxH > H)
        return {W, H};
    if (W <= 0 || H <= 0 || maxW <= 0 || maxH <= 0) // nothing to scale; only the box limits apply
        return {std::clamp(W, 0, std::max(maxW, 0)), std::clamp(H, 0, std::max(maxH, 0))};
    // The box is relatively taller than the image when maxH / maxW > H / W; compared as cross
    // products, so no quotient is ever rounded.
    const qint64 w = W, h = H, bw = maxW, bh = maxH;
    qint64 fw, fh;
    if (bh * w > h * bw) {
        fw = bw;
        fh = h * bw / w;
    } else {
        fh = bh;
        fw = w * bh / h;
    }
    // A sliver of an image keeps one pixel rather than vanishing.
    return {int(std::clamp<qint64>(fw, 1, bw)), int(std::clamp<qint64>(fh, 1, bh))};
}

QString GetThumbnailName(const QString& imagePath)
{
    if (imagePath.isEmpty())
        return {};
    return platform::changeextension(imagePath, QString()) + QStringLiteral("_thb.jpg");
}

QString GetPageButtonName(int n, bool current, const QString& extension)
{
    return (current ? QStringLiteral("Page_Button_On_") : QStringLiteral("Page_Button_")) + QString::number(n) + extension;
}
