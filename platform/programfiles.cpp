#include "programfiles.h"

#include "paths.h"

#include <algorithm>
#include <initializer_list>

namespace platform {

bool isProgramFileName(const QString& name)
{
    const auto names = {
        programfile::siteList,
        programfile::options,
        programfile::rotationLog,
        programfile::recentTemplates,
        programfile::recentImageTemplates,
        programfile::snippetPreview,
    };
    return std::any_of(names.begin(), names.end(),
                       [&](QLatin1String fixed) { return name.compare(fixed, Qt::CaseInsensitive) == 0; });
}

QString siteSettingsFile(const QString& programFolder, const QString& key)
{
    const QString name = key + QStringLiteral(".ini");
    return isProgramFileName(name) ? QString() : fileInFolder(programFolder, name);
}

} // namespace platform
