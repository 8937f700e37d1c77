#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A fresh folder per test, removed afterwards. path() ends in "/".
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    QString path() const;
    QString file(const QString& relative) const { return path() + relative; }

    // Writes a file (folders made as needed) and gives its full path.
    QString write(const QString& relative, const QByteArray& content) const;
    QString mkdir(const QString& relative) const;
    QByteArray read(const QString& relative) const;
    bool exists(const QString& relative) const;
    // Every name in the folder (or one inside it), hidden ones (temporary files) included, sorted.
    QStringList entries(const QString& relative = {}) const;

private:
    QTemporaryDir dir_;
};

// Until it ends, the process runs from another working folder and with another home folder, as a
// program started by cron or from a shell elsewhere does.
class StartedElsewhere {
public:
    StartedElsewhere(const QString& workingFolder, const QString& home);
    ~StartedElsewhere();
    StartedElsewhere(const StartedElsewhere&) = delete;
    StartedElsewhere& operator=(const StartedElsewhere&) = delete;

private:
    QString savedWorkingFolder_;
    QByteArray savedHome_;
};

// Whole-file helpers for tests.
QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& content);
