// Times the site build headlessly, for bench/build_vs_others.sh.
//   build_time --make DIR COUNT WIDTH HEIGHT   writes COUNT photograph-like JPEGs into DIR
//   build_time DIR BOX THREADS                 prints, as name=value lines:
//     per_thumbnail_ms  one thumbnail after another on this thread (createthumbnail)
//     build_1_ms        a whole build (thumbnails and pages) without workers
//     build_N_ms        the same build with THREADS workers
#include "benchimages.h"

#include "app/gallery/buildrunner.h"
#include "app/gallery/thumbnails.h"
#include "app/pages/imagefit.h"
#include "imaging/pglibrary.h"

#include "platform/prompts.h"
#include "platform/filenames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

QStringList photos(const QString& folder)
{
    QStringList names;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        if (IsJpegFileName(name) && !name.contains("_thb"))
            names << name;
    return names;
}

double timeBuild(const QString& folder, const QStringList& images, int box, int threads, const QString& templateFile)
{
    QDir(folder + "thumbs").removeRecursively();
    BuildJob job;
    job.pages.rotationFolder = folder;
    job.pages.images = images;
    job.pages.site.BaseHTMLName = "index.html";
    job.pages.settings.cmbstyle = templateFile;
    job.pages.settings.SpnThumbW.setValue(box);
    job.pages.settings.SpnThumbH.setValue(box);
    job.pages.settings.spnJPEGQuality.setValue(75);
    job.pages.ThumbTemplateTokens = {true, true, false, false};
    job.skipExistingThumbnails = false;
    job.threads = threads;
    platform::ScriptedPromptService prompts;
    BuildDisplay display;
    BuildRunner runner(job, prompts, display);
    const auto start = std::chrono::steady_clock::now();
    const bool built = runner.build();
    const double ms = msSince(start);
    if (!built || !prompts.calls().isEmpty())
        std::fprintf(stderr, "the build did not go through (%d messages)\n", int(prompts.calls().size()));
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    InitPGraphic();
    if (argc == 6 && QString(argv[1]) == "--make") {
        const QString folder = QDir(platform::decodeFileName(argv[2])).absolutePath() + "/";
        QDir().mkpath(folder);
        const int count = std::atoi(argv[3]);
        const QString first = folder + "photo0001.jpg";
        WritePhotoLikeJpeg(first, std::atoi(argv[4]), std::atoi(argv[5]));
        for (int i = 2; i <= count; ++i)
            QFile::copy(first, folder + QString("photo%1.jpg").arg(i, 4, 10, QChar('0')));
        return 0;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: build_time DIR BOX THREADS | --make DIR COUNT WIDTH HEIGHT\n");
        return 2;
    }
    const QString folder = QDir(platform::decodeFileName(argv[1])).absolutePath() + "/";
    const int box = std::atoi(argv[2]);
    const int threads = std::max(1, std::atoi(argv[3]));
    const QStringList images = photos(folder);
    if (images.isEmpty()) {
        std::fprintf(stderr, "no JPEG files in %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir work;
    const QString out = work.path() + "/";
    const QString templateFile = out + "template.htm";
    QFile file(templateFile);
    if (!file.open(QIODevice::WriteOnly) || file.write("<html><body>***INDEX***\r\n***CONTENT***</body></html>") <= 0)
        return 1;
    file.close();

    // The second of two passes: the files are in the page cache, as for the other tools.
    auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < 2; ++pass) {
        start = std::chrono::steady_clock::now();
        for (const QString& image : images)
            if (!createthumbnail(folder + image, out + GetThumbnailName(image), box, box, 75))
                std::fprintf(stderr, "no thumbnail of %s\n", qPrintable(image));
    }
    std::printf("photos=%d\n", int(images.size()));
    std::printf("per_thumbnail_ms=%.3f\n", msSince(start) / images.size());
    std::printf("build_1_ms=%.1f\n", timeBuild(folder, images, box, 1, templateFile));
    std::printf("threads=%d\n", threads);
    std::printf("build_N_ms=%.1f\n", timeBuild(folder, images, box, threads, templateFile));
    return 0;
}
