#include "siterecord.h"

#include "platform/fileidentity.h"
#include "platform/folderlisting.h"
#include "platform/inifile.h"
#include "platform/pathresolver.h"
#include "platform/paths.h"


namespace {

const QString general = QStringLiteral("General");
const QString sites = QStringLiteral("Sites");

QString rotationSection(int n)
{
    return QStringLiteral("Rotation_") + QString::number(n);
}

// The number n of a name "Rotation_<n>" (any case, decimal without leading zeros), else 0.
int rotationNumber(const QString& name)
{
    static const QLatin1StringView prefix("rotation_");
    const qsizetype digits = name.size() - prefix.size();
    if (digits < 1 || digits > 9 || !name.startsWith(prefix, Qt::CaseInsensitive) || name[prefix.size()] == QLatin1Char('0'))
        return 0;
    int n = 0;
    for (qsizetype i = prefix.size(); i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c < u'0' || c > u'9')
            return 0;
        n = n * 10 + (c - u'0');
    }
    return n;
}

} // namespace

QString SiteStore::siteFile(const QString& key) const
{
    return platform::siteSettingsFile(programFolder_, key);
}

platform::IniFile::Reading SiteStore::readSite(const QString& key) const
{
    const QString file = siteFile(key);
    return file.isEmpty() ? platform::IniFile::Reading() : platform::IniFile(file).readChecked();
}

platform::IniDocument SiteStore::siteDocument(const QString& key) const
{
    return readSite(key).document;
}

QStringList SiteStore::siteKeys(platform::FileOutcome* reading) const
{
    const platform::IniFile::Reading list = platform::IniFile(siteListFile()).readChecked();
    if (reading)
        *reading = list.outcome;
    return list.document.sectionKeys(sites);
}

QStringList SiteStore::displayNames(const QStringList& keys) const
{
    // One pass over the section: a look-up per key would be quadratic in the number of sites.
    const QHash<QString, QString> values = platform::IniFile(siteListFile()).read().sectionValues(sites);
    QStringList names;
    names.reserve(keys.size());
    for (const QString& key : keys)
        names << values.value(key.toCaseFolded(), QStringLiteral("Error: ") + key);
    return names;
}

bool SiteStore::loadsite(const QString& key, tsiterecord& site, platform::FileOutcome* reading) const
{
    const platform::IniFile::Reading settings = readSite(key);
    if (reading)
        *reading = settings.outcome;
    const platform::IniDocument& doc = settings.document;
    const auto number = [&doc](const QString& name, int def, int fallback) {
        const auto text = doc.value(general, name);
        if (!text)
            return def;
        const auto value = platform::iniNumber(*text);
        return value && *value >= INT_MIN && *value <= INT_MAX ? int(*value) : fallback;
    };
    site.SiteKey = key;
    site.Name = doc.readString(general, QStringLiteral("Name"), QStringLiteral("Name Error"));
    site.Path = platform::resolvepath(doc.readString(general, QStringLiteral("Path"), QString()), programFolder_);
    site.BaseHTMLName = doc.readString(general, QStringLiteral("BaseHTMLName"), QStringLiteral("Index.html"));
    site.LivePath = platform::resolvepath(doc.readString(general, QStringLiteral("LivePath"), QString()), programFolder_);
    site.AutoRotate = !site.LivePath.isEmpty()
                      && platform::iniBool(doc.readString(general, QStringLiteral("AutoRotate"), QStringLiteral("False")), false);
    site.CurrentRotationPosition = number(QStringLiteral("CurrentRotationPosition"), 1, 1);
    site.RotationCount = number(QStringLiteral("RotationCount"), 20, 20);
    return !site.Path.isEmpty();
}

QString SiteStore::defaultRotationFolder(const tsiterecord& site, int n) const
{
    // Without a site folder there is no default: a bare "rotation_<n>" would name a folder of
    // whatever the working folder happens to be.
    if (site.Path.trimmed().isEmpty())
        return {};
    return platform::fixpath(site.Path, true, programFolder_) + QStringLiteral("rotation_") + QString::number(n);
}

QString SiteStore::rotationFolder(const tsiterecord& site, int n, const platform::IniDocument& doc,
                                  platform::PathLookup* lookup) const
{
    const QString stored = doc.readString(rotationSection(n), QStringLiteral("Rotation_Path"), defaultRotationFolder(site, n));
    const QString folder = platform::resolvepath(platform::fixpath(stored, true, programFolder_), programFolder_);
    if (folder.isEmpty())
        return folder;
    return lookup ? lookup->resolve(folder) : platform::resolvePathIgnoringCase(folder);
}

QString SiteStore::rotationFolder(const tsiterecord& site, int n) const
{
    return rotationFolder(site, n, siteDocument(site.SiteKey));
}

QList<int> SiteStore::rotationCandidates(const tsiterecord& site) const
{
    return rotationCandidates(site, siteDocument(site.SiteKey));
}

QList<int> SiteStore::rotationCandidates(const tsiterecord& site, const platform::IniDocument& doc) const
{
    const int count = std::max(site.RotationCount, 1);
    QList<int> candidates;
    const auto take = [&candidates, count](int n) {
        if (n >= 1 && n <= count)
            candidates << n;
    };
    for (const QString& section : doc.sections())
        take(rotationNumber(section));
    const QString siteFolder = platform::fixpath(site.Path, true, programFolder_);
    if (!siteFolder.isEmpty()) {
        const QString resolved = platform::resolvePathIgnoringCase(siteFolder);
        for (const QString& name : platform::listFolder(resolved, platform::ListWhat::Folders).names)
            take(rotationNumber(name));
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    return candidates;
}

platform::FileOutcome SiteStore::savecurrentsiterotation(const QString& key, int position) const
{
    const QString file = siteFile(key);
    if (file.isEmpty())
        return platform::FileOutcome::failure(QStringLiteral("%1 is no site key").arg(key));
    return platform::IniFile(file).writeInteger(general, QStringLiteral("CurrentRotationPosition"), position);
}
