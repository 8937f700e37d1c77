#pragma once

#include "platform/fileoutcome.h"
#include "platform/inifile.h"
#include "platform/programfiles.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {
class PathLookup;
}

// The selected site, as read from the [General] section of its settings file.
struct tsiterecord {
    QString SiteKey;   // empty: no site selected
    QString Name;
    QString Path;      // the site folder, resolved (platform::resolvepath) but kept as stored otherwise
    QString LivePath;  // the live folder, resolved the same way
    bool AutoRotate = false;
    int CurrentRotationPosition = 1;
    int RotationCount = 0;
    QString BaseHTMLName;
};

// The site list file "sites.ini" and the site settings files "<key>.ini" in the program
// folder, read the way the rotation tool reads them; the one value it writes is the position
// of the next rotation.
class SiteStore {
public:
    explicit SiteStore(QString programFolder) : programFolder_(std::move(programFolder)) {}

    const QString& programFolder() const { return programFolder_; }
    QString siteListFile() const { return programFolder_ + platform::programfile::siteList; }
    // "<key>.ini" in the program folder; empty for a key that would name a file elsewhere
    // ("/", "\", ".." or a control character in it) or one of the programs' own files
    // ("sites", "options"), which then counts as a missing file.
    QString siteFile(const QString& key) const;
    // The site's settings file as it is now; a missing one reads as empty.
    platform::IniDocument siteDocument(const QString& key) const;

    // The keys of [Sites] in file order; a missing file or section gives none. reading, when
    // given, says whether a file that is there could be read.
    QStringList siteKeys(platform::FileOutcome* reading = nullptr) const;
    // The display name of each key, "Error: " and the key for one that is not listed.
    QStringList displayNames(const QStringList& keys) const;

    // Fills every field of the record from the site's file; false when the site has no Path.
    // A file that cannot be read gives the defaults, as a missing one does; reading, when
    // given, says which it was.
    bool loadsite(const QString& key, tsiterecord& site, platform::FileOutcome* reading = nullptr) const;

    // The folder of rotation n: Rotation_Path of [Rotation_<n>], by default the site's Path with
    // a separator and "rotation_<n>"; a folder that exists under another case is found.
    QString rotationFolder(const tsiterecord& site, int n) const;
    // With a lookup, a search over many rotations lists each folder once.
    QString rotationFolder(const tsiterecord& site, int n, const platform::IniDocument& doc,
                           platform::PathLookup* lookup = nullptr) const;
    // The positions from 1 to the site's count that can hold a rotation at all (a section of
    // their own, or an existing default folder), ascending.
    QList<int> rotationCandidates(const tsiterecord& site) const;
    QList<int> rotationCandidates(const tsiterecord& site, const platform::IniDocument& doc) const;

    // Stores the position of the next rotation.
    platform::FileOutcome savecurrentsiterotation(const QString& key, int position) const;

private:
    platform::IniFile::Reading readSite(const QString& key) const;
    QString defaultRotationFolder(const tsiterecord& site, int n) const;

    QString programFolder_;
};
