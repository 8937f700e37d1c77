#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <sys/types.h>

namespace platform {

// Finds an existing file or folder for a path that came from data: exactly first, then by
// matching each path component case-insensitively (the first match in listing order wins).
// A trailing "/" is kept. Gives nothing when no such path exists.
std::optional<QString> findPathIgnoringCase(const QString& path);

// The existing path that findPathIgnoringCase finds, or the path as given.
QString resolvePathIgnoringCase(const QString& path);

// Finds many paths in a row the way findPathIgnoringCase does, remembering what it saw of each
// folder, so that long lists of paths in a few folders (the rows of a rotation list, the
// candidates of a rotation search) list each folder once. For one pass only: a folder that
// changes meanwhile is not seen again.
class PathLookup {
public:
    std::optional<QString> find(const QString& path);
    QString resolve(const QString& path) { return find(path).value_or(path); }
    // A folder (links followed), as first seen.
    bool isFolder(const QString& path);

private:
    bool exists(const QString& path) { return status(path) != 0; }
    mode_t status(const QString& path);  // the file type and mode; 0 when nothing is there
    std::optional<QString> walk(const QString& path);  // component by component from the root
    std::optional<QString> matchInFolder(const QString& folder, const QString& component);

    struct Listing {
        QSet<QString> names;
        QHash<QString, QString> folded;  // folded name to the first listed name
    };
    QHash<QString, mode_t> status_;
    QHash<QString, Listing> listings_;
    QHash<QString, std::optional<QString>> folders_;  // a folder as given, as found
};

} // namespace platform
