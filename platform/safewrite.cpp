#include "safewrite.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace platform {

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

FileOutcome copyFileAtomically(const QString& source, const QString& destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return FileOutcome::failure(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
    return writeFileAtomically(destination, [&in, &source](QIODevice& out, QString& why) {
        QByteArray chunk;
        constexpr qint64 chunkSize = 1 << 20;
        while (!in.atEnd()) {
            chunk = in.read(chunkSize);
            if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
                why = QStringLiteral("Cannot read %1: %2").arg(source, in.errorString());
                return false;
            }
            if (out.write(chunk) != chunk.size()) {
                why = out.errorString();
                return false;
            }
        }
        return true;
    });
}

FileOutcome renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
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
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return FileOutcome::failure(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
    QTemporaryFile temp(destination + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return FileOutcome::failure(QStringLiteral("Cannot write %1: %2").arg(destination, temp.errorString()));
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return FileOutcome::failure(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
        if (temp.write(chunk) != chunk.size())
            return FileOutcome::failure(QStringLiteral("Cannot write %1: %2").arg(destination, temp.errorString()));
    }
    if (!temp.flush() || ::fsync(temp.handle()) != 0)
        return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(destination));
    temp.setPermissions(in.permissions());
    const FileOutcome renamed = renameNoReplace(temp.fileName(), destination);
    if (renamed)
        temp.setAutoRemove(false);  // it is the destination now
    return renamed;
}

FileOutcome removeFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0)
        return FileOutcome::success();
    return FileOutcome::fromErrno(QStringLiteral("Cannot delete %1").arg(path));
}

} // namespace platform
