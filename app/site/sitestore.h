#pragma once

#include "siterecord.h"

#include "platform/fileoutcome.h"
#include "platform/programfiles.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
class PromptService;
}

// The site list file "sites.ini" and the [General] section of each site's "<key>.ini", all in
// the program folder. Plain logic with no widgets; the main window calls it.
class SiteStore {
public:
    explicit SiteStore(QString programFolder) : programFolder_(std::move(programFolder)) {}

    const QString& programFolder() const { return programFolder_; }
    QString sitesFile() const { return programFolder_ + platform::programfile::siteList; }
    // "<key>.ini" in the program folder; empty for a key that would name a file elsewhere
    // ("/", "\", ".." or a control character in it) or one of the program's own files
    // ("sites", "options"): such a site reads as one without a file and is never written.
    QString siteFile(const QString& key) const;
    QString defaultSiteFolder(const QString& key) const { return programFolder_ + key + QLatin1Char('/'); }

    // Keys of [Sites] in file order.
    QStringList siteKeys() const;
    // Display names of the keys; an absent key shows as "Error: " + key.
    QStringList displayNames(const QStringList& keys) const;

    // The first "Site_<n>" from listed.size() + 1 up to 90000 that is not listed and has neither
    // a settings file nor a folder; nothing when all are taken.
    std::optional<QString> generatenewsitename(const QStringList& listed) const;

    // Writes Name = "New Site" into "<key>.ini", then the key into [Sites].
    platform::FileOutcome addsite(const QString& key) const;

    // Writes [General] in its fixed order and the display name into [Sites]. The rotation
    // position is written only when asked: the rotation tool advances it meanwhile.
    platform::FileOutcome savecurrentsite(const tsiterecord& site, bool writePosition) const;

    // Fills site from "<key>.ini" with the defaults of each key; false when the site has no folder.
    bool loadsite(const QString& key, tsiterecord& site) const;

    // Removes the key from [Sites]; a key that is not there is removed already.
    platform::FileOutcome removeSiteKey(const QString& key) const;

    // A new site after the listed ones: the record it starts with, and whether its settings file
    // and [Sites] entry were written; when they were not, no settings file of it stays behind.
    // Nothing when no key is free.
    struct NewSite {
        tsiterecord site;
        platform::FileOutcome stored;
    };
    std::optional<NewSite> newSite(const QStringList& listed) const;

    // Removes a site: its settings file, with deleteFolder its folder (both failures aside; the
    // folder's is shown by prompts), then its [Sites] key, whose outcome is returned.
    platform::FileOutcome removeSite(const tsiterecord& site, bool deleteFolder, platform::PromptService& prompts) const;

    // Path helpers over the program folder. A stored or typed folder is resolved as the
    // program folder's (a relative one lies in it; "~" is home).
    QString resolvepath(const QString& path) const;
    QString truncatepath(const QString& path) const;
    QString fixpath(const QString& path, bool add) const;

private:
    QString programFolder_;
};

inline constexpr int LastSiteNumber = 90000;
