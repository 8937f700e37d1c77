#pragma once

#include "fileoutcome.h"

#include <QString>
#include <QStringList>

namespace platform {

// The levels of a folder path that do not exist yet, outermost first. Levels end at every
// "/" or "\" after the root "/"; the path is taken as if it ended in a separator.
QStringList missingFolderLevels(const QString& path);

// Creates the given levels in order. At the first that cannot be made, the levels that now
// exist are removed again, innermost first (a folder that is not empty stays), and the
// failure says which level failed and why.
FileOutcome createFolderLevels(const QStringList& levels);

// Deletes a folder with everything in it, for good. Refuses the protected folders and also the
// working folder and every folder that holds it; a failure says why. Links inside are removed,
// never followed.
FileOutcome removeFolderTree(const QString& folder, const QString& programFolder);

// True for "/", the home folder, the program folder and every ancestor of it, and for a relative
// path, which names no folder of its own.
bool isProtectedFolder(const QString& folder, const QString& programFolder);

} // namespace platform
