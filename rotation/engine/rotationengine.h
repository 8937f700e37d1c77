#pragma once

#include "folderlister.h"
#include "siterecord.h"

#include <QList>
#include <QString>

class ProblemReport;
class RunLog;

// What became of one file of a rotation.
struct FileCopy {
    enum Result { Copied, SameFolder, Failed };
    enum Backup { NoBackup, BackupMade, EarlierBackupKept, BackupFailed };
    QString source;
    QString target;
    Result result = Failed;
    Backup backup = NoBackup;
    QString reason;  // why it failed
};

// What became of one site.
struct SiteRotation {
    bool found = false;     // a valid rotation was found, copied and its successor stored
    int rotation = 0;
    bool complete = false;  // every file of it reached the live folder
    QList<FileCopy> copies;
    bool succeeded() const { return found && complete; }
};

// What a rotation of all sites needs from the window that runs it.
class RotationHooks {
public:
    virtual ~RotationHooks() = default;
    virtual void showStatus(const QString& text) = 0;
    // Selects a row of the site list and loads its site.
    virtual const tsiterecord& selectSite(int row) = 0;
};

// Copies a site's next rotation over its live folder: thumbnails first, then the other files,
// the pages last, so that no live page ever points at a picture that is not there yet. Each
// file goes through a temporary file renamed over the live one, so a live file is never
// missing or half written; with backups on, the replaced file keeps its first backup.
class RotationEngine {
public:
    RotationEngine(const SiteStore& sites, RunLog& log, ProblemReport& report,
                   FolderLister::ListFunction list = nullptr);

    void setCreateBackups(bool on) { createBackups_ = on; }

    // Rotates every site marked for automatic rotation; gives the number of sites whose
    // rotation succeeded.
    int rotateAll(int siteCount, RotationHooks& hooks);

    // Finds the first valid rotation from the stored position on, copies it and stores the
    // position after it.
    SiteRotation rotateSite(const tsiterecord& site);

    bool RotationExists(const tsiterecord& site, int n);
    // Copies the rotation whose folder the lister holds; true when every file was copied.
    bool RotateCurrentRotation(const tsiterecord& site, int n);
    bool CopyRotationFile(const tsiterecord& site, const QString& source, const QString& target);
    FileCopy::Backup BackupExistingFile(const QString& file);
    bool createnewdirectory(const QString& path);

    static QString ExtensionWithoutDot(const QString& name);
    // index.html gives "index.~htm", photo.jpg "photo.~jp", a.c "a.~", README "README." (a dot added).
    static QString backupName(const QString& name);

    FolderLister& lister() { return lister_; }

private:
    const SiteStore& sites_;
    RunLog& log_;
    FolderLister lister_;
    bool createBackups_ = false;
    QList<FileCopy> copies_;  // of the rotation being copied
};
