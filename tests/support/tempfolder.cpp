#include "tempfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

TempFolder::TempFolder()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TempFolder::path() const
{
    return dir_.path() + QLatin1Char('/');
}

QString TempFolder::write(const QString& relative, const QByteArray& content) const
{
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    writeAll(full, content);
    return full;
}

QString TempFolder::mkdir(const QString& relative) const
{
    QDir().mkpath(file(relative));
    return file(relative);
}

QByteArray TempFolder::read(const QString& relative) const
{
    return readAll(file(relative));
}

bool TempFolder::exists(const QString& relative) const
{
    return QFileInfo::exists(file(relative));
}

QStringList TempFolder::entries() const
{
    return QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

StartedElsewhere::StartedElsewhere(const QString& workingFolder, const QString& home)
    : savedWorkingFolder_(QDir::currentPath())
    , savedHome_(qgetenv("HOME"))
{
    if (!QDir::setCurrent(workingFolder))
        throw std::runtime_error("cannot change the working folder");
    qputenv("HOME", QDir::cleanPath(home).toUtf8());
}

StartedElsewhere::~StartedElsewhere()
{
    QDir::setCurrent(savedWorkingFolder_);
    qputenv("HOME", savedHome_);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& content)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        throw std::runtime_error("cannot write test file");
}
