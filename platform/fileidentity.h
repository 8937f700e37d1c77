#pragma once

#include <QString>

namespace platform {

// True when both paths exist and name the same file or folder (device and inode, links
// followed). Two spellings of one file are the same; a missing path is never the same.
bool isSameFile(const QString& a, const QString& b);

bool fileExists(const QString& path);    // a plain file (links followed)
bool folderExists(const QString& path);  // a folder (links followed)

} // namespace platform
