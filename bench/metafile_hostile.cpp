// Plays the hostile metafiles of tests/imaging/fuzz/hostilemetafiles.cpp as thumbnails (the
// 130-pixel fit of a thumbnail load) and at full size, each load in a process of its own, and
// prints its time and the process's peak memory (bench/README.md).
//   metafile_hostile [work folder] [seconds allowed per load, 120 unless given]
//   metafile_hostile --load FILE thumb|full     one load; prints "milliseconds peak-kB"
#include "benchimages.h"
#include "hostilemetafiles.h"

#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// The process's peak resident memory, kB.
long peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line; !(line = status.readLine()).isEmpty();)
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

int loadOnce(const QString& Path, bool Thumbnail)
{
    InitPGraphic();
    QElapsedTimer clock;
    clock.start();
    QString failure;
    {
        TPixelGraphic image;
        image.SetFastJPEGDecode(Thumbnail);
        try {
            image.LoadFromFile(Path);
        } catch (const std::exception& e) {
            failure = QString::fromLocal8Bit(e.what());
        }
    }
    std::printf("%lld %ld %s\n", static_cast<long long>(clock.elapsed()), peakKilobytes(), qPrintable(failure));
    return 0;
}

// One load in a child process: its report, or "> N s" when it did not end in time.
QString timedLoad(const QString& Self, const QString& Path, const char* Mode, int Seconds)
{
    QProcess child;
    child.start(Self, {QStringLiteral("--load"), Path, QString::fromLatin1(Mode)});
    if (!child.waitForFinished(Seconds * 1000)) {
        child.kill();
        child.waitForFinished();
        return QStringLiteral("%1 %2").arg(QStringLiteral("> %1 s").arg(Seconds), 10).arg(QString(), 9);
    }
    const QList<QByteArray> report = child.readAllStandardOutput().trimmed().split(' ');
    if (report.size() < 2)
        return QStringLiteral("%1 %2").arg(QStringLiteral("crashed"), 10).arg(QString(), 9);
    const QString shown = QStringLiteral("%1 %2").arg(report[0].toLongLong(), 7).arg(report[1].toLong() / 1024, 6);
    return report.size() > 2 ? shown + QStringLiteral(" (") + QString::fromLocal8Bit(report.mid(2).join(' ')) + ')' : shown;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && QByteArray(argv[1]) == "--load") {
        QGuiApplication app(argc, argv); // text needs the font database
        return loadOnce(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]) == "thumb");
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString folder = BenchWorkFolder(argc, argv, temporary.path());
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 120;
    std::printf("%-22s %7s   %14s    %14s\n", "file", "bytes", "thumbnail", "full size");
    std::printf("%-22s %7s   %7s %6s    %7s %6s\n", "", "", "ms", "MB", "ms", "MB");
    for (const HostileMetafile& file : HostileMetafiles()) {
        const QString path = folder + QString::fromLatin1(file.name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file.data) != file.data.size() || !out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        out.close();
        const QString self = QCoreApplication::applicationFilePath();
        const QString thumbnail = timedLoad(self, path, "thumb", seconds);
        std::printf("%-22s %7lld   %s", file.name, static_cast<long long>(file.data.size()), qPrintable(thumbnail));
        std::fflush(stdout);
        std::printf("    %s\n", qPrintable(timedLoad(self, path, "full", seconds)));
        std::fflush(stdout);
    }
    return 0;
}
