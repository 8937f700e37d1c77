#include "benchimages.h"

#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"
#include "platform/filenames.h"

#include <algorithm>
#include <cstdint>

std::unique_ptr<TPixelGraphic> MakePhotoLikeImage(int Width, int Height, unsigned Seed)
{
    auto image = std::make_unique<TPixelGraphic>();
    image->Allocate(Width, Height, bcn24Bit);
    std::uint32_t noise = Seed;
    for (int y = 0; y < Height; ++y) {
        std::uint8_t* p = image->ScanLine(y);
        for (int x = 0; x < Width; ++x, p += 3) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int((noise >> 24) & 31) - 16;
            const bool edge = ((x / 97) + (y / 61)) & 1;
            const int r = x * 255 / std::max(1, Width - 1);
            const int g = y * 255 / std::max(1, Height - 1);
            const int b = edge ? 200 : 40;
            p[0] = std::uint8_t(std::clamp(b + n, 0, 255));
            p[1] = std::uint8_t(std::clamp(g + n, 0, 255));
            p[2] = std::uint8_t(std::clamp(r + n, 0, 255));
        }
    }
    return image;
}

QString BenchWorkFolder(int argc, char** argv, const QString& Temporary)
{
    QString folder = argc > 1 ? platform::decodeFileName(argv[1]) : Temporary;
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

void WritePhotoLikeJpeg(const QString& FileName, int Width, int Height, int Quality, unsigned Seed)
{
    const auto image = MakePhotoLikeImage(Width, Height, Seed);
    PixelGraphicJPEGQuality = std::uint8_t(Quality);
    PixelGraphicJPEGProgressive = false;
    image->SetColorResConversion(crcConvert);
    image->SaveToFile(FileName);
}
