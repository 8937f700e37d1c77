#include "htmltext.h"

#include "platform/filenames.h"
#include "platform/paths.h"

#include <QList>
#include <QStringDecoder>

namespace {

// Position after the code point that starts at i: a surrogate pair is one character.
qsizetype nextCodePoint(const QString& s, qsizetype i)
{
    return s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate() ? i + 2 : i + 1;
}

} // namespace

QByteArray ReplaceString(const QByteArray& text, QByteArrayView token, const QByteArray& replacement)
{
    const qsizetype at = text.indexOf(token);
    if (at < 0)
        return text;
    QByteArray result = text;
    return result.replace(at, token.size(), replacement);
}

QByteArray openWindowScript()
{
    return "<script language=\"JavaScript\">\r\n"
           "<!-- \r\n"
           "function openwin(url,name) \r\n"
           "{\r\n"
           "   popupWin = window.open(url, name,\"resizable=yes,scrollbars=yes\");\r\n"
           "}\r\n"
           "// -->\r\n"
           "</script>\r\n";
}

QByteArray splicetext(const QByteArray& htmlTemplate, const QByteArray& content, const QByteArray& index,
                      const QByteArray& header, const QByteArray& footer, bool script)
{
    QByteArray page = htmlTemplate;
    QByteArray body = content;
    if (script) {
        bool placed = false;
        for (const char* headEnd : {"</HEAD>", "</Head>", "</head>"}) {
            const qsizetype at = page.indexOf(headEnd);
            if (at >= 0) {
                page.insert(at, openWindowScript());
                placed = true;
                break;
            }
        }
        if (!placed)
            body.prepend(openWindowScript());
    }
    page = ReplaceString(page, "***CONTENT***", body);
    page = ReplaceString(page, "***INDEX***", index);
    page = ReplaceString(page, "***HEADER***", header);
    return ReplaceString(page, "***FOOTER***", footer);
}

QString htmlEscaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': out += QLatin1String("&quot;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        default: out += c;
        }
    }
    return out;
}

QString linkEscaped(const QString& name)
{
    return htmlEscaped(platform::linkFileName(name));
}

QString scriptEscaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('\''))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString shortenedName(const QString& text, int limit)
{
    const QString dots = QStringLiteral("...");
    qsizetype count = 0;
    qsizetype keepEnd = 0; // UTF-16 position after the last code point that stays
    const int keep = limit - 3;
    for (qsizetype i = 0; i < text.size(); i = nextCodePoint(text, i)) {
        ++count;
        if (count <= keep)
            keepEnd = nextCodePoint(text, i);
    }
    if (count <= limit)
        return text;
    return limit < 3 ? dots : text.left(keepEnd) + dots;
}

QString popupWindowName(const QString& target)
{
    QString name = QStringLiteral("show_");
    const QString file = platform::extractFileName(target).toLower();
    for (qsizetype i = 0; i < file.size(); i = nextCodePoint(file, i)) {
        const char16_t c = file.at(i).unicode();
        const bool kept = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
        name += kept ? QChar(c) : QLatin1Char('_');
    }
    return name + QStringLiteral("_window");
}

QByteArray headerFooterEntryHtml(QByteArray entry)
{
    return entry.replace('|', "\r\n");
}

QList<QByteArray> splitTextLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

std::optional<QString> decodedUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

QString pageTextOfBytes(const QByteArray& bytes)
{
    return platform::decodeFileName(bytes);
}

QByteArray pageBytes(const QString& text)
{
    return platform::encodeFileName(text);
}
