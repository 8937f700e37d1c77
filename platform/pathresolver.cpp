#include "pathresolver.h"

#include "filenames.h"
#include "folderlisting.h"

#include <QStringList>

#include <sys/stat.h>

namespace platform {

mode_t PathLookup::status(const QString& path)
{
    const auto known = status_.constFind(path);
    if (known != status_.cend())
        return *known;
    struct stat st {};
    const mode_t mode = ::stat(encodeFileName(path).constData(), &st) == 0 ? st.st_mode : 0;
    status_.insert(path, mode);
    return mode;
}

bool PathLookup::isFolder(const QString& path)
{
    return S_ISDIR(status(path));
}

std::optional<QString> PathLookup::matchInFolder(const QString& folder, const QString& component)
{
    auto listing = listings_.find(folder);
    // A folder listed once answers for its visible entries without asking the system again.
    if (listing != listings_.end() && !component.startsWith(QLatin1Char('.'))) {
        if (listing->names.contains(component))
            return component;
    } else if (exists(folder + component)) {
        return component;
    }
    if (listing == listings_.end()) {
        Listing seen;
        for (const QString& name : listFolder(folder, ListWhat::Both).names) {
            seen.names.insert(name);
            const QString key = name.toCaseFolded();
            if (!seen.folded.contains(key))
                seen.folded.insert(key, name);  // the first in listing order wins
        }
        listing = listings_.insert(folder, seen);
    }
    const auto found = listing->folded.constFind(component.toCaseFolded());
    if (found == listing->folded.cend())
        return std::nullopt;
    return *found;
}

std::optional<QString> PathLookup::find(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    // Many paths in one folder: the folder is found once, then each last name in its listing.
    const bool trailing = path.endsWith(QLatin1Char('/'));
    const QString trimmed = trailing ? path.chopped(1) : path;
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    const QString last = trimmed.mid(slash + 1);
    if (slash >= 0 && !last.isEmpty() && last != QLatin1String(".") && last != QLatin1String("..")) {
        const QString parent = trimmed.left(slash + 1);
        auto folder = folders_.constFind(parent);
        if (folder == folders_.cend())
            folder = folders_.insert(parent, find(parent));
        const auto name = *folder ? matchInFolder(**folder, last) : std::nullopt;
        if (!name) {
            status_.insert(path, 0);
            return std::nullopt;
        }
        return **folder + *name + (trailing ? QStringLiteral("/") : QString());
    }
    return walk(path);
}

std::optional<QString> PathLookup::walk(const QString& path)
{
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

std::optional<QString> findPathIgnoringCase(const QString& path)
{
    return PathLookup().find(path);
}

QString resolvePathIgnoringCase(const QString& path)
{
    return findPathIgnoringCase(path).value_or(path);
}

} // namespace platform
