#include "templatecheck.h"

#include "htmltext.h"

#include "platform/filecontent.h"
#include "platform/fileidentity.h"
#include "platform/pathresolver.h"
#include "platform/paths.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// Longest reference the scan takes; longer ones are reported and skipped.
constexpr qsizetype maxReferenceLength = 254;

const QLatin1StringView backgroundAttribute{"background=\""};
const QLatin1StringView sourceAttribute{"src=\""};

// "c:\pics\a.gif": a drive of the system the template was written on, not a URL scheme.
bool hasDriveLetter(const QString& reference)
{
    const QString t = reference.trimmed();
    return t.size() >= 2 && t.at(1) == QLatin1Char(':') && t.at(0).isLetter() && t.at(0).unicode() < 0x80;
}

// A link to another server or a script, not a file beside the template.
bool isForeignReference(const QString& reference)
{
    static const QRegularExpression scheme(QStringLiteral("^[a-z][a-z0-9+.\\-]*:"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QString t = reference.trimmed();
    return reference.contains(QLatin1String("http:"), Qt::CaseInsensitive)
        || reference.contains(QLatin1String("https:"), Qt::CaseInsensitive) || t.startsWith(QLatin1String("//"))
        || (scheme.match(t).hasMatch() && !hasDriveLetter(t));
}

// Absolute, or climbs above the template's folder at some point.
bool liesOutsideFolder(const QString& reference)
{
    if (reference.startsWith(QLatin1Char('/')) || reference.startsWith(QLatin1Char('\\')) || hasDriveLetter(reference))
        return true;
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    int depth = 0;
    for (const QString& part : reference.split(separators)) {
        if (part == QLatin1String(".."))
            --depth;
        else if (!part.isEmpty() && part != QLatin1String("."))
            ++depth;
        if (depth < 0)
            return true;
    }
    return false;
}

// Takes one reference into the scan: listed for copying, skipped, or reported.
void addRequiredFile(RequiredFilesScan& scan, QString reference)
{
    // A browser drops tabs and line breaks from a URL; the list holds one reference a line.
    reference.removeIf([](QChar c) { return c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'); });
    if (reference.isEmpty() || isForeignReference(reference))
        return;
    if (reference.size() > maxReferenceLength) {
        scan.warnings << QStringLiteral("* The file, %1, has a name of 255 characters or more and will not be copied")
                             .arg(reference);
        return;
    }
    if (liesOutsideFolder(reference)) {
        scan.warnings << QStringLiteral("* The file, %1, lies outside the template's folder and will not be copied")
                             .arg(reference);
        return;
    }
    scan.files << reference;
}

// Where a reference lies beside the template: "\\" separates folders as "/" does (pages
// written on another system), and each part is matched ignoring case.
std::optional<QString> findReferencedFile(const QString& folder, const QString& reference)
{
    QString relative = reference;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return platform::findPathIgnoringCase(folder + relative);
}

} // namespace

TemplateTokens findTemplateTokens(const QString& text)
{
    TemplateTokens t;
    t.content = text.contains(ContentToken);
    t.index = text.contains(IndexToken);
    t.footer = text.contains(FooterToken);
    t.header = text.contains(HeaderToken);
    return t;
}

QString decodeTemplateText(const QByteArray& bytes)
{
    std::optional<QString> text = decodedUtf8(bytes);
    if (!text)
        return QString::fromLatin1(bytes);
    if (text->startsWith(QChar(0xFEFF)))
        text->remove(0, 1);
    return *text;
}

RequiredFilesScan scanRequiredFiles(const QString& text, const QString& templateFolder)
{
    RequiredFilesScan scan;
    const QString lower = text.toLower();
    const qsizetype last = lower.size() - 1;

    // Only the first background attribute counts.
    if (const qsizetype at = lower.indexOf(backgroundAttribute); at >= 0) {
        const qsizetype start = at + backgroundAttribute.size();
        qsizetype end = lower.indexOf(QLatin1Char('"'), start);
        if (end == last) {
            scan.ok = false;
            return scan;
        }
        if (end < 0)
            end = lower.size();
        addRequiredFile(scan, lower.mid(start, end - start));
    }

    // Every src attribute, in text order.
    qsizetype from = 0;
    for (qsizetype at; (at = lower.indexOf(sourceAttribute, from)) >= 0;) {
        const qsizetype start = at + sourceAttribute.size();
        from = start;
        const qsizetype end = lower.indexOf(QLatin1Char('"'), start);
        if (end < 0)
            continue; // no name; no later attribute can follow either
        if (end - start <= maxReferenceLength && end == last) {
            scan.ok = false;
            return scan;
        }
        addRequiredFile(scan, lower.mid(start, end - start));
    }

    for (const QString& file : std::as_const(scan.files)) {
        const auto found = findReferencedFile(templateFolder, file);
        if (!found || !platform::fileExists(*found))
            scan.warnings << QStringLiteral("* The file, %1, could not be located in the directory, %2")
                                 .arg(file, templateFolder);
    }
    return scan;
}

QString loadFailedWarning(const QString& fileName)
{
    return QStringLiteral("* Error encountered loading the HTML file, ") + fileName;
}

QString contentMissingWarning()
{
    return QStringLiteral("* The text, ***CONTENT***, could not be located in your HTML file.  This text is "
                          "required so that Pictorum Pro knows where to insert the thumbnails or image.");
}

std::optional<QString> loadTemplateText(const QString& fileName)
{
    const std::optional<QByteArray> bytes = platform::readFileContent(fileName);
    if (!bytes)
        return std::nullopt;
    return decodeTemplateText(*bytes);
}

void addRequiredFiles(const QString& templateFile, const QStringList& references, QStringList& names,
                      QStringList& paths)
{
    const QString folder = platform::extractFilePath(templateFile);
    for (const QString& reference : references) {
        names << platform::extractFileName(reference).toUpper();
        paths << findReferencedFile(folder, reference).value_or(folder + reference);
    }
}

void addNavigationButtonFiles(const RotationSettings& settings, QStringList& names, QStringList& paths)
{
    if (!settings.Chkusecustombuttons)
        return;
    for (const QString& file : {settings.edtnextfile, settings.edtpreviousfile, settings.edtindexfile}) {
        if (file.isEmpty())
            continue;
        names << platform::extractFileName(file).toUpper();
        paths << file;
    }
}
