#include "programoptions.h"

#include "platform/inifile.h"

#include <algorithm>
#include <climits>

namespace {
const QString section = QStringLiteral("Options");
}

ProgramOptions loadProgramOptions(const platform::IniFile& file)
{
    const platform::IniDocument doc = file.read();
    const auto number = [&](const char* key, int def, int fallback) {
        const auto text = doc.value(section, QLatin1String(key));
        if (!text)
            return def;
        // A number too large for the setting's 32-bit reading is no number either.
        const auto value = platform::iniNumber(*text);
        return value && *value >= INT_MIN && *value <= INT_MAX ? int(*value) : fallback;
    };
    const auto flag = [&](const char* key, bool def) {
        const auto text = doc.value(section, QLatin1String(key));
        return text ? platform::iniBool(*text, def) : def;
    };

    ProgramOptions o;
    // A quality outside 1..100 would reach the JPEG encoder; a hand-edited value is clamped.
    o.DefaultJPEGCompression = qint16(std::clamp(number("DefaultJPEGCompression", 80, 80), 1, 100));
    const int maxLength = number("MaxFilenameLength", 15, 17);
    o.MaxFilenameLength = qint16(std::clamp(maxLength, 0, int(INT16_MAX)));
    o.UseThumbsDirectory = flag("UseThumbsDirectory", true);
    o.ForceLowercase = flag("ForceLowercase", false);
    o.UseRotations = flag("UseRotations", false);
    return o;
}

platform::FileOutcome saveProgramOptions(platform::IniFile& file, const ProgramOptions& o)
{
    return file.update([&](platform::IniDocument& doc) {
        doc.setValue(section, QStringLiteral("DefaultJPEGCompression"), QString::number(o.DefaultJPEGCompression));
        doc.setValue(section, QStringLiteral("UseThumbsDirectory"), platform::iniBoolText(o.UseThumbsDirectory));
        doc.setValue(section, QStringLiteral("ForceLowercase"), platform::iniBoolText(o.ForceLowercase));
        doc.setValue(section, QStringLiteral("MaxFilenameLength"), QString::number(o.MaxFilenameLength));
        doc.setValue(section, QStringLiteral("UseRotations"), platform::iniBoolText(o.UseRotations));
    });
}
