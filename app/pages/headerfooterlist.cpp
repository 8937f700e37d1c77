#include "headerfooterlist.h"

#include "htmltext.h"
#include "templatecheck.h"

#include "platform/filecontent.h"
#include "platform/safewrite.h"

#include <QFileInfo>

std::optional<QList<QByteArray>> readHeaderFooterList(const QString& path)
{
    const std::optional<QByteArray> bytes = platform::readFileContent(path);
    if (!bytes)
        return std::nullopt;
    return splitTextLines(*bytes);
}

std::optional<QStringList> readHeaderFooterEntries(const QString& path)
{
    const std::optional<QList<QByteArray>> lines = readHeaderFooterList(path);
    if (!lines)
        return std::nullopt;
    QStringList entries;
    entries.reserve(lines->size());
    for (const QByteArray& line : *lines)
        entries.append(decodeTemplateText(line));
    return entries;
}

platform::FileOutcome writeHeaderFooterEntries(const QString& path, const QStringList& entries)
{
    QByteArray bytes;
    for (const QString& entry : entries)
        bytes += entry.toUtf8() + "\r\n";
    return platform::writeFileAtomically(path, bytes);
}

QString defaultHeaderFooterListName(const QString& programFolder, const QString& siteKey, bool isHeader)
{
    const QString base = programFolder + siteKey + (isHeader ? QStringLiteral("_Headers") : QStringLiteral("_Footers"));
    const QString ext = QStringLiteral(".txt");
    QString name = base + ext;
    for (int n = 2; n <= 90000 && QFileInfo::exists(name); ++n)
        name = base + QString::number(n) + ext;
    return name;
}

QString withoutLineBreaks(QString text)
{
    return text.replace(QLatin1StringView("\r\n"), QLatin1StringView("|"))
        .replace(QLatin1Char('\r'), QLatin1Char('|'))
        .replace(QLatin1Char('\n'), QLatin1Char('|'));
}

bool isEmptyLink(const QString& link)
{
    const QString trimmed = link.trimmed();
    return trimmed.isEmpty() || trimmed == QLatin1StringView("http://");
}

namespace {

QString anchored(const QString& link, const QString& inner)
{
    if (isEmptyLink(link))
        return inner;
    return QStringLiteral("<A HREF=\"") + link.trimmed() + QStringLiteral("\">") + inner + QStringLiteral("</A>");
}

} // namespace

QString textLinkEntry(const QString& text, const QString& link)
{
    return anchored(link, text);
}

QString imageLinkEntry(const QString& imageUrl, const QString& link, const QString& altText, int borderWidth)
{
    QString image = QStringLiteral("<img SRC=\"") + imageUrl.trimmed() + QLatin1Char('"');
    if (!altText.isEmpty())
        image += QStringLiteral(" ALT=\"") + altText.trimmed() + QLatin1Char('"');
    image += QStringLiteral(" BORDER=") + QString::number(borderWidth) + QLatin1Char('>');
    return anchored(link, image);
}

QStringList entryLines(const QString& entry)
{
    QStringList lines = entry.split(QLatin1Char('|'));
    lines.removeLast(); // what follows the last "|" is no line
    return lines;
}

QString joinedEntryLines(const QStringList& lines)
{
    return lines.join(QLatin1Char('|'));
}
