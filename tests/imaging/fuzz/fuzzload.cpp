#include "fuzzload.h"

#include "imaging/fileformats.h"
#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>
#include <QGuiApplication>

#include <cstdlib>
#include <memory>

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

void FuzzStartGui()
{
    // Freed at exit, before the leak check, so that the font database lets go of its caches.
    static const std::unique_ptr<QGuiApplication> application = []() -> std::unique_ptr<QGuiApplication> {
        if (QCoreApplication::instance())
            return nullptr;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
}
