#pragma once
// A program folder with sites for the rotation tests.

#include "tempfolder.h"

#include <QDir>
#include <QStringList>

struct ProgramFolderFixture {
    TempFolder prog;

    // "<key>.ini" with the given lines under [General], then any further text as it stands.
    QString site(const QString& key, const QStringList& general, const QByteArray& more = {}) const
    {
        QByteArray text = "[General]\r\n";
        for (const QString& line : general)
            text += line.toUtf8() + "\r\n";
        return prog.write(key + ".ini", text + more);
    }

    // A standard auto-rotated site whose rotations live under sites/<key>/Rotation_<n>/.
    QString autoSite(const QString& key, int count, int position, const QString& base = "index.html") const
    {
        return site(key, {"Name=" + key, "Path=%/sites/" + key + "/", "LivePath=" + prog.file("live/" + key),
                          "AutoRotate=True", QStringLiteral("CurrentRotationPosition=%1").arg(position),
                          QStringLiteral("RotationCount=%1").arg(count), "BaseHTMLName=" + base});
    }

    // Files of a rotation folder (relative to the program folder); each file holds its own path.
    void files(const QString& folder, const QStringList& names) const
    {
        prog.mkdir(folder);
        for (const QString& name : names)
            prog.write(folder + "/" + name, (folder + "/" + name).toUtf8());
    }

    void siteList(const QStringList& lines) const
    {
        QByteArray text = "[Sites]\r\n";
        for (const QString& line : lines)
            text += line.toUtf8() + "\r\n";
        prog.write("sites.ini", text);
    }

    // Every file below a folder, relative to it, sorted.
    QStringList tree(const QString& folder) const
    {
        QStringList found;
        const QString root = prog.file(folder) + "/";
        QDir dir(root);
        const auto walk = [&](const auto& self, const QString& sub) -> void {
            const QDir d(root + sub);
            for (const QString& name : d.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
                found << sub + name;
            for (const QString& name : d.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
                self(self, sub + name + "/");
        };
        if (dir.exists())
            walk(walk, QString());
        found.sort();
        return found;
    }
};
