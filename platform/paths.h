#pragma once

#include <QString>

namespace platform {

// The marker that stands for the program folder at the start of a stored path.
inline constexpr QLatin1StringView programFolderMarker{"%/"};

// The folder of the running executable, with one trailing "/".
QString executableFolder();

// The text trimmed, with "/" appended unless it is empty or already ends in "/" or "\".
QString addTrailingSeparator(const QString& path);

// Trimmed; a text beginning with "%" has its first two characters replaced by the program folder.
QString expandpath(const QString& path, const QString& programFolder);

// A stored or typed path as both programs use it: trimmed; "%/" (or "%\") stands for the program
// folder, a lone "~" or a leading "~/" for the home folder, and any other relative path lies in
// the program folder, never in the working folder. Absolute paths are kept as they are; a
// trailing separator is kept, and a path ending in "." or ".." names a folder and gets one.
QString resolvepath(const QString& path, const QString& programFolder);

// Trimmed; a path that begins with the program folder is written with the "%/" marker instead.
QString truncatepath(const QString& path, const QString& programFolder);

// Trimmed and expanded; with add, one trailing separator is added unless present; without,
// one trailing separator is removed.
QString fixpath(const QString& path, bool add, const QString& programFolder);

// True when a name taken from data names an entry of the folder it is used in and nothing
// else: no "/", "\", ".." and no control character.
bool isPlainFileName(const QString& name);

// folder + name for a name taken from data, or "" when the name would reach outside the folder.
QString fileInFolder(const QString& folder, const QString& name);

// The last path component's extension (from its last ".") replaced by ext, which carries its dot.
QString changeextension(const QString& name, const QString& ext);

// The last component's extension with its dot ("" when it has none).
QString extractExtension(const QString& name);

// The last path component.
QString extractFileName(const QString& path);

// The folder part with its trailing "/" ("" for a bare name).
QString extractFilePath(const QString& path);

} // namespace platform
