#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace platform {

namespace {

bool endsWithSeparator(const QString& s)
{
    return s.endsWith(QLatin1Char('/')) || s.endsWith(QLatin1Char('\\'));
}

qsizetype lastSeparator(const QString& s)
{
    return std::max(s.lastIndexOf(QLatin1Char('/')), s.lastIndexOf(QLatin1Char('\\')));
}

// base + relative with "." and ".." taken out; a folder stays marked as one.
QString joinCleaned(const QString& base, const QString& relative)
{
    const QString last = relative.mid(lastSeparator(relative) + 1);
    const bool folder = relative.isEmpty() || endsWithSeparator(relative) || last == QLatin1String(".")
                        || last == QLatin1String("..");
    const QString joined = QDir::cleanPath(base + relative);
    return folder ? addTrailingSeparator(joined) : joined;
}

} // namespace

QString executableFolder()
{
    // A scheduled run asks before it makes the application, which only then knows its path.
    if (!QCoreApplication::instance())
        return addTrailingSeparator(QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path());
    return addTrailingSeparator(QCoreApplication::applicationDirPath());
}

QString addTrailingSeparator(const QString& path)
{
    const QString t = path.trimmed();
    if (t.isEmpty() || endsWithSeparator(t))
        return t;
    return t + QLatin1Char('/');
}

QString expandpath(const QString& path, const QString& programFolder)
{
    const QString t = path.trimmed();
    if (t.startsWith(QLatin1Char('%')))
        return programFolder + t.mid(2);
    return t;
}

QString resolvepath(const QString& path, const QString& programFolder)
{
    const QString t = path.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char('/')))
        return t;
    if (t.startsWith(QLatin1Char('%')))
        return expandpath(t, programFolder);
    if (t == QLatin1String("~"))
        return addTrailingSeparator(QDir::homePath());
    if (t.startsWith(QLatin1String("~/")))
        return joinCleaned(addTrailingSeparator(QDir::homePath()), t.mid(2));
    return joinCleaned(programFolder, t);
}

QString truncatepath(const QString& path, const QString& programFolder)
{
    const QString t = path.trimmed();
    if (!programFolder.isEmpty() && t.startsWith(programFolder))
        return programFolderMarker + t.mid(programFolder.size());
    return t;
}

QString fixpath(const QString& path, bool add, const QString& programFolder)
{
    QString t = path.trimmed();
    if (t.isEmpty())
        return t;
    if (t.startsWith(QLatin1Char('%')))
        t = expandpath(t, programFolder);
    if (add) {
        if (!endsWithSeparator(t))
            t += QLatin1Char('/');
    } else if (endsWithSeparator(t)) {
        t.chop(1);
    }
    return t;
}

bool isPlainFileName(const QString& name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QLatin1String("..")))
        return false;
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 32 || c.unicode() == 127; });
}

QString fileInFolder(const QString& folder, const QString& name)
{
    return isPlainFileName(name) ? folder + name : QString();
}

QString extractExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < lastSeparator(name))
        return {};
    return name.mid(dot);
}

QString changeextension(const QString& name, const QString& ext)
{
    return name.left(name.size() - extractExtension(name).size()) + ext;
}

QString extractFileName(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}

QString extractFilePath(const QString& path)
{
    return path.left(lastSeparator(path) + 1);
}

} // namespace platform
