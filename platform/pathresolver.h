#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// Finds an existing file or folder for a path that came from data: exactly first, then by
// matching each path component case-insensitively (the first match in listing order wins).
// A trailing "/" is kept. Gives nothing when no such path exists.
std::optional<QString> findPathIgnoringCase(const QString& path);

// The existing path that findPathIgnoringCase finds, or the path as given.
QString resolvePathIgnoringCase(const QString& path);

// Finds paths as findPathIgnoringCase does, listing each folder once and remembering what it
// found: for long lists of paths in a few folders (the rows of a rotation list).
class PathLookup {
public:
    std::optional<QString> find(const QString& path);

private:
    std::optional<QString> locate(const QString& path);
    const QStringList& listing(const QString& folder);

    QHash<QString, std::optional<QString>> found_;
    QHash<QString, QStringList> listings_;
};

} // namespace platform
