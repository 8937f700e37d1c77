#include "stagedfile.h"

#include "filecontent.h"
#include "filenames.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// True when the hook fails this step; errno then holds its error.
bool injected(WriteStep step)
{
    const int err = injectedWriteFault(step);
    if (err == 0)
        return false;
    errno = err;
    return true;
}

// An unnamed file can only be given a name through /proc.
bool canNameUnnamedFiles()
{
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

QByteArray randomStagingName(const QByteArray& folder)
{
    return folder + stagingPrefix
           + QByteArray::number(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 36);
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool isCopyRangeUnsupported(int err)
{
    return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == EBADF;
}

} // namespace

QByteArray encodedFolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QByteArrayLiteral("./") : encodeFileName(path.left(slash + 1));
}

StagedFile::StagedFile(const QString& target, mode_t createMode)
    : target_(target)
    , folder_(encodedFolderOf(target))
{
    if (injected(WriteStep::Create))
        return;
    if (canNameUnnamedFiles()) {
        fd_ = injected(WriteStep::Unnamed) ? -1 : ::open(folder_.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode);
        // Any other error (no folder, no room) would stop a named file as well.
        if (fd_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return;
    }
    for (int attempt = 0; fd_ < 0 && attempt < 64; ++attempt) {
        name_ = randomStagingName(folder_);
        fd_ = ::open(name_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        if (fd_ < 0) {
            const int err = errno;
            name_.clear();
            errno = err;
            if (err != EEXIST)
                return;
        }
    }
    if (fd_ >= 0)
        ::flock(fd_, LOCK_EX | LOCK_NB);  // a fresh file: nobody else can hold it
}

StagedFile::~StagedFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!placed_ && !name_.isEmpty())
        ::unlink(name_.constData());
}

bool StagedFile::write(const char* data, qsizetype size, WriteStep step)
{
    if (injected(step))
        return false;
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool StagedFile::copyFrom(int source, bool& readFailed)
{
    readFailed = false;
    // In the kernel where it can; by hand across file systems that cannot.
    for (;;) {
        if (injected(WriteStep::Write))
            return false;
        const ssize_t n = ::copy_file_range(source, nullptr, fd_, nullptr, size_t(1) << 30, 0);
        if (n > 0)
            continue;
        if (n == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (!isCopyRangeUnsupported(errno))
            return false;
        break;
    }
    constexpr qsizetype blockSize = 1 << 20;
    std::unique_ptr<char[]> block(new char[blockSize]);
    for (;;) {
        const ssize_t n = ::read(source, block.get(), blockSize);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            readFailed = true;
            return false;
        }
        if (n == 0)
            return true;
        if (!write(block.get(), n))
            return false;
    }
}

bool StagedFile::setMode(mode_t mode)
{
    return ::fchmod(fd_, mode) == 0;
}

bool StagedFile::sync()
{
    if (injected(WriteStep::Sync))
        return false;
    return ::fsync(fd_) == 0;
}

bool StagedFile::nameAndClose()
{
    if (name_.isEmpty()) {
        if (injected(WriteStep::Place))
            return false;
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd_);
        for (int attempt = 0; name_.isEmpty() && attempt < 64; ++attempt) {
            const QByteArray name = randomStagingName(folder_);
            if (::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
                name_ = name;
            else if (errno != EEXIST)
                return false;
        }
        if (name_.isEmpty())
            return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (injected(WriteStep::Close)) {
        ::close(fd);
        return false;
    }
    return ::close(fd) == 0;
}

bool StagedFile::place(bool replace)
{
    placed_ = placeStagedName(name_, encodeFileName(target_), replace);
    return placed_;
}

QByteArray StagedFile::release()
{
    placed_ = true;
    return name_;
}

bool placeStagedName(const QByteArray& staged, const QByteArray& target, bool replace)
{
    if (injected(WriteStep::Place))
        return false;
    if (replace)
        return ::rename(staged.constData(), target.constData()) == 0;
    return ::renameat2(AT_FDCWD, staged.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0;
}

bool syncFolder(const QByteArray& folder)
{
    if (injected(WriteStep::SyncFolder))
        return false;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    const int err = errno;
    ::close(fd);
    errno = err;
    return synced;
}

FileOutcome stageCopy(const QString& source, const QString& destination, NewFileMode mode,
                      std::unique_ptr<StagedFile>& staged)
{
    staged.reset();
    const auto cannotWrite = [&destination] { return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(destination)); };
    const auto cannotRead = [&source] { return FileOutcome::fromErrno(QStringLiteral("Cannot read %1").arg(source)); };

    struct stat from {};
    const int in = openPlainDescriptor(source, &from);
    if (in < 0)
        return cannotRead();
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{in};

    // A file it replaces keeps its bits; a link there is replaced like a missing file.
    struct stat old {};
    const bool replacing = ::lstat(encodeFileName(destination).constData(), &old) == 0 && S_ISREG(old.st_mode);
    const mode_t createMode = mode == NewFileMode::NoWiderThanSource ? mode_t(from.st_mode & 0666) : mode_t(0666);
    auto file = std::make_unique<StagedFile>(destination, createMode);
    if (!file->isOpen())
        return cannotWrite();
    bool readFailed = false;
    if (!file->copyFrom(in, readFailed))
        return readFailed ? cannotRead() : cannotWrite();
    // The creation mode went through the umask; an unnamed file may have ignored it.
    const mode_t wanted = replacing ? mode_t(old.st_mode & 07777) : mode_t(createMode & ~currentUmask());
    if (!file->setMode(wanted))
        return cannotWrite();
    staged = std::move(file);
    return FileOutcome::success();
}

int removeStagingLeftovers(const QString& folder)
{
    const QByteArray path = encodeFileName(folder);
    DIR* dir = ::opendir(path.isEmpty() ? "." : path.constData());
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir);
    const size_t prefixLength = std::strlen(stagingPrefix);
    int removed = 0;
    while (dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, stagingPrefix, prefixLength) != 0)
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        // A writer still at work holds its lock; a killed one's went with it.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

} // namespace platform
