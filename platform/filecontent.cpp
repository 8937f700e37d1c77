#include "filecontent.h"

#include "filenames.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool isPlain(const struct stat& st)
{
    if (S_ISREG(st.st_mode))
        return true;
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return false;
}

} // namespace

int openPlainDescriptor(const QString& path, struct stat* status)
{
    const QByteArray name = encodeFileName(path);
    if (name.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    struct stat st {};
    // Some devices act on being opened: only what looks plain now is opened at all.
    if (::stat(name.constData(), &st) != 0 || !isPlain(st))
        return -1;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !isPlain(st)) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    // Non-blocking means nothing for a plain file; cleared so that readers see ordinary reads.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (status)
        *status = st;
    return fd;
}

std::optional<QByteArray> readFileContent(const QString& path)
{
    // Plain system calls: settings are read file by file for every site of a run.
    struct stat st {};
    const int fd = openPlainDescriptor(path, &st);
    if (fd < 0)
        return std::nullopt;
    struct Closer {
        int fd;
        ~Closer()
        {
            const int err = errno;
            ::close(fd);
            errno = err;
        }
    } closer{fd};
    // The size is a first guess: the file may grow or shrink while it is read.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        filled += n;
    }
    bytes.truncate(filled);
    return bytes;
}

bool isDanglingLink(const QString& path)
{
    const int err = errno;
    const QByteArray name = encodeFileName(path);
    struct stat st {};
    const bool dangling = ::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode)
                          && ::stat(name.constData(), &st) != 0 && errno == ENOENT;
    errno = err;
    return dangling;
}

bool openPlainFile(QFile& file, const QString& path)
{
    const int fd = openPlainDescriptor(path);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace platform
