#include "pathresolver.h"

#include "folderlisting.h"

#include <QFile>
#include <QStringList>

#include <sys/stat.h>

namespace platform {

namespace {

bool exists(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

// Every entry of a folder, hidden ones included, without sorting by kind.
std::optional<QString> matchInFolder(const QString& folder, const QString& component)
{
    if (exists(folder + component))
        return component;
    const FolderListing listing = listFolder(folder, ListWhat::Both);
    for (const QString& name : listing.names)
        if (name.compare(component, Qt::CaseInsensitive) == 0)
            return name;
    return std::nullopt;
}

} // namespace

std::optional<QString> findPathIgnoringCase(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    if (exists(path))
        return path;
    const bool trailing = path.endsWith(QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'));
    QString built = path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    bool first = true;
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            built += QLatin1String("../");
            continue;
        }
        const QString folder = built.isEmpty() ? QStringLiteral("./") : built;
        const auto found = matchInFolder(folder, part);
        if (!found)
            return std::nullopt;
        built += *found + QLatin1Char('/');
        first = false;
    }
    if (first)
        return std::nullopt;
    if (!trailing)
        built.chop(1);
    return built;
}

QString resolvePathIgnoringCase(const QString& path)
{
    return findPathIgnoringCase(path).value_or(path);
}

} // namespace platform
