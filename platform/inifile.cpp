#include "inifile.h"

#include "filecontent.h"
#include "filenames.h"
#include "safewrite.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray singleLine(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return encodeFileName(s);
}

// Holds an exclusive flock on a folder for the lifetime of the object.
class FolderLock {
public:
    explicit FolderLock(const QString& folder)
    {
        fd_ = ::open(encodeFileName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~FolderLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool locked() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace

// ---- IniDocument ----

IniDocument IniDocument::parse(const QByteArray& bytes)
{
    IniDocument doc;
    doc.lines_.reserve(bytes.count('\n') + 1);
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        Line& line = doc.lines_.emplace_back();
        line.raw = bytes.mid(start, end - start);
        const QByteArrayView t = QByteArrayView(line.raw).trimmed();
        if (t.startsWith('[')) {
            const qsizetype close = t.indexOf(']');
            if (close > 0) {
                line.kind = Line::Section;
                line.name = decodeFileName(t.sliced(1, close - 1)).trimmed();
            }
        } else if (!t.isEmpty() && !t.startsWith(';')) {
            const qsizetype eq = t.indexOf('=');
            if (eq > 0) {
                line.kind = Line::Entry;
                line.name = decodeFileName(t.first(eq)).trimmed();
            }
        }
        // one line end: CR LF, LF or CR
        if (end < n && bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n')
            end += 2;
        else if (end < n)
            end += 1;
        start = end;
    }
    return doc;
}

QByteArray IniDocument::serialize() const
{
    QByteArray out;
    qsizetype size = 0;
    for (const Line& line : lines_)
        size += line.raw.size() + 2;
    out.reserve(size);
    for (const Line& line : lines_) {
        out += line.raw;
        out += "\r\n";
    }
    return out;
}

int IniDocument::findSection(const QString& section) const
{
    // A search through every line per look-up made big files quadratic.
    if (!indexed_) {
        for (int i = int(lines_.size()) - 1; i >= 0; --i)  // the first header of a name wins
            if (lines_[i].kind == Line::Section)
                sectionIndex_.insert(lines_[i].name.toCaseFolded(), i);
        indexed_ = true;
    }
    return sectionIndex_.value(section.toCaseFolded(), -1);
}

int IniDocument::sectionEnd(int header) const
{
    int i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Line::Section)
        ++i;
    return i;
}

int IniDocument::findEntry(int header, const QString& key) const
{
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (lines_[i].kind == Line::Entry && sameName(lines_[i].name, key))
            return i;
    return -1;
}

QString IniDocument::cleanValue(const QByteArray& raw)
{
    const qsizetype eq = raw.indexOf('=');
    QByteArray v = raw.mid(eq + 1).trimmed();
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return decodeFileName(v);
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const int header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const int entry = findEntry(header, key);
    if (entry < 0)
        return std::nullopt;
    return cleanValue(lines_[entry].raw);
}

QString IniDocument::readString(const QString& section, const QString& key, const QString& def) const
{
    return value(section, key).value_or(def);
}

bool IniDocument::hasSection(const QString& section) const
{
    return findSection(section) >= 0;
}

QStringList IniDocument::sectionKeys(const QString& section) const
{
    QStringList keys;
    const int header = findSection(section);
    if (header < 0)
        return keys;
    QSet<QString> seen;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        if (lines_[i].kind != Line::Entry)
            continue;
        const QString folded = lines_[i].name.toCaseFolded();
        if (!seen.contains(folded)) {
            seen.insert(folded);
            keys.append(lines_[i].name);
        }
    }
    return keys;
}

QHash<QString, QString> IniDocument::sectionValues(const QString& section) const
{
    QHash<QString, QString> values;
    const int header = findSection(section);
    if (header < 0)
        return values;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        if (lines_[i].kind != Line::Entry)
            continue;
        const QString folded = lines_[i].name.toCaseFolded();
        if (!values.contains(folded))
            values.insert(folded, cleanValue(lines_[i].raw));
    }
    return values;
}

