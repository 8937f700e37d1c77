#include "runlog.h"

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

void RunLog::append(const QString& line)
{
    lines_.append(line);
    emit lineAdded(line);
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
    return platform::writeFileAtomically(fileName, text);
}
