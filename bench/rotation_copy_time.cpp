// Times the rotation engine copying one rotation into an empty live folder, for the comparison
// with cp -a + sync and rsync --fsync (bench/rotation_vs_cp.sh).
//   rotation_copy_time --make ROTATION     writes a rotation of 1,000 files
//   rotation_copy_time ROTATION LIVE RUNS  rotates it into LIVE RUNS times; prints each time in ms
#include "rotation/engine/problemreport.h"
#include "rotation/engine/rotationengine.h"
#include "rotation/engine/runlog.h"
#include "rotation/engine/siterecord.h"

#include "platform/prompts.h"
#include "platform/filenames.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void writeFile(const QString& path, qsizetype size, QRandomGenerator& random)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i + 4 <= size; i += 4) {
        const quint32 v = random.generate();
        std::memcpy(bytes.data() + i, &v, 4);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// 450 thumbnails, 100 pictures of 0.2 to 2 MB, 450 small files (pages and the like).
void makeRotation(const QString& folder)
{
    QRandomGenerator random(20261209);
    QDir().mkpath(folder + "/thumbs");
    for (int i = 0; i < 450; ++i)
        writeFile(QStringLiteral("%1/thumbs/pic%2_thb.jpg").arg(folder).arg(i), 4000 + random.bounded(8000), random);
    for (int i = 0; i < 100; ++i)
        writeFile(QStringLiteral("%1/pic%2.jpg").arg(folder).arg(i), 200 * 1000 + random.bounded(1800 * 1000), random);
    for (int i = 0; i < 450; ++i)
        writeFile(QStringLiteral("%1/page%2.html").arg(folder).arg(i), 1000 + random.bounded(5000), random);
    writeFile(folder + "/index.html", 3000, random);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--make") {
        makeRotation(platform::decodeFileName(argv[2]));
        return 0;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: rotation_copy_time ROTATION LIVE RUNS | --make ROTATION\n");
        return 2;
    }
    const QString rotation = QDir(platform::decodeFileName(argv[1])).absolutePath() + "/";
    const QString live = QDir(platform::decodeFileName(argv[2])).absolutePath() + "/";
    const int runs = std::atoi(argv[3]);

    QTemporaryDir prog;
    const QString programFolder = prog.path() + "/";
    QFile site(programFolder + "Site_1.ini");
    if (!site.open(QIODevice::WriteOnly))
        return 1;
    site.write("[General]\r\nName=Bench\r\nPath=" + platform::encodeFileName(rotation) + "\r\nLivePath=" + platform::encodeFileName(live)
               + "\r\nAutoRotate=True\r\nRotationCount=1\r\nBaseHTMLName=index.html\r\n[Rotation_1]\r\nRotation_Path="
               + platform::encodeFileName(rotation) + "\r\n");
    site.close();

    platform::ScriptedPromptService prompts;
    RunLog log;
    ProblemReport report(log, prompts, true);
    SiteStore store(programFolder);
    RotationEngine engine(store, log, report);
    for (int i = 0; i < runs; ++i) {
        QDir(live).removeRecursively();
        ::sync();  // what earlier runs left dirty is not this run's cost
        tsiterecord record;
        store.loadsite("Site_1", record);
        const auto start = std::chrono::steady_clock::now();
        const SiteRotation result = engine.rotateSite(record);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (!result.succeeded()) {
            std::fprintf(stderr, "the rotation failed:\n%s\n", qPrintable(log.lines().join('\n')));
            return 1;
        }
        std::printf("%.1f\n", took.count());
    }
    return 0;
}
