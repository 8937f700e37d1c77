#include "safewrite.h"

#include "filenames.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace platform {

namespace {

// A new empty file beside a target (in its folder, so that a rename can put it in place),
// created with the permissions of any new file: 0666 less the umask. Removed unless kept.
class FileBeside {
public:
    explicit FileBeside(const QString& target)
    {
        const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
        const QByteArray folder = QFile::encodeName(target.left(slash + 1));
        for (int attempt = 0; attempt < 64 && fd_ < 0; ++attempt) {
            name_ = folder + ".tmp." + QByteArray::number(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 36);
            fd_ = ::open(name_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST)
                break;
        }
    }
    ~FileBeside()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!kept_ && !name_.isEmpty())
            ::unlink(name_.constData());
    }
    FileBeside(const FileBeside&) = delete;
    FileBeside& operator=(const FileBeside&) = delete;

    int handle() const { return fd_; }
    const QByteArray& name() const { return name_; }
    // Flushes to the disk (unless told not to) and closes; the file is complete only when this
    // succeeds.
    bool finish(bool sync = true)
    {
        const bool ok = !sync || ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return ok && closed;
    }
    void keep() { kept_ = true; }

private:
    QByteArray name_;
    int fd_ = -1;
    bool kept_ = false;
};

bool writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// Copies source into a new file beside the destination and renames it into place. The rename
// takes the directory entry, so a symbolic link at the destination is replaced, never written
// through: a copy must not land wherever a planted link points.
FileOutcome copyBeside(const QString& source, const QString& destination, std::optional<mode_t> mode, bool replace)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return FileOutcome::failure(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
    FileBeside temp(destination);
    if (temp.handle() < 0)
        return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(destination));
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return FileOutcome::failure(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
        if (!writeAll(temp.handle(), chunk.constData(), chunk.size()))
            return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(destination));
    }
    if ((mode && ::fchmod(temp.handle(), *mode) != 0) || !temp.finish())
        return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(destination));
    const QByteArray target = QFile::encodeName(destination);
    const int placed = replace ? ::rename(temp.name().constData(), target.constData())
                               : ::renameat2(AT_FDCWD, temp.name().constData(), AT_FDCWD, target.constData(),
                                             RENAME_NOREPLACE);
    if (placed != 0)
        return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(destination));
    temp.keep();  // it is the destination now
    return FileOutcome::success();
}

} // namespace

FileOutcome FileOutcome::fromErrno(const QString& what)
{
    const int err = errno;
    return failure(what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(err)));
}

FileOutcome writeFileAtomically(const QString& path,
                                const std::function<bool(QIODevice& out, QString& why)>& writer)
{
    QSaveFile file(path);
    // Never fall back to writing the target directly: that is what leaves half files.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return FileOutcome::failure(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    QString why;
    if (!writer(file, why)) {
        file.cancelWriting();
        return FileOutcome::failure(why.isEmpty() ? QStringLiteral("Cannot write %1").arg(path) : why);
    }
    if (!file.commit())
        return FileOutcome::failure(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    return FileOutcome::success();
}

FileOutcome writeFileAtomically(const QString& path, const QByteArray& data)
{
    return writeFileAtomically(path, [&data](QIODevice& out, QString& why) {
        if (out.write(data) == data.size())
            return true;
        why = out.errorString();
        return false;
    });
}

FileOutcome writeDisposableFile(const QString& path, const QByteArray& data)
{
    FileBeside temp(path);
    if (temp.handle() < 0 || !writeAll(temp.handle(), data.constData(), data.size()) || !temp.finish(false))
        return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(path));
    if (::rename(temp.name().constData(), QFile::encodeName(path).constData()) != 0)
        return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(path));
    temp.keep();
    return FileOutcome::success();
}

FileOutcome copyFileAtomically(const QString& source, const QString& destination)
{
    // An existing file keeps its permissions, as any save over it would.
    struct stat st {};
    const bool regular = ::lstat(QFile::encodeName(destination).constData(), &st) == 0 && S_ISREG(st.st_mode);
    return copyBeside(source, destination, regular ? std::optional<mode_t>(st.st_mode & 0777) : std::nullopt, true);
}

FileOutcome renameNoReplace(const QString& from, const QString& to)
{
    // Byte-exact names, so that a name that is not UTF-8 can be renamed too.
    const QByteArray a = encodeFileName(from);
    const QByteArray b = encodeFileName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return FileOutcome::success();
    return FileOutcome::fromErrno(QStringLiteral("Cannot rename %1 to %2").arg(from, to));
}

FileOutcome linkNoReplace(const QString& existing, const QString& newName)
{
    const QByteArray a = QFile::encodeName(existing);
    const QByteArray b = QFile::encodeName(newName);
    if (::link(a.constData(), b.constData()) == 0)
        return FileOutcome::success();
    return FileOutcome::fromErrno(QStringLiteral("Cannot link %1 to %2").arg(existing, newName));
}

FileOutcome copyFileNoReplace(const QString& source, const QString& destination)
{
    struct stat st {};
    const bool known = ::stat(QFile::encodeName(source).constData(), &st) == 0;
    return copyBeside(source, destination, known ? std::optional<mode_t>(st.st_mode & 0777) : std::nullopt, false);
}

FileOutcome removeFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0)
        return FileOutcome::success();
    return FileOutcome::fromErrno(QStringLiteral("Cannot delete %1").arg(path));
}

} // namespace platform
