#include "headerfooterlist.h"

#include "htmltext.h"
#include "templatecheck.h"

#include "platform/filecontent.h"
#include "platform/fileidentity.h"
#include "platform/safewrite.h"


#include <algorithm>

std::optional<QList<QByteArray>> readHeaderFooterList(const QString& path)
{
    const std::optional<QByteArray> bytes = platform::readFileContent(path);
    if (!bytes)
        return std::nullopt;
    return splitTextLines(*bytes);
}

QString headerFooterEntryText(const QByteArray& line)
{
    return decodeTemplateText(line);
}

std::optional<QStringList> readHeaderFooterEntries(const QString& path)
{
    const std::optional<QList<QByteArray>> lines = readHeaderFooterList(path);
    if (!lines)
        return std::nullopt;
    QStringList entries;
    entries.reserve(lines->size());
    for (const QByteArray& line : *lines)
        entries.append(headerFooterEntryText(line));
    return entries;
}

ListEncoding headerFooterListEncoding(const QList<QByteArray>& lines)
{
    const bool latin1 = std::any_of(lines.begin(), lines.end(), [](const QByteArray& line) { return !decodedUtf8(line); });
    return latin1 ? ListEncoding::Latin1 : ListEncoding::Utf8;
}

namespace {

QByteArray latin1WithReferences(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (c <= 0xFF)
            bytes += char(c);
        else
            bytes += "&#" + QByteArray::number(quint32(c)) + ';';
    }
    return bytes;
}

} // namespace

QByteArray headerFooterEntryBytes(const QString& text, const QByteArray& readFrom, ListEncoding encoding)
{
    if (text == headerFooterEntryText(readFrom))
        return readFrom;
    return encoding == ListEncoding::Latin1 ? latin1WithReferences(text) : text.toUtf8();
}

platform::FileOutcome writeHeaderFooterList(const QString& path, const QList<QByteArray>& entries)
{
    QByteArray bytes;
    for (const QByteArray& entry : entries)
        bytes += entry + "\r\n";
    return platform::writeFileAtomically(path, bytes);
}

QString defaultHeaderFooterListName(const QString& programFolder, const QString& siteKey, bool isHeader)
{
    const QString base = programFolder + siteKey + (isHeader ? QStringLiteral("_Headers") : QStringLiteral("_Footers"));
    const QString ext = QStringLiteral(".txt");
    QString name = base + ext;
    for (int n = 2; n <= 90000 && platform::entryExists(name); ++n)
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
