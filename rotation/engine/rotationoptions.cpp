#include "rotationoptions.h"

#include "platform/inifile.h"
#include "platform/programfiles.h"

namespace {

const QString section = QStringLiteral("Options");

} // namespace

QString optionsFile(const QString& programFolder)
{
    return programFolder + platform::programfile::options;
}

RotationOptions loadRotationOptions(const QString& programFolder, platform::FileOutcome* reading)
{
    const platform::IniFile::Reading file = platform::IniFile(optionsFile(programFolder)).readChecked();
    if (reading)
        *reading = file.outcome;
    const platform::IniDocument& doc = file.document;
    const auto text = [&doc](const char* key, const QString& def) {
        return doc.readString(section, QLatin1String(key), def);
    };
    const auto flag = [&text](const char* key, const char* def, bool defaultOn) {
        return platform::iniBool(text(key, QLatin1String(def)), defaultOn);
    };
    RotationOptions o;
    o.MailFrom = text("MailFrom", defaultMailFrom);
    o.MailTo = text("MailTo", QString());
    o.MailUserID = text("MailUserID", QString());
    o.MailPort = text("MailPort", QStringLiteral("25"));
    o.MailHost = text("MailHost", QString());
    o.LogFileName = text("LogFileName", programFolder + platform::programfile::rotationLog);
    o.LogOnlyErrors = flag("LogOnlyErrors", "True", true);
    o.Logging = flag("Logging", "True", true);
    o.CreateBackups = flag("CreateBackups", "False", false);
    o.EmailLog = flag("EmailLog", "FALSE", false);
    o.EmailOnlyErrors = flag("EmailOnlyErrors", "True", true);
    return o;
}

platform::FileOutcome saveRotationOptions(const QString& programFolder, const RotationOptions& o)
{
    return platform::IniFile(optionsFile(programFolder)).update([&o](platform::IniDocument& doc) {
        const auto set = [&doc](const char* key, const QString& value) { doc.setValue(section, QLatin1String(key), value); };
        const auto setFlag = [&set](const char* key, bool value) { set(key, platform::iniBoolText(value)); };
        set("MailFrom", o.MailFrom);
        set("MailTo", o.MailTo);
        set("MailUserID", o.MailUserID);
        set("MailPort", o.MailPort);
        set("MailHost", o.MailHost);
        set("LogFileName", o.LogFileName);
        setFlag("LogOnlyErrors", o.LogOnlyErrors);
        setFlag("Logging", o.Logging);
        setFlag("EmailLog", o.EmailLog);
        setFlag("CreateBackups", o.CreateBackups);
        setFlag("EmailOnlyErrors", o.EmailOnlyErrors);
    });
}
