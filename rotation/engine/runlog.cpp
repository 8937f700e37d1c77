#include "runlog.h"

#include "platform/filenames.h"
#include "platform/safewrite.h"

QString logTimeStamp(std::time_t when)
{
    std::tm local {};
    if (!::localtime_r(&when, &local))
        return {};
    char text[128];
    const size_t n = std::strftime(text, sizeof text, "%x %X", &local);
    return QString::fromLocal8Bit(text, qsizetype(n));
}

RunLog::RunLog(Clock stamp, QObject* parent)
    : QObject(parent)
    , stamp_(stamp ? std::move(stamp) : Clock([] { return logTimeStamp(std::time(nullptr)); }))
{
}

void RunLog::Addwarning(const QString& text, bool error)
{
    if (error) {
        errorsLogged_ = true;
        append(QStringLiteral("! ") + stamp_() + QStringLiteral(" - ") + text);
    } else if (!logOnlyErrors_) {
        append(QStringLiteral("* ") + stamp_() + QStringLiteral(" - ") + text);
    }
}

void RunLog::addPlain(const QString& text)
{
    append(text);
}

QString printableLogText(const QString& text)
{
    // The log is read and mailed as UTF-8 text: a name's bytes that are not UTF-8 show as U+FFFD.
    QString shown = platform::displayFileName(text);
    for (QChar& c : shown)
        if (c.unicode() < 32)
            c = QLatin1Char('?');
    return shown;
}

void RunLog::append(const QString& line)
{
    // A line end or other control character from a name would let that name write lines of its
    // own into the log and the mail.
    const QString shown = printableLogText(line);
    lines_.append(shown);
    emit lineAdded(shown);
}

void RunLog::clear()
{
    lines_.clear();
    emit cleared();
}

platform::FileOutcome RunLog::save(const QString& fileName) const
{
    QByteArray text;
    for (const QString& line : lines_)
        text += line.toUtf8() + "\r\n";
    // What a killed run left beside the log goes first.
    if (!fileName.trimmed().isEmpty())
        platform::removeStagingLeftovers(platform::decodeFileName(platform::encodedFolderOf(fileName)));
    return platform::writeFileAtomically(fileName, text);
}
