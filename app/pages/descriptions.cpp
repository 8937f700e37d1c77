#include "descriptions.h"

#include "htmltext.h"
#include "templatecheck.h"

#include "platform/filecontent.h"
#include "platform/fileidentity.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <QFile>

namespace {

const QString descriptionsSection = QStringLiteral("Descriptions");

// A description file's text for the INI and CSV rules, which read UTF-8: the file from
// another program is UTF-8 (a byte-order mark dropped) or, where it is no UTF-8, Latin-1 as
// older systems wrote it.
struct DescriptionText {
    QByteArray utf8;
    bool latin1 = false;
};

std::optional<DescriptionText> readDescriptionText(const QString& file)
{
    const std::optional<QByteArray> bytes = platform::readFileContent(file);
    if (!bytes)
        return std::nullopt;
    return DescriptionText{decodeTemplateText(*bytes).toUtf8(), !decodedUtf8(*bytes)};
}

} // namespace

ImageDescriptions::ImageDescriptions(const platform::IniDocument& doc, bool latin1File)
{
    const QHash<QString, QString> values = doc.sectionValues(descriptionsSection);
    entries_.reserve(values.size());
    for (auto it = values.begin(); it != values.end(); ++it)
        entries_.insert(it.key(), latin1File ? it.value().toLatin1() : it.value().toUtf8());
}

QByteArray ImageDescriptions::lookup(const QString& key) const
{
    return entries_.value(key.trimmed().toCaseFolded());
}

std::optional<ImageDescriptions> ConvertCSVtoINI(const QString& csvFile, platform::PromptService& prompts)
{
    const std::optional<DescriptionText> text = readDescriptionText(csvFile);
    if (!text)
        return std::nullopt;
    QList<QByteArray> lines = splitTextLines(text->utf8);
    if (lines.isEmpty())
        return std::nullopt;
    bool anyEntry = false;
    for (QByteArray& line : lines) {
        const qsizetype comma = line.indexOf(',');
        if (comma >= 0) {
            line[comma] = '=';
            anyEntry = true;
        }
    }
    if (!anyEntry) {
        const int answer = prompts.messageBox(QStringLiteral("No valid entries were found in the file, %1.  Do you "
                                                             "still want to build this Site?")
                                                  .arg(csvFile),
                                              platform::defaultCaption(platform::PromptIcon::Warning),
                                              platform::PromptIcon::Warning, platform::PromptButtons::YesNo);
        if (answer != platform::mrYes)
            return std::nullopt;
        return ImageDescriptions();
    }
    lines.prepend("[" + descriptionsSection.toLatin1() + "]");
    return ImageDescriptions(platform::IniDocument::parse(lines.join("\r\n")), text->latin1);
}

std::optional<ImageDescriptions> loadDescriptionFile(const QString& file, platform::PromptService& prompts)
{
    if (platform::extractExtension(file).toUpper() != QLatin1String(".INI"))
        return ConvertCSVtoINI(file, prompts);
    const std::optional<DescriptionText> text = readDescriptionText(file);
    if (!text)
        return std::nullopt;
    return ImageDescriptions(platform::IniDocument::parse(text->utf8), text->latin1);
}
