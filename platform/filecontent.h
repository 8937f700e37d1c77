#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QFile;

namespace platform {

// The whole content of a plain file; nothing when it is missing, a folder or unreadable (errno
// then says which).
std::optional<QByteArray> readFileContent(const QString& path);

// Opens a plain file (links followed) for reading. Anything else (a folder, a FIFO, a device)
// is refused without blocking: the name is checked, opened without waiting and checked again
// on the open descriptor, so a FIFO swapped in between cannot block either. The file is
// opened on that descriptor and so carries no name.
bool openPlainFile(QFile& file, const QString& path);

} // namespace platform
