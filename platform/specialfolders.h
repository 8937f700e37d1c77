#pragma once

#include <QString>

namespace platform {

// The user's well-known folders, as the desktop names them (XDG user folders through
// QStandardPaths). The folder tree and the folder dialog map their root choices onto these.
enum class SpecialFolder {
    Home,
    Desktop,    // the desktop folder; the home folder when the user has none
    Documents,
    AppData,    // the user's data folder
    Fonts,
    Templates,  // the templates folder; "" when the user has none
};

class MountTable;

// The folder's path without a trailing separator, or "" when it has none on this machine.
// A folder on a remote file system (decided from the mounts) is taken without a look, which
// could wait on its server.
QString specialFolderPath(SpecialFolder folder, const MountTable& mounts);
// As above, with the mounts of this process.
QString specialFolderPath(SpecialFolder folder);

// The text shown for the top of the file system tree, which has no path of its own.
inline constexpr QLatin1StringView computerNodeName{"Computer"};

} // namespace platform
