#include "fileidentity.h"

#include "filenames.h"

#include <QDir>
#include <QStringList>

#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace platform {

namespace {

bool statPath(const QString& path, struct stat& st)
{
    if (path.isEmpty())
        return false;
    return ::stat(encodeFileName(path).constData(), &st) == 0;
}

} // namespace

bool isSameFile(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    if (!statPath(a, sa) || !statPath(b, sb))
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString canonicalLocation(const QString& path)
{
    // A relative path names no place of its own: it is never taken from the working folder.
    if (!QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    const QStringList parts = path.split(QLatin1Char('/'));
    QString resolved = QStringLiteral("/");
    qsizetype i = 0;
    for (; i < parts.size(); ++i) {
        if (parts[i].isEmpty() || parts[i] == QLatin1String("."))
            continue;
        const QString next = resolved + (resolved.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + parts[i];
        char* real = ::realpath(encodeFileName(next).constData(), nullptr);
        if (!real)
            break;
        resolved = decodeFileName(real);
        std::free(real);
    }
    QString rest;
    for (; i < parts.size(); ++i)
        rest += QLatin1Char('/') + parts[i];
    return rest.isEmpty() ? resolved : QDir::cleanPath(resolved + rest);
}

bool isWithinFolder(const QString& path, const QString& folder)
{
    const QString p = canonicalLocation(path);
    QString f = canonicalLocation(folder);
    if (p == f)
        return true;
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return p.startsWith(f);
}

bool fileExists(const QString& path)
{
    struct stat st {};
    return statPath(path, st) && S_ISREG(st.st_mode);
}

bool folderExists(const QString& path)
{
    struct stat st {};
    return statPath(path, st) && S_ISDIR(st.st_mode);
}

bool entryExists(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && ::lstat(encodeFileName(path).constData(), &st) == 0;
}

} // namespace platform
