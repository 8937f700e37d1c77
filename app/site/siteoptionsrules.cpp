#include "siteoptionsrules.h"

std::optional<QString> checkSiteOptions(const tsiterecord& entered)
{
    if (entered.Name.isEmpty())
        return QStringLiteral("You have not entered a site name!");
    if (entered.Path.isEmpty())
        return QStringLiteral("You have not entered a directory for this site!");
    if (entered.AutoRotate && entered.LivePath.isEmpty())
        return QStringLiteral(
            "You have elected to automatically rotate this site, but have not entered a destination directory!");
    return std::nullopt;
}
