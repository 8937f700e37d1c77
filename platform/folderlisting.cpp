#include "folderlisting.h"

#include "filemask.h"
#include "filenames.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace platform {

bool listingLess(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    if (c != 0)
        return c < 0;
    return encodeFileName(a) < encodeFileName(b);
}

FolderListing listFolder(const QString& folder, ListWhat what, const QString& masks,
                          const std::function<bool(const QString& name)>& unexamined)
{
    FolderListing result;
    const QByteArray dirName = encodeFileName(folder);
    DIR* dir = ::opendir(dirName.constData());
    if (!dir) {
        result.outcome = FileOutcome::fromErrno(QStringLiteral("Cannot list %1").arg(folder));
        return result;
    }
    const FileMask mask(masks);
    const bool filter = !masks.trimmed().isEmpty();
    const int fd = ::dirfd(dir);
    for (;;) {
        // Only readdir's own errno may end the listing as a failure.
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        if (entry->d_name[0] == '.')
            continue; // ".", ".." and hidden files
        const QString name = decodeFileName(entry->d_name);
        if (filter && !mask.matches(name))
            continue;
        if (unexamined && unexamined(name)) {
            ++result.unexamined;
            continue;
        }
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, 0) != 0)
            continue; // a dangling link, a link loop, an entry that vanished: left out
        const bool isDir = S_ISDIR(st.st_mode);
        const bool isFile = S_ISREG(st.st_mode);
        if ((what == ListWhat::Files && !isFile) || (what == ListWhat::Folders && !isDir)
            || (!isDir && !isFile))
            continue;
        result.names.append(name);
    }
    const int err = errno;
    ::closedir(dir);
    if (err != 0) {
        errno = err;
        result.outcome = FileOutcome::fromErrno(QStringLiteral("Cannot list %1").arg(folder));
        result.names.clear();
        result.unexamined = 0;
        return result;
    }
    std::sort(result.names.begin(), result.names.end(), listingLess);
    return result;
}

} // namespace platform
