#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A fresh folder per test, removed afterwards. path() ends in "/".
class TempFolder {
public:
    TempFolder();
    QString path() const;
    QString file(const QString& relative) const { return path() + relative; }

    // Writes a file (folders made as needed) and gives its full path.
    QString write(const QString& relative, const QByteArray& content) const;
    QString mkdir(const QString& relative) const;
    QByteArray read(const QString& relative) const;
    bool exists(const QString& relative) const;
    // Every name in the folder, hidden ones (temporary files) included, sorted.
    QStringList entries() const;

private:
    QTemporaryDir dir_;
};

// Whole-file helpers for tests.
QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& content);
