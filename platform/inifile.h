#pragma once

#include "fileoutcome.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {

// One INI file's text in memory. Section and key names compare case-insensitively; lines
// that are not touched keep their bytes. Values read are trimmed and lose one pair of
// matching surrounding quotes.
class IniDocument {
public:
    IniDocument() = default;
    static IniDocument parse(const QByteArray& bytes);
    QByteArray serialize() const; // CR LF line ends

    std::optional<QString> value(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& def) const;
    bool hasSection(const QString& section) const;
    QStringList sectionKeys(const QString& section) const; // file order, first spelling of each
    // Every key of a section with its value, by case-folded key name (first occurrence wins).
    QHash<QString, QString> sectionValues(const QString& section) const;
    QStringList sections() const;

    void setValue(const QString& section, const QString& key, const QString& value);
    void deleteKey(const QString& section, const QString& key);
    void eraseSection(const QString& section);

private:
    struct Line {
        enum Kind { Other, Section, Entry } kind = Other;
        QString name;    // section name or key name, trimmed
        QByteArray raw;  // the line's bytes without its line end
    };
    int findSection(const QString& section) const;   // index of its first header line, or -1
    void changed()
    {
        sectionIndex_.clear();
        indexed_ = false;
    }
    int sectionEnd(int header) const;                // index after its last line
    int findEntry(int header, const QString& key) const;
    static QString cleanValue(const QByteArray& raw);

    QList<Line> lines_;
    // Folded section name to its first header line; built on the first look-up after a change.
    mutable QHash<QString, int> sectionIndex_;
    mutable bool indexed_ = false;
};

// Private-profile style access to one INI file. Each read takes the file as it is on disk
// now; each write is read-modify-write under an advisory lock on the file's folder, written
// to a temporary file and renamed over the file, so two programs writing different keys of
// the same file lose nothing.
class IniFile {
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    // The file as it is now; a missing or unreadable file reads as empty.
    IniDocument read() const;

    // The file as it is now and whether it could be read. A missing file reads as empty and is
    // no failure; one that is there but cannot be read (a folder in its place, a link to nothing,
    // no permission, an I/O error) reads as empty, and the outcome names the file and the reason.
    struct Reading {
        IniDocument document;
        FileOutcome outcome;
    };
    Reading readChecked() const;

    QString readString(const QString& section, const QString& key, const QString& def) const;
    // True/False keys: with a true default the key is true unless its text is "FALSE"; with a
    // false default it is true only for "TRUE" (any case).
    bool readBool(const QString& section, const QString& key, bool def) const;
    // Number keys: an absent key gives def, a text that is no number gives fallback.
    int readInteger(const QString& section, const QString& key, int def, int fallback) const;
    QStringList sectionKeys(const QString& section) const;
    bool hasSection(const QString& section) const;

    FileOutcome writeString(const QString& section, const QString& key, const QString& value);
    FileOutcome writeBool(const QString& section, const QString& key, bool value);
    FileOutcome writeInteger(const QString& section, const QString& key, qint64 value);
    FileOutcome deleteKey(const QString& section, const QString& key);
    FileOutcome eraseSection(const QString& section);

    // Several changes in one locked read-modify-write.
    FileOutcome update(const std::function<void(IniDocument&)>& change);

private:
    QString path_;
};

// Shared read rules, also for values taken from an IniDocument.
bool iniBool(const QString& text, bool def);
std::optional<qint64> iniNumber(const QString& text);
QString iniBoolText(bool value);

} // namespace platform
