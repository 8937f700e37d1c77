#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Text rules of the generated pages, with no settings behind them.

inline constexpr QLatin1StringView CRLF{"\r\n"};

// The first occurrence of token, wherever it stands, replaced; a text without it unchanged.
QByteArray ReplaceString(const QByteArray& text, QByteArrayView token, const QByteArray& replacement);

// The block that defines openwin(url, name) for the pages that open images by script.
QByteArray openWindowScript();

// The finished page: with script, the openwin block goes before the first "</HEAD>",
// "</Head>" or "</head>" (tried in that order), or in front of the content when the template
// has none of them; then the first of each token is replaced, content, index, header, footer.
// The template's bytes are kept as they are.
QByteArray splicetext(const QByteArray& htmlTemplate, const QByteArray& content, const QByteArray& index,
                      const QByteArray& header, const QByteArray& footer, bool script);

// A file name inside an attribute value or page text: '"', '<' and '>' as entities.
QString htmlEscaped(const QString& text);

// A file name as a link inside an attribute value: as linkFileName (platform/filenames.h) gives
// it, then as htmlEscaped.
QString linkEscaped(const QString& name);

// A file name inside a single-quoted script string: '\' and '\'' escaped with '\'.
QString scriptEscaped(const QString& text);

// Longer than limit characters (code points): the first limit - 3 and "..."; a limit below 3
// gives "..." alone. Surrogate pairs are never split.
QString shortenedName(const QString& text, int limit);

// "show_" + the lower-cased file name (no folder) with every character other than a..z and
// 0..9 replaced by "_" + "_window".
QString popupWindowName(const QString& target);

// A header or footer entry as it goes into a page: each "|" becomes a line break.
QByteArray headerFooterEntryHtml(QByteArray entry);

// The lines of a text file as a line list keeps them: CR LF, LF or CR end a line, and a line
// end at the very end starts no further line.
QList<QByteArray> splitTextLines(const QByteArray& bytes);

// The text of bytes that are valid UTF-8, a leading byte-order mark kept as U+FEFF; nothing
// for any other bytes.
std::optional<QString> decodedUtf8(const QByteArray& bytes);

// Bytes that must reach a page as they are (a description in the user's own encoding),
// carried inside page text the way file names carry theirs (platform/filenames.h): valid
// UTF-8 as its characters, each other byte as the lone surrogate U+DC00 + byte.
QString pageTextOfBytes(const QByteArray& bytes);

// Page text as the page's bytes: UTF-8, and each carried byte back as it came.
QByteArray pageBytes(const QString& text);
