#include "copybatch.h"

#include "filenames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace platform {

CopyBatch::~CopyBatch()
{
    discardAll();
}

void CopyBatch::discardAll()
{
    for (Entry& entry : entries_) {
        if (!entry.staged.isEmpty())
            ::unlink(entry.staged.constData());
        entry.staged.clear();
    }
}

FileOutcome CopyBatch::stage(const QString& source, const QString& destination, int& index)
{
    index = -1;
    std::unique_ptr<StagedFile> file;
    if (FileOutcome outcome = stageCopy(source, destination, mode_, file); !outcome)
        return outcome;
    struct stat st {};
    if (::fstat(file->handle(), &st) != 0 || !file->nameAndClose())
        return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(destination));
    entries_.append({destination, file->release(), st.st_dev});
    index = int(entries_.size()) - 1;
    return FileOutcome::success();
}

FileOutcome CopyBatch::sync()
{
    QList<dev_t> synced;
    for (const Entry& entry : std::as_const(entries_)) {
        if (entry.staged.isEmpty() || synced.contains(entry.device))
            continue;
        const int err = injectedWriteFault(WriteStep::Sync);
        const int fd = err ? -1 : ::open(entry.staged.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        const bool ok = fd >= 0 && ::syncfs(fd) == 0;
        if (err)
            errno = err;
        const int saved = errno;
        if (fd >= 0)
            ::close(fd);
        if (!ok) {
            errno = saved;
            const FileOutcome failed = FileOutcome::fromErrno(QStringLiteral("Cannot sync the copies in %1")
                                                                  .arg(decodeFileName(encodedFolderOf(entry.destination))));
            discardAll();
            return failed;
        }
        synced.append(entry.device);
    }
    return FileOutcome::success();
}

FileOutcome CopyBatch::place(int index)
{
    if (index < 0 || index >= entries_.size() || entries_[index].staged.isEmpty())
        return FileOutcome::failure(QStringLiteral("Nothing staged for this copy"));
    Entry& entry = entries_[index];
    const QByteArray target = encodeFileName(entry.destination);
    if (!placeStagedName(entry.staged, target, true))
        return FileOutcome::fromErrno(QStringLiteral("Cannot write %1").arg(entry.destination));
    entry.staged.clear();
    const QByteArray folder = encodedFolderOf(entry.destination);
    if (!placedFolders_.contains(folder))
        placedFolders_.append(folder);
    return FileOutcome::success();
}

FileOutcome CopyBatch::syncFolders()
{
    FileOutcome result;
    for (const QByteArray& folder : std::as_const(placedFolders_))
        if (!syncFolder(folder) && result)
            result = FileOutcome::fromErrno(QStringLiteral("Cannot sync %1").arg(decodeFileName(folder)));
    placedFolders_.clear();
    return result;
}

} // namespace platform
