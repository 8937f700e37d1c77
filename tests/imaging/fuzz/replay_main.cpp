// The twin of a fuzz target: runs its input function without the fuzzing engine, over the
// files named on the command line (files or folders), or by default over the target's seeds and
// the damaged files of tests/imaging/crashers that belong to it. A crash or sanitizer report
// fails the run.
#include "fixtures.h"

#include "imaging/pglibrary.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size);

namespace {

int replay(const QByteArray& data)
{
    return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size()));
}

bool replayPath(const QString& path, const QStringList& nameFilters, int& count)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        const QDir folder(path);
        for (const QString& name : folder.entryList(nameFilters, QDir::Files, QDir::Name))
            if (!replayPath(folder.filePath(name), nameFilters, count))
                return false;
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    ++count;
    return replay(file.readAll()) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    InitPGraphic();
    int count = 0;
    if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            if (!replayPath(platform::decodeFileName(argv[i]), {}, count))
                return 1;
    } else {
        for (const Seed& seed : SeedsFor(QStringLiteral(FUZZ_TARGET))) {
            ++count;
            if (replay(seed.data) != 0)
                return 1;
        }
        const QStringList filters = QString::fromLatin1(FUZZ_FILES).split(u',');
        if (!replayPath(QStringLiteral(CRASHERS_DIR), filters, count))
            return 1;
    }
    std::printf("%s: %d inputs replayed\n", FUZZ_TARGET, count);
    return 0;
}
