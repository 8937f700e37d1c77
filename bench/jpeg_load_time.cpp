// Times the library's JPEG load for the comparison with djpeg (bench/jpeg_vs_djpeg.sh).
//   jpeg_load_time --make FILE WIDTH HEIGHT   writes the photograph-like test JPEG
//   jpeg_load_time FILE RUNS                  loads it RUNS times; prints each time in ms
#include "benchimages.h"

#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"
#include "platform/filenames.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    InitPGraphic();
    if (argc == 5 && QString(argv[1]) == "--make") {
        WritePhotoLikeJpeg(platform::decodeFileName(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: jpeg_load_time FILE RUNS | --make FILE WIDTH HEIGHT\n");
        return 2;
    }
    const QString path = platform::decodeFileName(argv[1]);
    const int runs = std::atoi(argv[2]);
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        {
            TPixelGraphic image;
            image.LoadFromFile(path);
        }
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        std::printf("%.3f\n", took.count());
    }
    return 0;
}
