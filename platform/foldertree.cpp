#include "foldertree.h"

#include "fileidentity.h"
#include "filenames.h"

#include <QDir>

#include <cerrno>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QStringList missingFolderLevels(const QString& path)
{
    QString p = path.trimmed();
    if (!p.endsWith(QLatin1Char('/')) && !p.endsWith(QLatin1Char('\\')))
        p += QLatin1Char('/');
    QStringList levels;
    for (qsizetype i = 1; i < p.size(); ++i) {
        if (p[i] != QLatin1Char('/') && p[i] != QLatin1Char('\\'))
            continue;
        if (p[i - 1] == QLatin1Char('/') || p[i - 1] == QLatin1Char('\\'))
            continue; // "a//b": the doubled separator adds no level
        const QString level = p.left(i + 1);
        if (!folderExists(level))
            levels.append(level);
    }
    return levels;
}

FileOutcome createFolderLevels(const QStringList& levels)
{
    for (qsizetype i = 0; i < levels.size(); ++i) {
        if (::mkdir(encodeFileName(levels[i]).constData(), 0777) == 0 || folderExists(levels[i]))
            continue;
        const FileOutcome failed = FileOutcome::fromErrno(QStringLiteral("Cannot create %1").arg(levels[i]));
        for (qsizetype j = i - 1; j >= 0; --j)
            ::rmdir(encodeFileName(levels[j]).constData()); // fails, as it should, when not empty
        return failed;
    }
    return FileOutcome::success();
}

namespace {

bool isAncestorOrSelf(const QString& folder, const QString& of)
{
    return !of.isEmpty() && isWithinFolder(of, folder);
}

int removeEntry(const char* path, const struct stat*, int type, struct FTW*)
{
    const int rc = (type == FTW_DP) ? ::rmdir(path) : ::unlink(path);
    return rc == 0 ? 0 : errno;
}

} // namespace

bool isProtectedFolder(const QString& folder, const QString& programFolder)
{
    if (!folder.startsWith(QLatin1Char('/')))
        return true;
    const QString c = canonicalLocation(folder);
    if (c == QLatin1String("/"))
        return true;
    if (c == canonicalLocation(QDir::homePath()))
        return true;
    return isAncestorOrSelf(folder, programFolder);
}

FileOutcome removeFolderTree(const QString& folder, const QString& programFolder)
{
    // Deleting the working folder, or one that holds it, would pull the floor from under the
    // process (and from under a shell that started it there).
    if (isProtectedFolder(folder, programFolder) || isAncestorOrSelf(folder, QDir::currentPath()))
        return FileOutcome::failure(QStringLiteral("Refusing to delete %1").arg(folder));
    if (!folderExists(folder))
        return FileOutcome::failure(QStringLiteral("No such folder: %1").arg(folder));
    const QByteArray path = encodeFileName(folder);
    const int rc = ::nftw(path.constData(), removeEntry, 32, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
    if (rc != 0) {
        errno = rc > 0 ? rc : errno;
        return FileOutcome::fromErrno(QStringLiteral("Cannot delete %1").arg(folder));
    }
    return FileOutcome::success();
}

} // namespace platform
