// Times a whole headless build with image pages and "Show images no larger than" on, on one
// thread, with the image pages measured two ways in the same run:
//   decoded  each picture loaded whole to learn its size (how image pages were measured before)
//   header   the program's own measure (the format's file information)
// Run by hand:
//   imagepage_build [work folder] [count] [width] [height]
// COUNT (200) photograph-like JPEGs of WIDTH x HEIGHT (6000 x 4000, 24 MP) are names of one
// picture, kept in the work folder between runs (default: a temporary one). Both builds must
// write the same pages; the ratio decoded / header is printed.
#include "benchimages.h"

#include "app/gallery/buildrunner.h"
#include "app/pages/imagemeasure.h"
#include "imaging/pglibrary.h"
#include "imaging/pixelgraphic.h"

#include "platform/prompts.h"
#include "platform/filenames.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <unistd.h>

namespace {

// The peer: the size of the picture as a whole load gives it.
std::optional<QSize> decodedSize(const QString& path)
{
    try {
        TPixelGraphic image;
        image.SetWarningAction(waIgnore);
        image.LoadFromFile(path);
        return QSize(image.Width(), image.Height());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

QStringList makePhotos(const QString& folder, int count, int width, int height)
{
    const QString picture = folder + "picture.jpg";
    if (!QFile::exists(picture)) {
        std::fprintf(stderr, "making %s\n", qPrintable(picture));
        WritePhotoLikeJpeg(picture, width, height, 85);
    }
    const QString photos = folder + "photos/";
    QDir(photos).removeRecursively();
    QDir().mkpath(photos);
    QStringList names;
    for (int i = 1; i <= count; ++i) {
        const QString name = QStringLiteral("photo%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        if (::link(platform::encodeFileName(picture).constData(), platform::encodeFileName(photos + name).constData()) != 0)
            std::fprintf(stderr, "cannot link %s\n", qPrintable(name));
        names << name;
    }
    return names;
}

struct Build {
    double ms = 0;
    QByteArray pages; // a digest of every page written
};

Build build(const QString& photos, const QStringList& images, const QString& templateFile,
            decltype(BuildJob::measureImage) measure)
{
    QDir(photos + "thumbs").removeRecursively();
    BuildJob job;
    job.pages.rotationFolder = photos;
    job.pages.images = images;
    job.pages.site.BaseHTMLName = "index.html";
    RotationSettings& s = job.pages.settings;
    s.cmbstyle = templateFile;
    s.cmbimagestyle = templateFile;
    s.rdbHTMLImageWindow = true;
    s.chkmaximagesize = true;
    s.spnImageWidth.setValue(800);
    s.SpnImageHeight.setValue(600);
    s.SpnThumbW.setValue(100);
    s.SpnThumbH.setValue(100);
    job.pages.ThumbTemplateTokens = {true, true, false, false};
    job.pages.ImageTemplateTokens = {true, true, false, false};
    job.skipExistingThumbnails = false;
    job.threads = 1;
    job.measureImage = std::move(measure);
    platform::ScriptedPromptService prompts;
    BuildDisplay display;
    BuildRunner runner(job, prompts, display);
    const auto start = std::chrono::steady_clock::now();
    const bool built = runner.build();
    Build result;
    result.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!built || !prompts.calls().isEmpty())
        std::fprintf(stderr, "the build did not go through (%d messages)\n", int(prompts.calls().size()));
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const QString& page : QDir(photos).entryList({"*.html"}, QDir::Files, QDir::Name)) {
        QFile file(photos + page);
        file.open(QIODevice::ReadOnly);
        digest.addData(file.readAll());
        file.close();
        QFile::remove(photos + page);
    }
    result.pages = digest.result().toHex();
    return result;
}

// Milliseconds a photo for one measure alone, over the first n photos.
double msPerMeasure(const QString& photos, const QStringList& images, int n,
                    const std::function<std::optional<QSize>(const QString&)>& measure)
{
    n = std::min(n, int(images.size()));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        if (!measure(photos + images[i]))
            std::fprintf(stderr, "no size for %s\n", qPrintable(images[i]));
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / n;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    InitPGraphic();
    QTemporaryDir temporary;
    const QString folder = BenchWorkFolder(argc, argv, temporary.path());
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    const int width = argc > 3 ? std::atoi(argv[3]) : 6000;
    const int height = argc > 4 ? std::atoi(argv[4]) : 4000;
    QDir().mkpath(folder);
    const QStringList images = makePhotos(folder, count, width, height);
    const QString photos = folder + "photos/";
    const QString templateFile = folder + "template.htm";
    QFile file(templateFile);
    if (!file.open(QIODevice::WriteOnly) || file.write("<html><body>***INDEX***\r\n***CONTENT***</body></html>") <= 0)
        return 1;
    file.close();
    std::printf("%d photos of %d x %d (%.1f MB each), image pages at most 800 x 600, one thread\n", count, width,
                height, double(QFile(folder + "picture.jpg").size()) / 1e6);

    // Alternating, twice each; the best of each counts.
    Build decoded, header;
    decoded.ms = header.ms = 1e300;
    bool same = true;
    for (int round = 0; round < 2; ++round) {
        const Build d = build(photos, images, templateFile, decodedSize);
        const Build h = build(photos, images, templateFile, {});
        std::printf("round %d: decoded %.0f ms, header %.0f ms\n", round + 1, d.ms, h.ms);
        same = same && d.pages == h.pages;
        decoded.ms = std::min(decoded.ms, d.ms);
        header.ms = std::min(header.ms, h.ms);
    }
    std::printf("whole build, sizes decoded (before): %.0f ms (%.1f ms a photo)\n", decoded.ms, decoded.ms / count);
    std::printf("whole build, sizes from the header:  %.0f ms (%.1f ms a photo)\n", header.ms, header.ms / count);
    std::printf("decoded / header: %.2f\n", decoded.ms / header.ms);
    std::printf("one measure alone: decoded %.1f ms, header %.3f ms a photo\n",
                msPerMeasure(photos, images, 10, decodedSize),
                msPerMeasure(photos, images, count, [](const QString& path) { return measureImageFile(path); }));
    std::printf("pages: %s\n", same ? "the same in both builds" : "DIFFERENT between the builds");
    return same ? 0 : 1;
}
