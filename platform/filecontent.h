#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QFile;
struct stat;

namespace platform {

// Every file the programs read is opened through these: a plain file (links followed) only.
// Anything else (a folder, a FIFO, a device) is refused without blocking: the name is checked,
// opened without waiting and checked again on the open descriptor, so a FIFO swapped in
// between cannot block either. A refusal leaves errno at EISDIR for a folder and EINVAL for
// anything else that is not a plain file.

// The open descriptor (blocking reads, close-on-exec), or -1 with errno set. The status that
// the descriptor was checked with is handed back when asked for.
int openPlainDescriptor(const QString& path, struct stat* status = nullptr);

// The whole content of a plain file; nothing when it is missing, not a plain file or
// unreadable (errno then says which).
std::optional<QByteArray> readFileContent(const QString& path);

// Whether the name is a symbolic link whose target does not exist: reading it fails with
// ENOENT as for a missing file, but the file the user named is there.
bool isDanglingLink(const QString& path);

// Opens a plain file for reading. The file is opened on the descriptor and so carries no name.
bool openPlainFile(QFile& file, const QString& path);

} // namespace platform
