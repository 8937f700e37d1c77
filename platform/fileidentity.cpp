#include "fileidentity.h"

#include <QFile>

#include <sys/stat.h>

namespace platform {

namespace {

bool statPath(const QString& path, struct stat& st)
{
    if (path.isEmpty())
        return false;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

bool isSameFile(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    if (!statPath(a, sa) || !statPath(b, sb))
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
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

} // namespace platform
