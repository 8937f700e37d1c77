#include "sitestore.h"

#include "fileroutines.h"

#include "platform/fileidentity.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/programfiles.h"
#include "platform/safewrite.h"


namespace {
const QString sitesSection = QStringLiteral("Sites");
const QString general = QStringLiteral("General");
} // namespace

QString SiteStore::siteFile(const QString& key) const
{
    return platform::siteSettingsFile(programFolder_, key);
}

QStringList SiteStore::siteKeys() const
{
    return platform::IniFile(sitesFile()).sectionKeys(sitesSection);
}

QStringList SiteStore::displayNames(const QStringList& keys) const
{
    const QHash<QString, QString> values = platform::IniFile(sitesFile()).read().sectionValues(sitesSection);
    QStringList names;
    names.reserve(keys.size());
    for (const QString& key : keys)
        names.append(values.value(key.toCaseFolded(), QStringLiteral("Error: ") + key));
    return names;
}

std::optional<QString> SiteStore::generatenewsitename(const QStringList& listed) const
{
    for (qsizetype n = listed.size() + 1; n <= LastSiteNumber; ++n) {
        const QString key = QStringLiteral("Site_%1").arg(n);
        if (listed.contains(key, Qt::CaseInsensitive) || platform::entryExists(siteFile(key))
            || platform::entryExists(programFolder_ + key))
            continue;
        return key;
    }
    return std::nullopt;
}

platform::FileOutcome SiteStore::addsite(const QString& key) const
{
    platform::IniFile settings(siteFile(key));
    if (auto outcome = settings.writeString(general, QStringLiteral("Name"), QStringLiteral("New Site")); !outcome)
        return outcome;
    platform::IniFile sites(sitesFile());
    return sites.writeString(sitesSection, key, QStringLiteral("New Site"));
}

platform::FileOutcome SiteStore::savecurrentsite(const tsiterecord& site, bool writePosition) const
{
    platform::IniFile settings(siteFile(site.SiteKey));
    const platform::FileOutcome saved = settings.update([&](platform::IniDocument& doc) {
        doc.setValue(general, QStringLiteral("Name"), site.Name);
        doc.setValue(general, QStringLiteral("Path"), truncatepath(site.Path));
        doc.setValue(general, QStringLiteral("LivePath"), site.LivePath);
        doc.setValue(general, QStringLiteral("AutoRotate"), platform::iniBoolText(site.AutoRotate));
        if (writePosition)
            doc.setValue(general, QStringLiteral("CurrentRotationPosition"), QString::number(site.CurrentRotationPosition));
        doc.setValue(general, QStringLiteral("BaseHTMLName"), site.BaseHTMLName);
        doc.setValue(general, QStringLiteral("RotationCount"), QString::number(site.RotationCount));
    });
    if (!saved)
        return saved;
    platform::IniFile sites(sitesFile());
    return sites.writeString(sitesSection, site.SiteKey, site.Name);
}

bool SiteStore::loadsite(const QString& key, tsiterecord& site) const
{
    site.SiteKey = key;
    const platform::IniDocument doc = platform::IniFile(siteFile(key)).read();
    const auto text = [&](const char* name, const QString& def) {
        return doc.readString(general, QLatin1String(name), def);
    };
    const auto number = [&](const char* name, const QString& def, int fallback) {
        const auto value = platform::iniNumber(text(name, def));
        return (value && *value >= INT_MIN && *value <= INT_MAX) ? int(*value) : fallback;
    };

    site.Name = text("Name", QStringLiteral("Name Error"));
    site.Path = fixpath(resolvepath(text("Path", QString())), true);
    site.BaseHTMLName = text("BaseHTMLName", QStringLiteral("Index.html"));
    site.LivePath = text("LivePath", QString());
    site.AutoRotate = !site.LivePath.isEmpty() && platform::iniBool(text("AutoRotate", QStringLiteral("False")), false);
    site.CurrentRotationPosition = number("CurrentRotationPosition", QStringLiteral("1"), 1);
    site.RotationCount = number("RotationCount", QString(), 20);
    return !site.Path.isEmpty();
}

platform::FileOutcome SiteStore::removeSiteKey(const QString& key) const
{
    platform::IniFile sites(sitesFile());
    const platform::IniFile::Reading list = sites.readChecked();
    if (!platform::fileExists(sitesFile()) || (list.outcome && !list.document.value(sitesSection, key)))
        return platform::FileOutcome::success();
    return sites.deleteKey(sitesSection, key);
}

std::optional<SiteStore::NewSite> SiteStore::newSite(const QStringList& listed) const
{
    const auto key = generatenewsitename(listed);
    if (!key)
        return std::nullopt;
    const QString settingsFile = siteFile(*key);
    const bool settingsExisted = platform::fileExists(settingsFile);
    const platform::FileOutcome stored = addsite(*key);
    if (!stored && !settingsExisted && platform::fileExists(settingsFile))
        platform::removeFile(settingsFile);
    tsiterecord site;
    site.SiteKey = *key;
    site.Name = QStringLiteral("New Site");
    site.Path = defaultSiteFolder(*key);
    site.CurrentRotationPosition = 1;
    site.RotationCount = 0;
    site.BaseHTMLName = QStringLiteral("Index.html");
    return NewSite{site, stored};
}

platform::FileOutcome SiteStore::removeSite(const tsiterecord& site, bool deleteFolder,
                                            platform::PromptService& prompts) const
{
    if (platform::fileExists(siteFile(site.SiteKey)))
        platform::removeFile(siteFile(site.SiteKey));
    if (deleteFolder && !site.Path.isEmpty() && platform::folderExists(site.Path))
        dodeletedir(site.Path, programFolder_, prompts);
    return removeSiteKey(site.SiteKey);
}

QString SiteStore::resolvepath(const QString& path) const
{
    return platform::resolvepath(path, programFolder_);
}

QString SiteStore::truncatepath(const QString& path) const
{
    return platform::truncatepath(path, programFolder_);
}

QString SiteStore::fixpath(const QString& path, bool add) const
{
    return platform::fixpath(path, add, programFolder_);
}
