#include "fontfamilies.h"

#include <QFontDatabase>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace platform {

QStringList plainFamilyNames(const QStringList& families)
{
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]\\s*$"));
    QStringList names;
    QSet<QString> seen;
    for (QString name : families) {
        name = name.remove(foundry).trimmed();
        if (name.isEmpty() || seen.contains(name.toCaseFolded()))
            continue;
        seen.insert(name.toCaseFolded());
        names.append(name);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = QString::compare(a, b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

QStringList installedFontFamilies()
{
    QStringList families;
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family))
            families.append(family);
    return plainFamilyNames(families);
}

} // namespace platform
