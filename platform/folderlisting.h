#pragma once

#include "fileoutcome.h"

#include <QString>
#include <QStringList>

namespace platform {

enum class ListWhat { Files, Folders, Both };

struct FolderListing {
    FileOutcome outcome;   // failure when the folder cannot be read; names is then empty
    QStringList names;     // names only, no path
};

// Names in a folder sorted case-insensitively, byte order breaking ties. Hidden entries
// (dot-files) are left out. Folders do not include "." and "..".
FolderListing listFolder(const QString& folder, ListWhat what, const QString& masks = QString());

// The sort order of folder listings.
bool listingLess(const QString& a, const QString& b);

} // namespace platform
