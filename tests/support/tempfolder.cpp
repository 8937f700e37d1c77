#include "tempfolder.h"

#include "platform/filenames.h"
#include "platform/foldertree.h"

#include <QDir>
#include <QFile>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>

TempFolder::TempFolder()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

// Qt's own removal cannot see names that are not UTF-8.
TempFolder::~TempFolder()
{
    platform::removeFolderTree(path(), QString());
}

QString TempFolder::path() const
{
    return dir_.path() + QLatin1Char('/');
}

QString TempFolder::write(const QString& relative, const QByteArray& content) const
{
    const QString full = file(relative);
    platform::createFolderLevels(platform::missingFolderLevels(full.left(full.lastIndexOf(QLatin1Char('/')) + 1)));
    writeAll(full, content);
    return full;
}

QString TempFolder::mkdir(const QString& relative) const
{
    platform::createFolderLevels(platform::missingFolderLevels(file(relative)));
    return file(relative);
}

QByteArray TempFolder::read(const QString& relative) const
{
    return readAll(file(relative));
}

bool TempFolder::exists(const QString& relative) const
{
    struct stat st {};
    return ::stat(platform::encodeFileName(file(relative)).constData(), &st) == 0;
}

QStringList TempFolder::entries(const QString& relative) const
{
    QStringList names;
    if (DIR* dir = ::opendir(platform::encodeFileName(file(relative)).constData())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names << platform::decodeFileName(entry->d_name);
        ::closedir(dir);
    }
    names.sort();
    return names;
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

// Files are named by their bytes, as the programs name them.
QByteArray readAll(const QString& path)
{
    const int fd = ::open(platform::encodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    QFile f;
    if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {};
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& content)
{
    QFile f;
    const int fd = ::open(platform::encodeFileName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || !f.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) || f.write(content) != content.size())
        throw std::runtime_error("cannot write test file");
}
