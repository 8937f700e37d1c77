#include "jpegsave.h"

#include "imaging/pixelgraphic.h"

#include <algorithm>
#include <exception>

SaveOptions jpegSaveOptions(int quality, bool progressive)
{
    SaveOptions options = CurrentSaveOptions();
    options.JPEGQuality = std::uint8_t(std::clamp(quality, 1, 100));
    options.JPEGProgressive = progressive;
    return options;
}

bool savetojpeg(TPixelGraphic& image, const QString& fileName, int quality, bool progressive)
{
    return savetojpeg(image, fileName, jpegSaveOptions(quality, progressive));
}

bool savetojpeg(TPixelGraphic& image, const QString& fileName, const SaveOptions& options)
{
    try {
        image.SetColorResConversion(crcConvert);
        image.SaveToFile(fileName, options);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
