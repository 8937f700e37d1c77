#include "rotationlist.h"

#include "rotationsection.h"

#include "app/site/sitestore.h"

#include "platform/fileidentity.h"
#include "platform/folderlisting.h"
#include "platform/inifile.h"
#include "platform/pathresolver.h"
#include "platform/paths.h"

#include <algorithm>

namespace {

int countImagesIn(const QString& folder)
{
    return int(platform::listFolder(folder, platform::ListWhat::Files, QLatin1String(RotationImageMask)).names.size());
}

QString folderStatus(const QString& folder, int images, const QString& baseHTMLName)
{
    const bool built = platform::findPathIgnoringCase(platform::addTrailingSeparator(folder) + baseHTMLName).has_value();
    return QStringLiteral(" : %1 Images").arg(images) + (built ? QStringLiteral(" : Built") : QStringLiteral(" : NOT BUILT"));
}

} // namespace

int rotationCount(const tsiterecord& site)
{
    return std::clamp(site.RotationCount, 0, LargestRotationCount);
}

int listedRotationCount(const tsiterecord& site, bool useRotations)
{
    const int count = rotationCount(site);
    return !useRotations && count >= 2 ? 1 : count;
}

QList<RotationListEntry> rotationList(const QString& programFolder, const tsiterecord& site, bool useRotations,
                                      const std::function<int(const QString& folder)>& countImages)
{
    const platform::IniDocument doc = platform::IniFile(SiteStore(programFolder).siteFile(site.SiteKey)).read();
    const int count = listedRotationCount(site, useRotations);
    const QString sitePath = platform::fixpath(site.Path, true, programFolder);

    QList<RotationListEntry> entries;
    platform::PathLookup lookup;
    for (int n = 1; n <= count; ++n) {
        RotationListEntry e;
        e.n = n;
        const bool currentSite = !useRotations && n == 1;
        e.choice = currentSite ? QStringLiteral("Current Site") : QStringLiteral("Rotation %1").arg(n);
        const QString folder = rotationFolderText(doc, programFolder, n, sitePath, useRotations);
        const auto existing = lookup.find(folder);
        e.folder = existing.value_or(folder);
        e.found = existing && platform::folderExists(e.folder);
        e.row = (currentSite ? QStringLiteral("Current Site ") : e.choice)
                + (e.found ? folderStatus(e.folder, countImages ? countImages(e.folder) : countImagesIn(e.folder),
                                          site.BaseHTMLName)
                           : QStringLiteral(" : ERROR! Not found!"));
        entries.append(e);
    }
    return entries;
}

QList<RotationListEntry> rotationList(const QString& programFolder, const QString& siteKey, bool useRotations,
                                      const std::function<int(const QString& folder)>& countImages)
{
    tsiterecord site;
    SiteStore(programFolder).loadsite(siteKey, site);
    return rotationList(programFolder, site, useRotations, countImages);
}

QStringList rotationListRows(const QString& programFolder, const QString& siteKey, bool useRotations)
{
    QStringList rows;
    for (const RotationListEntry& e : rotationList(programFolder, siteKey, useRotations))
        rows.append(e.row);
    return rows;
}
