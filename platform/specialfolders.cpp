#include "specialfolders.h"
#include "filecontent.h"
#include "mounttable.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace platform {

namespace {

// A folder on a remote file system is taken as named: a look at it could wait on its server.
bool isFolder(const QString& path, const MountTable& mounts)
{
    return mounts.reach(path).remote || QFileInfo(path).isDir();
}

QString firstExisting(QStandardPaths::StandardLocation location, const MountTable& mounts)
{
    for (const QString& path : QStandardPaths::standardLocations(location)) {
        if (isFolder(path, mounts))
            return QDir::cleanPath(path);
    }
    return {};
}

// XDG_TEMPLATES_DIR from user-dirs.dirs; Qt has no location for it.
QString templatesFolder(const MountTable& mounts)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const std::optional<QByteArray> bytes = readFileContent(config + QStringLiteral("/user-dirs.dirs"));
    if (!bytes)
        return {};
    static const QRegularExpression line(QStringLiteral(R"(^\s*XDG_TEMPLATES_DIR\s*=\s*"([^"]*)\")"));
    for (const QString& text : QString::fromUtf8(*bytes).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch())
            continue;
        QString value = m.captured(1);
        if (value.startsWith(QLatin1StringView("$HOME")))
            value.replace(0, 5, QDir::homePath());
        if (!QDir::isAbsolutePath(value))
            return {};
        value = QDir::cleanPath(value);
        // XDG sets a folder it does not use to the home folder itself.
        return value != QDir::cleanPath(QDir::homePath()) && isFolder(value, mounts) ? value : QString();
    }
    return {};
}

} // namespace

QString specialFolderPath(SpecialFolder folder)
{
    return specialFolderPath(folder, MountTable::ofThisProcess());
}

QString specialFolderPath(SpecialFolder folder, const MountTable& mounts)
{
    switch (folder) {
    case SpecialFolder::Home:
        return QDir::cleanPath(QDir::homePath());
    case SpecialFolder::Desktop: {
        const QString desktop = firstExisting(QStandardPaths::DesktopLocation, mounts);
        return desktop.isEmpty() ? QDir::cleanPath(QDir::homePath()) : desktop;
    }
    case SpecialFolder::Documents:
        return firstExisting(QStandardPaths::DocumentsLocation, mounts);
    case SpecialFolder::AppData:
        return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    case SpecialFolder::Fonts:
        return firstExisting(QStandardPaths::FontsLocation, mounts);
    case SpecialFolder::Templates:
        return templatesFolder(mounts);
    }
    return {};
}

} // namespace platform
