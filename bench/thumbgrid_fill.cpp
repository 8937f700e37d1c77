// Times the thumbnail grid's fill of 1,000 files until every cell shows its thumbnail or its
// placeholder, paging down a screen at a time as each screen completes, and measures how
// long the user-interface thread is held by any one event. Run by hand:
//   thumbgrid_fill [work folder]
// The folder keeps the generated pictures between runs (default: a temporary one).
#include "benchgrid.h"
#include "benchimages.h"

#include "components/lmthumbgrid.h"
#include "imaging/pglibrary.h"
#include "platform/filenames.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <set>
#include <vector>

namespace {

constexpr int kPictures = 40;
constexpr int kLinks = 990;
constexpr int kDamaged = 10;
constexpr int kMemorySlots = 1000;
constexpr int kFrameMs = 16;

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Times every outermost event the user-interface thread handles, by the clock and by the
// thread's processor time.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        if (depth_++ > 0) {
            const bool done = QApplication::notify(receiver, event);
            --depth_;
            return done;
        }
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuMs();
        const bool done = QApplication::notify(receiver, event);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        durations.push_back(took.count());
        cpuDurations.push_back(threadCpuMs() - cpuStart);
        if (cpuDurations.back() > slowestCpu) {
            slowestCpu = cpuDurations.back();
            slowestCpuWhat = QStringLiteral("%1 to %2").arg(int(event->type())).arg(receiver->metaObject()->className());
        }
        if (took.count() > slowest) {
            slowest = took.count();
            slowestWhat = QStringLiteral("%1 to %2").arg(int(event->type())).arg(receiver->metaObject()->className());
        }
        --depth_;
        return done;
    }
    std::vector<double> durations;
    std::vector<double> cpuDurations; // the thread's own time: what is left when waits are taken out
    double slowest = 0;
    QString slowestWhat;
    double slowestCpu = 0;
    QString slowestCpuWhat;

private:
    int depth_ = 0;
};

// 40 pictures, 990 more names for them and 10 damaged files.
QStringList makeFiles(const QString& folder)
{
    WriteBenchPhotos(folder + "pictures/", kPictures);
    QStringList files;
    const QString names = folder + "names/";
    QDir(names).removeRecursively();
    QDir().mkpath(names);
    for (int i = 0; i < kLinks; ++i) {
        const QString picture = folder + QStringLiteral("pictures/photo%1.jpg").arg(i % kPictures, 2, 10, QLatin1Char('0'));
        const QString name = names + QStringLiteral("img%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        if (::link(platform::encodeFileName(picture).constData(), platform::encodeFileName(name).constData()) != 0)
            std::fprintf(stderr, "cannot link %s\n", qPrintable(name));
        files << name;
    }
    QFile whole(folder + "pictures/photo00.jpg");
    whole.open(QIODevice::ReadOnly);
    const QByteArray photo = whole.readAll();
    const QByteArray damaged[kDamaged] = {"", "not a picture", photo.left(2), photo.left(200), photo.left(photo.size() / 3),
                                          QByteArray(5000, '\xFF'), photo.mid(2), "BM", "\x89PNG\r\n", photo.left(20)};
    for (int i = 0; i < kDamaged; ++i) {
        const QString name = names + QStringLiteral("bad%1.jpg").arg(i);
        QFile file(name);
        file.open(QIODevice::WriteOnly);
        file.write(damaged[i]);
        files.insert(int(files.size() * (i + 1) / (kDamaged + 1)), name);
    }
    return files;
}

struct Outcome {
    double totalMs = 0;
    double longestMs = 0;
    double p99Ms = 0;
    std::size_t events = 0;
    double busyMs = 0;
    double p99CpuMs = 0;
    double longestCpuMs = 0;
    QString slowest;
    QString slowestCpu;
    int thumbnails = 0;
    int placeholders = 0;
};

// Fills the grid and pages down screen by screen until every cell is settled.
Outcome fill(TimedApplication& app, TLmThumbGrid& grid, const QStringList& files)
{
    app.durations.clear();
    app.cpuDurations.clear();
    app.slowest = 0;
    app.slowestCpu = 0;
    QElapsedTimer timer;
    timer.start();
    grid.LoadFromFileSource(files, true, true);
    std::set<int> done;
    Outcome outcome;
    for (;;) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const int first = grid.TopRow() * grid.ColCount();
        const int last = std::min(int(files.size()), (grid.TopRow() + grid.VisibleRowCount()) * grid.ColCount());
        bool screenDone = true;
        for (int i = first; i < last; ++i) {
            const ThumbSupply::Picture picture = grid.CellPicture(i);
            if (picture == ThumbSupply::Picture::Pending) {
                screenDone = false;
            } else if (done.insert(i).second) {
                (picture == ThumbSupply::Picture::Thumbnail ? outcome.thumbnails : outcome.placeholders)++;
            }
        }
        if (!screenDone)
            continue;
        if (int(done.size()) == files.size())
            break;
        QScrollBar* bar = grid.verticalScrollBar();
        bar->setValue(bar->value() + bar->pageStep());
    }
    outcome.totalMs = double(timer.nsecsElapsed()) / 1e6;
    std::vector<double> sorted = app.durations;
    std::sort(sorted.begin(), sorted.end());
    outcome.events = sorted.size();
    for (double d : sorted)
        outcome.busyMs += d;
    outcome.slowest = app.slowestWhat;
    outcome.slowestCpu = app.slowestCpuWhat;
    std::vector<double> cpu = app.cpuDurations;
    std::sort(cpu.begin(), cpu.end());
    if (!cpu.empty()) {
        outcome.longestCpuMs = cpu.back();
        outcome.p99CpuMs = cpu[std::min(cpu.size() - 1, cpu.size() * 99 / 100)];
    }
    if (!sorted.empty()) {
        outcome.longestMs = sorted.back();
        outcome.p99Ms = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    }
    return outcome;
}

