#pragma once

#include "fileoutcome.h"
#include "writefaults.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <sys/types.h>

namespace platform {

// The one prefix of every named temporary file a safe write leaves while it works, so that the
// leftovers of a killed run can be told from everything else.
inline constexpr char stagingPrefix[] = ".~staged.";

// Permissions of a file that a copy creates (a file it replaces keeps its own).
enum class NewFileMode {
    Usual,              // those of any new file
    NoWiderThanSource,  // the source's read and write bits, limited by the umask
};

// A file being written in its target's folder, so that a rename can put it in place. Where the
// file system allows it the file has no name until its data is complete; elsewhere its name has
// the staging prefix. It is locked while open, so that a clean-up never takes a file someone is
// still writing. Unless placed, it is removed when the object goes.
class StagedFile {
public:
    explicit StagedFile(const QString& target, mode_t createMode = 0666);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int handle() const { return fd_; }
    const QString& target() const { return target_; }

    // Each gives false with errno set when its step fails.
    bool write(const char* data, qsizetype size, WriteStep step = WriteStep::Write);
    // Copies the rest of an open file; readFailed tells a failure of the source from one of ours.
    bool copyFrom(int source, bool& readFailed);
    bool setMode(mode_t mode);
    bool sync();
    // Gives the complete file its staging name, where it has none yet, and closes it.
    bool nameAndClose();
    // Renames the named file to the target; without replace an existing target makes it fail.
    bool place(bool replace);
    // The staging name, no longer removed by this object.
    QByteArray release();

private:
    QString target_;
    QByteArray folder_;  // encoded, ends in "/"
    QByteArray name_;    // staging name, empty while the file has none
    int fd_ = -1;
    bool placed_ = false;
};

// Renames a staged name over (or, without replace, to) a target.
bool placeStagedName(const QByteArray& staged, const QByteArray& target, bool replace);

// Makes the names in a folder durable.
bool syncFolder(const QByteArray& folder);

// Opens source and copies it into a new staged file beside destination with the permissions
// that mode gives a new file, or those of the file it will replace. The result is complete but
// neither synced nor named; on failure it is null and the outcome says why.
FileOutcome stageCopy(const QString& source, const QString& destination, NewFileMode mode,
                      std::unique_ptr<StagedFile>& staged);

// Deletes what killed writes left in a folder: files named with the staging prefix that nobody
// holds open. Gives how many went.
int removeStagingLeftovers(const QString& folder);

// The folder part of a path, encoded, ending in "/" ("./" for a bare name).
QByteArray encodedFolderOf(const QString& path);

} // namespace platform
