// The library's PNG load against a bare libpng decode with the same transforms (strip 16,
// blue-green-red, interlace handling, background), both from memory, in one process.
//   png_vs_libpng [runs] [width] [height]
// Prints the median of each and the ratio (goal: at most 1.1). The bare decode writes into pixel
// memory made the way the library makes it (large images on huge pages where the system allows),
// so that the ratio compares the decoding, not the page faults of two allocators.
#include "benchimages.h"
#include "pngfixtures.h"

#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"
#include "imaging/pixelmemory.h"

#include <QBuffer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

double timeMs(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    InitPGraphic();
    const int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    const int width = argc > 2 ? std::atoi(argv[2]) : 6000;
    const int height = argc > 3 ? std::atoi(argv[3]) : 4000;

    QByteArray file;
    {
        auto image = MakePhotoLikeImage(width, height);
        QBuffer out(&file);
        out.open(QIODevice::WriteOnly);
        image->SaveToStreamAs(out, QStringLiteral("png"));
    }
    std::printf("%d x %d RGB PNG, %lld bytes, %d runs\n", width, height, static_cast<long long>(file.size()), runs);

    const PngRowMemory libraryMemory = [](std::size_t size) {
        return std::shared_ptr<std::uint8_t>(AllocatePixelMemory(size), [size](std::uint8_t* p) { FreePixelMemory(p, size); });
    };
    // Warm both once.
    PngReferenceDecode(file, 0, true, libraryMemory);
    // Taken in turns, so that a change of the machine's load falls on both alike.
    std::vector<double> theirs, ours;
    for (int i = 0; i < runs; ++i) {
        theirs.push_back(timeMs([&] { PngReferenceDecode(file, 0, true, libraryMemory); }));
        ours.push_back(timeMs([&] {
            QBuffer in(&file);
            in.open(QIODevice::ReadOnly);
            TPixelGraphic image;
            image.LoadFromStream(in);
        }));
    }
    const double libpng = median(theirs);
    const double library = median(ours);
    std::printf("libpng   %9.1f ms\nlibrary  %9.1f ms\nratio    %9.3f (goal <= 1.1)\n", libpng, library, library / libpng);
    return 0;
}
