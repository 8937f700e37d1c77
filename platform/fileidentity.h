#pragma once

#include <QString>

namespace platform {

// True when both paths exist and name the same file or folder (device and inode, links
// followed). Two spellings of one file are the same; a missing path is never the same.
bool isSameFile(const QString& a, const QString& b);

// The absolute path with every link, "." and ".." of its existing levels resolved; the levels
// below the deepest existing one are added as written, cleaned. A relative path is only cleaned.
QString canonicalLocation(const QString& path);

// True when path is the folder or lies anywhere inside it, both taken as canonical locations.
bool isWithinFolder(const QString& path, const QString& folder);

bool fileExists(const QString& path);    // a plain file (links followed)
bool folderExists(const QString& path);  // a folder (links followed)
bool entryExists(const QString& path);   // anything by that name, a dangling link included

} // namespace platform
