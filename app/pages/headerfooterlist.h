#pragma once

#include "platform/fileoutcome.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Header and footer entries and the list files that keep them. An entry is one line of HTML
// in which "|" stands for a line break; a list file holds one entry a line.

// The entries of a list file as the build inserts them, byte for byte; nothing when the file
// is missing, a folder or unreadable.
std::optional<QList<QByteArray>> readHeaderFooterList(const QString& path);

// An entry as the editor shows it: decoded as UTF-8, or as Latin-1 where it is not valid UTF-8.
QString headerFooterEntryText(const QByteArray& line);

// The same entries as the editor shows them.
std::optional<QStringList> readHeaderFooterEntries(const QString& path);

// How a list writes the entries that were edited: in UTF-8, unless a line of the file read
// is no UTF-8 (a list from an older system, in Latin-1).
enum class ListEncoding { Utf8, Latin1 };
ListEncoding headerFooterListEncoding(const QList<QByteArray>& lines);

// The bytes an entry is written as: the bytes it was read from while its text is still
// theirs, else the text in the list's encoding. A character that Latin-1 lacks goes into a
// Latin-1 list as an HTML character reference ("&#8364;"), which a page shows as that
// character whatever its encoding.
QByteArray headerFooterEntryBytes(const QString& text, const QByteArray& readFrom, ListEncoding encoding);

// Writes the whole list, each entry followed by CR LF, through a temporary file renamed over
// the target.
platform::FileOutcome writeHeaderFooterList(const QString& path, const QList<QByteArray>& entries);

// The list file a site gets when none is named: programFolder + siteKey + "_Headers" or
// "_Footers" + ".txt", or the first of the names numbered 2 to 90000 that is not taken (the
// last one when all are).
QString defaultHeaderFooterListName(const QString& programFolder, const QString& siteKey, bool isHeader);

// An entry never holds a line break: CR LF, CR and LF each become "|".
QString withoutLineBreaks(QString text);

// A link box holding nothing but blanks or the "http://" it starts with makes no link.
bool isEmptyLink(const QString& link);

// The entry of a text link: the text, inside an anchor unless the link is empty.
QString textLinkEntry(const QString& text, const QString& link);

// The entry of an image or banner, inside an anchor unless the link is empty.
QString imageLinkEntry(const QString& imageUrl, const QString& link, const QString& altText, int borderWidth);

// An entry as lines of the snippet editor: every "|" closes a line, so an entry has to end in
// "|" for its last part to count.
QStringList entryLines(const QString& entry);

// Lines of the snippet editor back as an entry: joined by "|".
QString joinedEntryLines(const QStringList& lines);
