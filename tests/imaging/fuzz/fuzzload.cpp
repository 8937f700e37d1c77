#include "fuzzload.h"

#include "imaging/fileformats.h"
#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>

#include <cstdlib>

int FuzzLoad(const std::uint8_t* Data, std::size_t Size, const char* Extension, std::int64_t MaxPixels,
             bool ByExtension)
{
    static const bool started = [] {
        InitPGraphic();
        return true;
    }();
    (void)started;
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(Data), qsizetype(Size));
    buffer.open(QIODevice::ReadOnly);
    QString description;
    GraphicFileInfo info;
    if (ReadStreamFileInfo(buffer, QString::fromLatin1(Extension), 0, description, info)
        && std::int64_t(info.Width) * std::abs(std::int64_t(info.Height)) > MaxPixels)
        return 0;
    TPixelGraphic graphic;
    try {
        if (ByExtension)
            graphic.LoadFromStreamIndex(buffer, QString::fromLatin1(Extension), 0);
        else
            graphic.LoadFromStream(buffer);
    } catch (const EPixelGraphic&) {
    }
    return 0;
}
