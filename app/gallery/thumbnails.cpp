#include "thumbnails.h"

#include "jpegsave.h"
#include "app/pages/imagefit.h"
#include "imaging/formats/jpeg/jpegformat.h"
#include "imaging/pgexceptions.h"
#include "imaging/pgmessages.h"
#include "imaging/pixelgraphic.h"

#include "platform/filecontent.h"
#include "platform/paths.h"

#include <QBuffer>
#include <QFile>

#include <exception>

bool IsJpegFileName(const QString& name)
{
    const QString extension = platform::extractExtension(name).toLower();
    return extension == QLatin1String(".jpg") || extension == QLatin1String(".jpeg") || extension == QLatin1String(".jpe");
}

namespace {

std::unique_ptr<TPixelGraphic> newSourceImage(const std::atomic<bool>* cancelled)
{
    auto image = std::make_unique<TPixelGraphic>();
    image->SetWarningAction(waIgnore); // a damaged file gives what can be read, without a question
    if (cancelled)
        image->SetOnProgress([cancelled](PGObject*, int, int, bool& abort) { abort = cancelled->load(); });
    return image;
}

void raiseWhenCancelled(const std::atomic<bool>* cancelled)
{
    if (cancelled && cancelled->load())
        throw EPixelGraphic(PGLangStr(PgMsg::Aborted));
}

// The source reduced in the DCT domain to the smallest scale that still covers the box, turned
// upright; nothing when the JPEG decoder refuses the file.
std::unique_ptr<TPixelGraphic> loadScaledJpeg(const QString& source, int boxWidth, int boxHeight,
                                              const std::atomic<bool>* cancelled)
{
    QFile file;
    if (!platform::openPlainFile(file, source))
        return nullptr;
    auto image = newSourceImage(cancelled);
    try {
        LoadScaledJpeg(file, *image, boxWidth, boxHeight);
        return image;
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace

std::unique_ptr<TPixelGraphic> makeThumbnailGraphic(const QString& source, int boxWidth, int boxHeight,
                                                    const std::atomic<bool>* cancelled)
{
    std::unique_ptr<TPixelGraphic> picture;
    if (IsJpegFileName(source))
        picture = loadScaledJpeg(source, boxWidth, boxHeight, cancelled);
    raiseWhenCancelled(cancelled);
    if (!picture) {
        picture = newSourceImage(cancelled);
        picture->SetFastJPEGDecode(true);
        picture->LoadFromFile(source);
        raiseWhenCancelled(cancelled);
    }
    const QSize fitted = calculatedimensions(picture->Width(), picture->Height(), boxWidth, boxHeight);
    auto thumbnail = std::make_unique<TPixelGraphic>();
    thumbnail->SetStretchMode(smMedium);
    thumbnail->Allocate(fitted.width(), fitted.height(), bcn24Bit);
    thumbnail->StretchFrom(*picture);
    return thumbnail;
}

std::optional<QByteArray> encodeThumbnail(const QString& source, int boxWidth, int boxHeight, const SaveOptions& options,
                                          const std::atomic<bool>* cancelled)
{
    try {
        const auto thumbnail = makeThumbnailGraphic(source, boxWidth, boxHeight, cancelled);
        QBuffer bytes;
        bytes.open(QIODevice::WriteOnly);
        thumbnail->SetColorResConversion(crcConvert);
        thumbnail->SaveToStreamAs(bytes, QStringLiteral("jpg"), options);
        return bytes.data();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool createthumbnail(const QString& source, const QString& thumbnail, int boxWidth, int boxHeight, int quality)
{
    try {
        const auto picture = makeThumbnailGraphic(source, boxWidth, boxHeight);
        return savetojpeg(*picture, thumbnail, quality, true);
    } catch (const std::exception&) {
        return false;
    }
}
