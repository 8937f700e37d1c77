#include "rotationlist.h"

#include "rotationsection.h"

#include "platform/folderlisting.h"
#include "platform/inifile.h"
#include "platform/pathresolver.h"
#include "platform/paths.h"

#include <algorithm>

namespace {

const QString general = QStringLiteral("General");

QString folderStatus(const QString& folder, const QString& baseHTMLName)
{
    const auto found = platform::findPathIgnoringCase(folder);
    if (!found)
        return QStringLiteral(" : ERROR! Not found!");
    const int images = int(platform::listFolder(*found, platform::ListWhat::Files,
                                                QLatin1String(RotationImageMask)).names.size());
    const bool built = platform::findPathIgnoringCase(platform::addTrailingSeparator(*found) + baseHTMLName).has_value();
    return QStringLiteral(" : %1 Images").arg(images) + (built ? QStringLiteral(" : Built") : QStringLiteral(" : NOT BUILT"));
}

} // namespace

QStringList rotationListRows(const QString& programFolder, const QString& siteKey, bool useRotations)
{
    const platform::IniDocument doc = platform::IniFile(platform::fileInFolder(programFolder, siteKey + QStringLiteral(".ini"))).read();
    const auto stored = platform::iniNumber(doc.readString(general, QStringLiteral("RotationCount"), QStringLiteral("10")));
    int count = int(std::clamp<qint64>(stored.value_or(10), 0, LargestRotationCount));
    if (!useRotations && count >= 2)
        count = 1;
    const QString sitePath = platform::fixpath(doc.readString(general, QStringLiteral("Path"), QString()), true, programFolder);
    const QString baseHTMLName = doc.readString(general, QStringLiteral("BaseHTMLName"), QStringLiteral("Index.html"));

    QStringList rows;
    for (int n = 1; n <= count; ++n) {
        const QString row = (!useRotations && n == 1) ? QStringLiteral("Current Site ") : QStringLiteral("Rotation %1").arg(n);
        const QString fallback = useRotations ? sitePath + QStringLiteral("rotation_%1").arg(n) : sitePath;
        const QString folder = platform::fixpath(
            doc.readString(rotationSectionName(n), QStringLiteral("Rotation_Path"), fallback), true, programFolder);
        rows.append(row + folderStatus(folder, baseHTMLName));
    }
    return rows;
}
