// Benchmarks of the image library's heavy paths: a large JPEG loaded and saved, a photograph
// scaled down to a thumbnail, and BMP load and save.
#include "benchimages.h"

#include "imaging/pglibrary.h"
#include "imaging/pgsettings.h"
#include "imaging/pixelgraphic.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// The test files, made once per run in a temporary folder.
struct Files {
    Files()
    {
        InitPGraphic();
        image = MakePhotoLikeImage(kWidth, kHeight);
        jpeg = folder.filePath("large.jpg");
        bmp = folder.filePath("large.bmp");
        WritePhotoLikeJpeg(jpeg, kWidth, kHeight);
        image->SaveToFile(bmp);
    }
    QTemporaryDir folder;
    std::unique_ptr<TPixelGraphic> image;
    QString jpeg, bmp;
};

Files& files()
{
    static Files f;
    return f;
}

void setPixels(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * std::int64_t(kWidth) * kHeight);
}

void LoadLargeJpeg(benchmark::State& state)
{
    const QString path = files().jpeg;
    for (auto _ : state) {
        TPixelGraphic image;
        image.LoadFromFile(path);
        benchmark::DoNotOptimize(image.Bits());
    }
    setPixels(state);
}
BENCHMARK(LoadLargeJpeg)->Unit(benchmark::kMillisecond);

void SaveJpegQuality80Progressive(benchmark::State& state)
{
    TPixelGraphic& image = *files().image;
    PixelGraphicJPEGQuality = 80;
    PixelGraphicJPEGProgressive = true;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        image.SaveToStreamAs(buffer, "jpg");
        benchmark::DoNotOptimize(buffer.data().size());
    }
    PixelGraphicJPEGProgressive = false;
    setPixels(state);
}
BENCHMARK(SaveJpegQuality80Progressive)->Unit(benchmark::kMillisecond);

void StretchMediumToThumbnail(benchmark::State& state)
{
    TPixelGraphic& source = *files().image;
    for (auto _ : state) {
        TPixelGraphic thumb;
        thumb.SetStretchMode(smMedium);
        thumb.Allocate(150, 100, bcn24Bit);
        thumb.StretchFrom(source);
        benchmark::DoNotOptimize(thumb.Bits());
    }
    setPixels(state);
}
BENCHMARK(StretchMediumToThumbnail)->Unit(benchmark::kMillisecond);

void LoadLargeBmp(benchmark::State& state)
{
    const QString path = files().bmp;
    for (auto _ : state) {
        TPixelGraphic image;
        image.LoadFromFile(path);
        benchmark::DoNotOptimize(image.Bits());
    }
    setPixels(state);
}
BENCHMARK(LoadLargeBmp)->Unit(benchmark::kMillisecond);

void SaveLargeBmp(benchmark::State& state)
{
    TPixelGraphic& image = *files().image;
    const QString path = files().folder.filePath("saved.bmp");
    for (auto _ : state)
        image.SaveToFile(path);
    setPixels(state);
}
BENCHMARK(SaveLargeBmp)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