QStringList IniDocument::sections() const
{
    QStringList names;
    QSet<QString> seen;
    for (const Line& line : lines_) {
        if (line.kind != Line::Section)
            continue;
        const QString folded = line.name.toCaseFolded();
        if (!seen.contains(folded)) {
            seen.insert(folded);
            names.append(line.name);
        }
    }
    return names;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    Line entry;
    entry.kind = Line::Entry;
    entry.name = key;
    entry.raw = singleLine(key) + '=' + singleLine(value);

    int header = findSection(section);
    if (header < 0) {
        Line head;
        head.kind = Line::Section;
        head.name = section;
        head.raw = '[' + singleLine(section) + ']';
        lines_.append(head);
        lines_.append(entry);
        changed();
        return;
    }
    const int existing = findEntry(header, key);
    if (existing >= 0) {
        entry.name = lines_[existing].name; // keep the file's spelling of the key
        entry.raw = lines_[existing].raw.left(lines_[existing].raw.indexOf('=')).trimmed() + '='
                    + singleLine(value);
        lines_[existing] = entry;
        return;
    }
    // Append after the section's last entry, before any blank lines that separate sections.
    int at = sectionEnd(header);
    while (at > header + 1 && lines_[at - 1].kind == Line::Other && lines_[at - 1].raw.trimmed().isEmpty())
        --at;
    lines_.insert(at, entry);
    changed();
}

void IniDocument::deleteKey(const QString& section, const QString& key)
{
    const int header = findSection(section);
    if (header < 0)
        return;
    for (int i = sectionEnd(header) - 1; i > header; --i)
        if (lines_[i].kind == Line::Entry && sameName(lines_[i].name, key))
            lines_.removeAt(i);
    changed();
}

void IniDocument::eraseSection(const QString& section)
{
    for (int header = findSection(section); header >= 0; header = findSection(section)) {
        lines_.remove(header, sectionEnd(header) - header);
        changed();
    }
}

// ---- IniFile ----

IniDocument IniFile::read() const
{
    return readChecked().document;
}

IniFile::Reading IniFile::readChecked() const
{
    const std::optional<QByteArray> bytes = readFileContent(path_);
    if (bytes)
        return {IniDocument::parse(*bytes), FileOutcome::success()};
    const int err = errno;
    if (err == ENOENT && !isDanglingLink(path_))
        return {};
    const QString what = QStringLiteral("Cannot read %1").arg(path_);
    errno = err;
    return {IniDocument(), FileOutcome::fromErrno(what)};
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    return read().readString(section, key, def);
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const
{
    const auto text = read().value(section, key);
    return text ? iniBool(*text, def) : def;
}

int IniFile::readInteger(const QString& section, const QString& key, int def, int fallback) const
{
    const auto text = read().value(section, key);
    if (!text)
        return def;
    const auto number = iniNumber(*text);
    if (!number || *number < INT_MIN || *number > INT_MAX)
        return fallback;
    return int(*number);
}

QStringList IniFile::sectionKeys(const QString& section) const
{
    return read().sectionKeys(section);
}

bool IniFile::hasSection(const QString& section) const
{
    return read().hasSection(section);
}

FileOutcome IniFile::update(const std::function<void(IniDocument&)>& change)
{
    if (path_.isEmpty())
        return FileOutcome::failure(QStringLiteral("No file to write"));
    const QFileInfo info(path_);
    FolderLock lock(info.absolutePath());
    if (!lock.locked())
        return FileOutcome::fromErrno(QStringLiteral("Cannot lock the folder of %1").arg(path_));

    // A file that is there but cannot be read whole must not be written back as the whole.
    // A dangling link is replaced by the file written, as a missing file is made.
    Reading current = readChecked();
    if (!current.outcome && !isDanglingLink(path_))
        return current.outcome;
    change(current.document);
    return writeFileAtomically(path_, current.document.serialize());
}

FileOutcome IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    return update([&](IniDocument& doc) { doc.setValue(section, key, value); });
}

FileOutcome IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    return writeString(section, key, iniBoolText(value));
}

FileOutcome IniFile::writeInteger(const QString& section, const QString& key, qint64 value)
{
    return writeString(section, key, QString::number(value));
}

FileOutcome IniFile::deleteKey(const QString& section, const QString& key)
{
    return update([&](IniDocument& doc) { doc.deleteKey(section, key); });
}

FileOutcome IniFile::eraseSection(const QString& section)
{
    return update([&](IniDocument& doc) { doc.eraseSection(section); });
}

// ---- read rules ----

bool iniBool(const QString& text, bool def)
{
    const QString upper = text.toUpper();
    return def ? upper != QLatin1String("FALSE") : upper == QLatin1String("TRUE");
}

std::optional<qint64> iniNumber(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qint64 v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

QString iniBoolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace platform
