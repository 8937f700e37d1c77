// A folder of 40 real photos and 20 small files that claim huge pictures, through the thumbnail
// grid and through the build's thumbnail workers: the peak of resident memory, the time until
// every photo's thumbnail is there, and the time until a cancel of everything is heard. Run by
// hand:
//   hostile_folder [work folder]
// The folder keeps the generated files between runs (default: a temporary one).
#include "benchgrid.h"
#include "benchimages.h"
#include "fixtures.h"
#include "pngfixtures.h"

#include "app/gallery/thumbnailahead.h"
#include "components/lmthumbgrid.h"
#include "imaging/pglibrary.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <vector>

namespace {

constexpr int kPhotos = 40;
constexpr int kHostile = 20;
constexpr int kCancelAfterMs = 500;

struct Hostile {
    const char* name;
    QByteArray (*make)();
};

// The kinds of file measured before the memory budget, at the sizes they claimed.
const Hostile kKinds[] = {
    {"baseline_65500_no_data.jpg", [] { return BaselineJpegWithoutData(65500, 65500); }},
    {"exif6_65500_no_data.jpg",
     [] { return WithApp1(BaselineJpegWithoutData(65500, 65500), ExifOrientationPayload(6)); }},
    {"progressive_23000_one_empty_scan.jpg", [] { return GrayProgressiveJpegOfScans(23000, 23000, 1, true); }},
    {"progressive_23000_1000_empty_scans.jpg", [] { return GrayProgressiveJpegOfScans(23000, 23000, 1000, true); }},
    {"progressive_23000_90_scans.jpg", [] { return GrayProgressiveJpegOfScans(23000, 23000, 90, false); }},
    {"tiff_18000_shared_strips.tif", [] { return TiffOfSharedStrips(18000, 18000); }},
    {"png_18000_zero.png",
     [] {
         PngSpec spec;
         spec.width = spec.height = 18000;
         spec.rows.assign(18000, QByteArray(3 * 18000, '\0')); // one row shared by all
         return PngFile(spec);
     }},
    {"gif_32000_frame.gif", [] { return GifOfEmptyFrame(32000, 32000); }},
};

// The photos with a hostile file after every second one.
QStringList makeFolder(const QString& folder)
{
    const QStringList photos = WriteBenchPhotos(folder + "pictures/", kPhotos);
    QDir().mkpath(folder + "hostile");
    QStringList files;
    for (int i = 0, h = 0; i < kPhotos; ++i) {
        files << photos[i];
        if (i % 2 == 1 && h < kHostile) {
            const Hostile& kind = kKinds[h % std::size(kKinds)];
            const QString path = folder + QStringLiteral("hostile/%1_%2").arg(h, 2, 10, QLatin1Char('0')).arg(kind.name);
            if (!QFile::exists(path)) {
                QFile file(path);
                file.open(QIODevice::WriteOnly);
                file.write(kind.make());
            }
            files << path;
            ++h;
        }
    }
    return files;
}

struct Run {
    double photosMs = 0;   // until every photo is there
    double allMs = 0;      // until every file is settled
    double peakMb = 0;     // above what the process held before
    double cancelMs = 0;   // from the cancel until the workers have ended
};

void report(const char* name, const Run& r)
{
    std::printf("%-6s photos shown %7.0f ms, all settled %7.0f ms, peak memory +%6.0f MB, cancel heard in %5.0f ms\n",
                name, r.photosMs, r.allMs, r.peakMb, r.cancelMs);
}

// Each kind alone through the grid's thumbnail maker, as the table before the budget measured it.
void timeEachKind(const QString& folder)
{
    const std::atomic<bool> going{false};
    for (std::size_t k = 0; k < std::size(kKinds); ++k) {
        const QString path = folder + QStringLiteral("hostile/%1_%2").arg(int(k), 2, 10, QLatin1Char('0')).arg(kKinds[k].name);
        const double before = ResidentMegabytes();
        ResetPeakMemory();
        QElapsedTimer clock;
        clock.start();
        const ThumbResult result = LoadThumbnail({path, 100, 100, 1, 100, 100, 8}, going);
        std::printf("  %-40s %8lld B %7.2f s %+6.0f MB  %s\n", kKinds[k].name, qlonglong(QFileInfo(path).size()),
                    double(clock.nsecsElapsed()) / 1e9, PeakResidentMegabytes() - before,
                    result.failure.isEmpty() ? "thumbnail" : qPrintable(result.failure));
    }
}

bool settled(TLmThumbGrid& grid, const QStringList& files, bool photosOnly)
{
    for (int i = 0; i < files.size(); ++i)
        if ((!photosOnly || files[i].contains("/pictures/")) && grid.CellPicture(i) == ThumbSupply::Picture::Pending)
            return false;
    return true;
}

Run fillGrid(const QString& folder, const QStringList& files)
{
    Run run;
    {
        QDir(folder + "cache").removeRecursively();
        auto grid = MakeBenchGrid(folder + "cache", 100, 0);
        const double before = ResidentMegabytes();
        ResetPeakMemory();
        QElapsedTimer clock;
        clock.start();
        grid->LoadFromFileSource(files, true, true);
        while (!settled(*grid, files, true))
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        run.photosMs = double(clock.nsecsElapsed()) / 1e6;
        while (!settled(*grid, files, false))
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        run.allMs = double(clock.nsecsElapsed()) / 1e6;
        run.peakMb = PeakResidentMegabytes() - before;
    }
    // Closing the grid while its workers are busy: it waits for them.
    auto grid = MakeBenchGrid(folder + "cache_cancel", 100, 0);
    grid->LoadFromFileSource(files, true, true);
    QElapsedTimer busy;
    busy.start();
    while (busy.elapsed() < kCancelAfterMs)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QElapsedTimer clock;
    clock.start();
    grid.reset();
    run.cancelMs = double(clock.nsecsElapsed()) / 1e6;
    QDir(folder + "cache_cancel").removeRecursively();
    return run;
}

Run build(const QStringList& files)
{
    const int threads = std::max(1, QThread::idealThreadCount());
    const std::vector<bool> wanted(std::size_t(files.size()), true);
    Run run;
    {
        const double before = ResidentMegabytes();
        ResetPeakMemory();
        QElapsedTimer clock;
        clock.start();
        ThumbnailAhead ahead(files, wanted, 100, 100, CurrentSaveOptions(), threads);
        int lastPhoto = 0;
        for (int i = 0; i < files.size(); ++i)
            if (files[i].contains("/pictures/"))
                lastPhoto = i;
        for (int i = 0; i < files.size(); ++i) {
            ahead.take(i);
            if (i == lastPhoto)
                run.photosMs = double(clock.nsecsElapsed()) / 1e6;
        }
        run.allMs = double(clock.nsecsElapsed()) / 1e6;
        run.peakMb = PeakResidentMegabytes() - before;
    }
    // A cancelled build drops its workers with what they are doing.
    auto ahead = std::make_unique<ThumbnailAhead>(files, wanted, 100, 100, CurrentSaveOptions(), threads);
    QThread::msleep(kCancelAfterMs);
    QElapsedTimer clock;
    clock.start();
    ahead.reset();
    run.cancelMs = double(clock.nsecsElapsed()) / 1e6;
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitPGraphic();
    QTemporaryDir temporary;
    const QString folder = BenchWorkFolder(argc, argv, temporary.path());
    const QStringList files = makeFolder(folder);
    std::printf("%lld files (%d photos 4000 x 3000, %d hostile), %d grid workers, %d build workers, %d cores\n",
                qlonglong(files.size()), kPhotos, kHostile, std::min(ThumbPool::MaxThreads, QThread::idealThreadCount()),
                QThread::idealThreadCount(), QThread::idealThreadCount());
    std::printf("each kind alone, box 100 x 100, one worker:\n");
    timeEachKind(folder);
    report("grid", fillGrid(folder, files));
    report("build", build(files));
    DonePGraphic();
    return 0;
}
