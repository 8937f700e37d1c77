// libFuzzer target: GIF files through the registry (the format adapter and the GIF image).
#include "fuzzload.h"

#include "imaging/formats/gif/gifformat.h"
#include "imaging/pgexceptions.h"

#include <QBuffer>

namespace {

constexpr std::int64_t kMaxPixels = std::int64_t(1) << 16; // the sanitizer clears each frame's memory

// A frame may claim far more than the logical screen: such inputs cost time (the sanitizer
// marks every byte of a frame's memory), not coverage. The second reader tells each frame's size;
// a frame of width 0 takes the logical screen's.
bool framesTooLarge(const std::uint8_t* Data, std::size_t Size)
{
    if (Size >= 10) {
        const std::int64_t screenWidth = Data[6] | Data[7] << 8, screenHeight = Data[8] | Data[9] << 8;
        if (screenWidth * screenHeight > kMaxPixels)
            return true;
    }
    static const tGifFileFormatReader reader;
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(Data), qsizetype(Size));
    buffer.open(QIODevice::ReadOnly);
    GraphicFileInfo info;
    try {
        for (int i = 0, count = 1; i < count && i < 64; ++i) {
            reader.GetInfo(buffer, i, info);
            count = info.ImageCount;
            if (std::int64_t(info.Width) * info.Height > kMaxPixels)
                return true;
        }
    } catch (const EPixelGraphic&) {
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (framesTooLarge(Data, Size))
        return 0;
    return FuzzLoad(Data, Size, "gif", kMaxPixels);
}
