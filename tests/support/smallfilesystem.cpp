#include "smallfilesystem.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

SmallFileSystem::SmallFileSystem(qint64 bytes)
{
    QByteArray pattern = platform::encodeFileName(QDir::tempPath()) + "/smallfs-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        reason_ = QStringLiteral("no mount point: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    path_ = platform::decodeFileName(pattern) + QLatin1Char('/');
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", pattern.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0) {
        reason_ = QStringLiteral("cannot mount a tmpfs: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    mounted_ = true;
}

SmallFileSystem::~SmallFileSystem()
{
    if (mounted_)
        ::umount2(platform::encodeFileName(path_).constData(), MNT_DETACH);
    if (!path_.isEmpty())
        ::rmdir(platform::encodeFileName(path_).constData());
}

bool SmallFileSystem::fill(const QString& name)
{
    const int fd = ::open(platform::encodeFileName(path_ + name).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    static const char block[4096] = {};
    ssize_t n = 0;
    while ((n = ::write(fd, block, sizeof block)) > 0) {
    }
    // Whatever room is left after the last whole block.
    while (::write(fd, block, 1) == 1) {
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}
