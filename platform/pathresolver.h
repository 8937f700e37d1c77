#pragma once

#include <QString>

#include <optional>

namespace platform {

// Finds an existing file or folder for a path that came from data: exactly first, then by
// matching each path component case-insensitively (the first match in listing order wins).
// A trailing "/" is kept. Gives nothing when no such path exists.
std::optional<QString> findPathIgnoringCase(const QString& path);

// The existing path that findPathIgnoringCase finds, or the path as given.
QString resolvePathIgnoringCase(const QString& path);

} // namespace platform
