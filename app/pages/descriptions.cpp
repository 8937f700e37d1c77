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

// Description files come from other programs: the text without a byte-order mark, as UTF-8;
// a file that is no UTF-8 is Latin-1, as older systems wrote it.
std::optional<QByteArray> readDescriptionText(const QString& file)
{
    const std::optional<QByteArray> bytes = platform::readFileContent(file);
    if (!bytes)
        return std::nullopt;
    return decodeTemplateText(*bytes).toUtf8();
}

} // namespace

ImageDescriptions::ImageDescriptions(const platform::IniDocument& doc)
    : entries_(doc.sectionValues(descriptionsSection))
{
}

QString ImageDescriptions::lookup(const QString& key) const
{
    return entries_.value(key.trimmed().toCaseFolded());
}

std::optional<ImageDescriptions> ConvertCSVtoINI(const QString& csvFile, platform::PromptService& prompts)
{
    const std::optional<QByteArray> bytes = readDescriptionText(csvFile);
    if (!bytes)
        return std::nullopt;
    QList<QByteArray> lines = splitTextLines(*bytes);
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
    return ImageDescriptions(platform::IniDocument::parse(lines.join("\r\n")));
}

std::optional<ImageDescriptions> loadDescriptionFile(const QString& file, platform::PromptService& prompts)
{
    if (platform::extractExtension(file).toUpper() != QLatin1String(".INI"))
        return ConvertCSVtoINI(file, prompts);
    const std::optional<QByteArray> bytes = readDescriptionText(file);
    if (!bytes)
        return std::nullopt;
    return ImageDescriptions(platform::IniDocument::parse(*bytes));
}
