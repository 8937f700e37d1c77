// libFuzzer target: the second GIF reader, whose GetInfo and Load are called directly (the
// registry never reaches it).
#include "imaging/formats/gif/gifformat.h"
#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    static const bool started = [] {
        InitPGraphic();
        return true;
    }();
    (void)started;
    static const tGifFileFormatReader reader;
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(Data), qsizetype(Size));
    buffer.open(QIODevice::ReadOnly);
    // The image index comes from the last byte, so that later images are decoded too.
    const int index = Size > 0 ? Data[Size - 1] % 4 : 0;
    GraphicFileInfo info;
    try {
        reader.GetInfo(buffer, index, info);
        if (std::int64_t(info.Width) * info.Height > (std::int64_t(1) << 18))
            return 0; // costs time, not coverage
    } catch (const EPixelGraphic&) {
    }
    TPixelGraphic graphic;
    reader.Load(buffer, graphic, index); // raises nothing
    return 0;
}
