#pragma once

#include <QLatin1String>
#include <QString>

namespace platform {

// The files the two programs keep by a fixed name in the program folder.
namespace programfile {
inline constexpr QLatin1String siteList("sites.ini");
inline constexpr QLatin1String options("options.ini");
inline constexpr QLatin1String rotationLog("log.txt");  // the rotation tool's default log
inline constexpr QLatin1String recentTemplates("recent_styles.txt");
inline constexpr QLatin1String recentImageTemplates("recent_image_styles.txt");
inline constexpr QLatin1String snippetPreview("~prev.htm");
} // namespace programfile

// True when name is one of the files above, in any case: a file system that folds case would
// take it for that file.
bool isProgramFileName(const QString& name);

// The settings file "<key>.ini" of a site in the program folder; empty for a key that would
// name a file elsewhere ("/", "\", ".." or a control character in it) or one of the program's
// own files ("sites", "Options"): such a site has no file, so nothing of it is read, written
// or deleted.
QString siteSettingsFile(const QString& programFolder, const QString& key);

} // namespace platform
