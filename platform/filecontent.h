#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// The whole content of a plain file; nothing when it is missing, a folder or unreadable (errno
// then says which).
std::optional<QByteArray> readFileContent(const QString& path);

} // namespace platform
