// Writes the seed corpus of a fuzz target: make_seeds <target> <folder>.
#include "fixtures.h"

#include "imaging/pglibrary.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds <target> <folder>\n");
        return 2;
    }
    InitPGraphic();
    const QString target = platform::decodeFileName(argv[1]);
    const QDir folder(platform::decodeFileName(argv[2]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "make_seeds: cannot make %s\n", argv[2]);
        return 1;
    }
    const std::vector<Seed> seeds = SeedsFor(target);
    for (const Seed& seed : seeds) {
        QFile file(folder.filePath(QStringLiteral("seed_") + seed.name));
        if (!file.open(QIODevice::WriteOnly) || file.write(seed.data) != seed.data.size()) {
            std::fprintf(stderr, "make_seeds: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    std::printf("%zu seeds for %s\n", seeds.size(), argv[1]);
    return 0;
}
