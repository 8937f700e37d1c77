#include "imagemeasure.h"

#include "imaging/pixelgraphic.h"

#include <exception>

std::optional<QSize> measureImageFile(const QString& path)
{
    try {
        TPixelGraphic image;
        image.SetWarningAction(waIgnore);
        image.LoadFromFile(path);
        if (image.Width() <= 0 || image.Height() <= 0)
            return std::nullopt;
        return QSize(image.Width(), image.Height());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
