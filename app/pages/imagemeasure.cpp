#include "imagemeasure.h"

#include "imaging/fileformats.h"
#include "imaging/loadsave.h"
#include "imaging/orientation.h"
#include "imaging/pixelgraphic.h"

#include "platform/filecontent.h"

#include <QFile>

#include <exception>

namespace {

std::optional<QSize> decodedSize(QFile& file, const FormatRegistry& registry, const QString& extension)
{
    try {
        TPixelGraphic image;
        image.SetWarningAction(waIgnore);
        file.seek(0);
        LoadGraphic(image, registry, file, extension, 0);
        if (image.Width() <= 0 || image.Height() <= 0)
            return std::nullopt;
        return QSize(image.Width(), image.Height());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<QSize> measureImageFile(const QString& path)
{
    return measureImageFile(path, FileFormatRegistry());
}

std::optional<QSize> measureImageFile(const QString& path, const FormatRegistry& registry)
{
    QFile file;
    if (!platform::openPlainFile(file, path))
        return std::nullopt;
    const QString extension = GetLowerExtension(path);
    QString description;
    GraphicFileInfo info;
    if (!ReadStreamFileInfo(registry, file, extension, 0, description, info))
        return std::nullopt;
    if (info.Width > 0 && info.Height > 0)
        return UprightSize(QSize(info.Width, info.Height), info.Orientation);
    return decodedSize(file, registry, extension);
}
