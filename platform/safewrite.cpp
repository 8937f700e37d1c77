#include "safewrite.h"

#include "filenames.h"

#include <QIODevice>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

FileOutcome cannotWrite(const QString& path)
{
    return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(path));
}

// The writer's stream: gathers small writes into blocks, remembers the first failure and hands
// it on when the content is finished, whatever the writer made of it.
class StagedDevice : public QIODevice {
public:
    explicit StagedDevice(StagedFile& file) : file_(file) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

    bool isSequential() const override { return false; }
    qint64 size() const override { return std::max(end_, pos()); }
    bool seek(qint64 to) override
    {
        if (!drain(WriteStep::Write) || ::lseek(file_.handle(), to, SEEK_SET) < 0) {
            fail();
            return false;
        }
        return QIODevice::seek(to);
    }
    // Writes what is held back; false with errno set when any write failed.
    bool finish()
    {
        const bool ok = drain(WriteStep::Flush);
        if (!ok)
            fail();
        if (error_ != 0)
            errno = error_;
        return error_ == 0;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (error_ != 0)
            return -1;
        held_.append(data, size);
        end_ = std::max(end_, pos() + size);
        if (held_.size() >= blockSize && !drain(WriteStep::Write)) {
            fail();
            return -1;
        }
        return size;
    }

private:
    static constexpr qsizetype blockSize = 1 << 16;

    bool drain(WriteStep step)
    {
        if (error_ != 0)
            return false;
        if (held_.isEmpty() && step == WriteStep::Write)
            return true;
        const bool ok = file_.write(held_.constData(), held_.size(), step);
        held_.clear();
        return ok;
    }
    void fail()
    {
        if (error_ == 0)
            error_ = errno != 0 ? errno : EIO;
        setErrorString(QString::fromLocal8Bit(std::strerror(error_)));
    }

    StagedFile& file_;
    QByteArray held_;
    qint64 end_ = 0;
    int error_ = 0;
};

// Makes a staged file durable, then puts it under the target's name for good.
FileOutcome complete(StagedFile& file, const QString& shownName, bool replace)
{
    if (!file.sync() || !file.nameAndClose() || !file.place(replace))
        return cannotWrite(shownName);
    if (!syncFolder(encodedFolderOf(file.target())))
        return cannotWrite(shownName);
    return FileOutcome::success();
}

// Where a write of path lands: a link is followed to the file it names, so the link stays.
QString writeTarget(const QString& path)
{
    const QByteArray encoded = encodeFileName(path);
    struct stat st {};
    if (::lstat(encoded.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* resolved = ::realpath(encoded.constData(), nullptr);
    if (!resolved)
        return path;  // a dangling link is replaced
    const QString target = decodeFileName(resolved);
    std::free(resolved);
    return target;
}

// False, with errno set, for a file the user may not write: an output leaves it as it is, as
// creating it would fail. Anything else at the path (a link among it) is the output's to replace.
bool mayReplaceOutput(const QString& path)
{
    const QByteArray encoded = encodeFileName(path);
    struct stat st {};
    if (::lstat(encoded.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return true;
    return ::faccessat(AT_FDCWD, encoded.constData(), W_OK, AT_EACCESS) == 0;
}

// Writes into a staged file beside target and renames it over target; failures name path.
FileOutcome writeStaged(const QString& path, const QString& target,
                        const std::function<bool(QIODevice& out, QString& why)>& writer)
{
    struct stat old {};
    const bool replacing = ::lstat(encodeFileName(target).constData(), &old) == 0 && S_ISREG(old.st_mode);
    StagedFile file(target);
    if (!file.isOpen())
        return cannotWrite(path);
    StagedDevice device(file);
    QString why;
    if (!writer(device, why))
        return FileOutcome::failure(why.isEmpty() ? QStringLiteral("Cannot write %1").arg(path) : why);
    if (!device.finish())
        return cannotWrite(path);
    if (replacing && !file.setMode(old.st_mode & 07777))
        return cannotWrite(path);
    return complete(file, path, true);
}

std::function<bool(QIODevice& out, QString& why)> bytesWriter(const QString& path, const QByteArray& data)
{
    return [&path, &data](QIODevice& out, QString& why) {
        if (out.write(data) == data.size())
            return true;
        why = QStringLiteral("Cannot write %1: %2").arg(path, out.errorString());
        return false;
    };
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
    return writeStaged(path, writeTarget(path), writer);
}

FileOutcome writeFileAtomically(const QString& path, const QByteArray& data)
{
    return writeFileAtomically(path, bytesWriter(path, data));
}

FileOutcome writeOutputFile(const QString& path, const std::function<bool(QIODevice& out, QString& why)>& writer)
{
    if (!mayReplaceOutput(path))
        return cannotWrite(path);
    return writeStaged(path, path, writer);
}

FileOutcome writeOutputFile(const QString& path, const QByteArray& data)
{
    return writeOutputFile(path, bytesWriter(path, data));
}

FileOutcome writeDisposableFile(const QString& path, const QByteArray& data)
{
    StagedFile file(path);
    if (!file.isOpen() || !file.write(data.constData(), data.size()) || !file.nameAndClose() || !file.place(true))
        return cannotWrite(path);
    return FileOutcome::success();
}

FileOutcome copyFileAtomically(const QString& source, const QString& destination, NewFileMode mode)
{
    std::unique_ptr<StagedFile> staged;
    if (FileOutcome outcome = stageCopy(source, destination, mode, staged); !outcome)
        return outcome;
    return complete(*staged, destination, true);
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
    const QByteArray a = encodeFileName(existing);
    const QByteArray b = encodeFileName(newName);
    if (::link(a.constData(), b.constData()) == 0)
        return FileOutcome::success();
    return FileOutcome::fromErrno(QStringLiteral("Cannot link %1 to %2").arg(existing, newName));
}

FileOutcome copyFileNoReplace(const QString& source, const QString& destination)
{
    std::unique_ptr<StagedFile> staged;
    if (FileOutcome outcome = stageCopy(source, destination, NewFileMode::Usual, staged); !outcome)
        return outcome;
    struct stat from {};
    if (::stat(encodeFileName(source).constData(), &from) == 0 && !staged->setMode(from.st_mode & 0777))
        return cannotWrite(destination);
    return complete(*staged, destination, false);
}

FileOutcome removeFile(const QString& path)
{
    if (::unlink(encodeFileName(path).constData()) == 0)
        return FileOutcome::success();
    return FileOutcome::fromErrno(QStringLiteral("Cannot delete %1").arg(path));
}

} // namespace platform
