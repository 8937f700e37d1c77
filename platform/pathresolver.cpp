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

// The first name of the listing that matches the component ignoring case.
std::optional<QString> matchIn(const QStringList& names, const QString& component)
{
    for (const QString& name : names)
        if (name.compare(component, Qt::CaseInsensitive) == 0)
            return name;
    return std::nullopt;
}

std::optional<QString> matchInFolder(const QString& folder, const QString& component)
{
    if (exists(folder + component))
        return component;
    return matchIn(listFolder(folder, ListWhat::Both).names, component);
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

const QStringList& PathLookup::listing(const QString& folder)
{
    auto entry = listings_.find(folder);
    if (entry == listings_.end())
        entry = listings_.insert(folder, listFolder(folder, ListWhat::Both).names);
    return *entry;
}

std::optional<QString> PathLookup::find(const QString& path)
{
    if (const auto known = found_.constFind(path); known != found_.constEnd())
        return *known;
    const std::optional<QString> result = locate(path);
    found_.insert(path, result);
    return result;
}

std::optional<QString> PathLookup::locate(const QString& path)
{
    const bool trailing = path.endsWith(QLatin1Char('/'));
    const QString bare = trailing ? path.chopped(1) : path;
    const qsizetype slash = bare.lastIndexOf(QLatin1Char('/'));
    const QString name = bare.mid(slash + 1);
    if (slash < 0 || name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")
        || bare.contains(QLatin1String("/../")) || bare.contains(QLatin1String("/./"))
        || bare.contains(QLatin1String("//")))
        return findPathIgnoringCase(path); // shapes the folder-by-folder walk does not take

    const QString parent = bare.left(slash + 1);
    std::optional<QString> folder;
    if (parent == QLatin1String("/")) {
        folder = parent;
    } else if (const auto known = found_.constFind(parent); known != found_.constEnd()) {
        folder = *known;
    } else {
        folder = exists(parent) ? std::optional<QString>(parent) : locate(parent);
        found_.insert(parent, folder);
    }
    if (!folder)
        return std::nullopt;
    // The listing holds every entry but the hidden ones, which only an exact name finds.
    const QStringList& names = listing(*folder);
    std::optional<QString> match;
    if (names.contains(name))
        match = name;
    else if (const auto ignoringCase = matchIn(names, name))
        match = ignoringCase;
    else if (exists(*folder + name))
        match = name;
    if (!match)
        return std::nullopt;
    return *folder + *match + (trailing ? QStringLiteral("/") : QString());
}

} // namespace platform
