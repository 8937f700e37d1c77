#pragma once

#include "folderlister.h"
#include "siterecord.h"

#include <QList>
#include <QString>

#include <optional>

class ProblemReport;
class RunLog;
namespace platform {
class CopyBatch;
class IniDocument;
class PathLookup;
}

// What became of one file of a rotation.
struct FileCopy {
    enum Result { Copied, Failed, LinkOutside };
    enum Backup { NoBackup, BackupMade, EarlierBackupKept, BackupFailed };
    QString source;
    QString target;
    Result result = Failed;
    Backup backup = NoBackup;
    QString reason;  // why it failed
};

// What became of one site.
struct SiteRotation {
    bool found = false;          // a valid rotation was found and copied
    int rotation = 0;
    bool complete = false;       // every file of it reached the live folder
    bool positionSaved = false;  // the position after it was stored
    QList<FileCopy> copies;
    bool succeeded() const { return found && complete && positionSaved; }
};

// Copies a site's next rotation over its live folder: thumbnails first, then the other files,
// the pages last, so that no live page ever points at a picture that is not there yet. Every
// file is first copied beside its live file, one sync makes them all durable, then they are
// renamed over the live files in that order: a live file is never missing or half written, and
// the live folder is mixed only while the renames run. With backups on, a replaced file keeps
// its first backup. Links that lead out of the rotation are never followed, and folders that
// must never be written (the root, the home folder, the program folder and those above it,
// the rotation itself) are refused as live folders.
class RotationEngine {
public:
    RotationEngine(const SiteStore& sites, RunLog& log, ProblemReport& report,
                   FolderLister::ListFunction list = nullptr);

    void setCreateBackups(bool on) { createBackups_ = on; }

    // Finds the first valid rotation from the stored position on, copies it and stores the
    // position after it.
    SiteRotation rotateSite(const tsiterecord& site);

    bool RotationExists(const tsiterecord& site, int n);
    // Copies the rotation whose folder the lister holds; true when every file was copied.
    bool RotateCurrentRotation(const tsiterecord& site, int n);
    FileCopy::Backup BackupExistingFile(const QString& file);
    bool createnewdirectory(const QString& path);

    static QString ExtensionWithoutDot(const QString& name);
    // index.html gives "index.~htm", photo.jpg "photo.~jp", a.c "a.~", README "README." (a dot added).
    static QString backupName(const QString& name);

    FolderLister& lister() { return lister_; }

    // Deletes what a killed run of either program left among the settings, once per engine.
    void removeProgramFolderLeftovers();

private:
    bool rotationExists(const tsiterecord& site, int n, const platform::IniDocument& doc,
                        platform::PathLookup* lookup = nullptr);
    // The live folder, or the live thumbnail folder, that must not be written; empty when both may.
    std::optional<QString> forbiddenLiveFolder(const QString& source, const QString& target) const;
    // The files to copy in their order: thumbnails, other files, pages.
    QList<FileCopy> plannedCopies(const tsiterecord& site, const QString& source, const QString& target,
                                  bool& complete);
    bool leadsOutside(const tsiterecord& site, const QString& path, const QString& rotationFolder);
    // Copies one file beside its live file (the first half of CopyRotationFile).
    bool CopyRotationFile(const tsiterecord& site, FileCopy& copy, platform::CopyBatch& batch, int& staged);
    // Backs up the live file if asked and puts the copy in its place (the second half).
    bool placeRotationFile(const tsiterecord& site, FileCopy& copy, platform::CopyBatch& batch, int staged);
    // The copy's error line; an exception's text is added to it.
    void copyFailed(const tsiterecord& site, FileCopy& copy, const QString& reason, bool raised = false);

    const SiteStore& sites_;
    RunLog& log_;
    FolderLister lister_;
    bool createBackups_ = false;
    bool programFolderCleaned_ = false;
    QList<FileCopy> copies_;  // of the rotation being copied
};
