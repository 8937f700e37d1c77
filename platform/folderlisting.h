#pragma once

#include "fileoutcome.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

enum class ListWhat { Files, Folders, Both };

struct FolderListing {
    FileOutcome outcome;   // failure when the folder cannot be read; names is then empty
    QStringList names;     // names only, no path
    int unexamined = 0;    // entries left out unlooked at (see listFolder)
};

// Names in a folder sorted case-insensitively, byte order breaking ties. Hidden entries
// (dot-files) are left out. Folders do not include "." and "..". Only names that pass the masks
// are looked at; of those, the ones unexamined takes (a look could wait on a server) are left
// out and counted.
FolderListing listFolder(const QString& folder, ListWhat what, const QString& masks = QString(),
                         const std::function<bool(const QString& name)>& unexamined = {});

// The sort order of folder listings.
bool listingLess(const QString& a, const QString& b);

} // namespace platform