std::unique_ptr<TLmThumbGrid> makeGrid(const QString& cacheFolder)
{
    return MakeBenchGrid(cacheFolder, kMemorySlots, kLinks + kDamaged);
}

// One thumbnail made alone, best of five: what a worker does per picture.
double makeAlone(const QString& picture, int maxScale)
{
    double best = 1e9;
    const std::atomic<bool> going{false};
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        LoadThumbnail({picture, 90, 75, 1, 90, 75, maxScale}, going);
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

void report(const char* name, const Outcome& o)
{
    std::printf("%-22s %8.0f ms %7.1f cells/s  %d thumbnails %d placeholders\n"
                "%-22s UI thread: %zu events, busy %.0f ms; 99th %.2f ms, longest %.2f ms (event %s)%s; "
                "processor time: 99th %.2f ms, longest %.2f ms (event %s)\n",
                name, o.totalMs, 1000.0 * (o.thumbnails + o.placeholders) / o.totalMs, o.thumbnails, o.placeholders, "",
                o.events, o.busyMs, o.p99Ms, o.longestMs, qPrintable(o.slowest),
                o.longestMs < kFrameMs ? "" : " OVER A FRAME", o.p99CpuMs, o.longestCpuMs, qPrintable(o.slowestCpu));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    InitPGraphic();
    QTemporaryDir temporary;
    const QString folder = BenchWorkFolder(argc, argv, temporary.path());
    const QStringList files = makeFiles(folder);
    const QString cache = folder + "cache";
    const QString cacheFull = folder + "cache_full_size";
    QDir(cache).removeRecursively();
    QDir(cacheFull).removeRecursively();
    std::printf("%lld files, %d worker threads, %d cores\n", qlonglong(files.size()),
                std::min(ThumbPool::MaxThreads, QThread::idealThreadCount()), QThread::idealThreadCount());

    const QString picture = folder + "pictures/photo00.jpg";
    std::printf("one thumbnail alone (best of 5): %.1f ms reduced, %.1f ms full size\n", makeAlone(picture, 8),
                makeAlone(picture, 1));

    Outcome cold, disk, memory, fullSize;
    {
        auto grid = makeGrid(cache);
        std::printf("grid %d x %d cells on the screen\n", grid->ColCount(), grid->VisibleRowCount());
        cold = fill(app, *grid, files);
        report("cold", cold);
        {
            auto fresh = makeGrid(cache);
            disk = fill(app, *fresh, files);
            report("warm from disk cache", disk);
        }
        memory = fill(app, *grid, files);
        report("warm from memory", memory);
    }
    {
        auto grid = makeGrid(cacheFull);
        grid->SetJpegMaxScale(1);
        fullSize = fill(app, *grid, files);
        report("cold, full size (1/1)", fullSize);
    }
    std::printf("cold is %.1f times faster than full size (goal: at least 4)\n", fullSize.totalMs / cold.totalMs);
    DonePGraphic();
    return 0;
}
