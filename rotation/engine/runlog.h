#pragma once

#include "platform/fileoutcome.h"

#include <QObject>
#include <QStringList>

#include <ctime>
#include <functional>

// The date and time in the locale's short date and long time ("%x %X"); empty when it cannot
// be formatted.
QString logTimeStamp(std::time_t when);

// The text with every control character (below 32: line feed, carriage return and the rest)
// shown as "?" and each byte of a name that is not UTF-8 as U+FFFD.
QString printableLogText(const QString& text);

// The run log: error lines "! <stamp> - <text>", information lines "* <stamp> - <text>" (dropped
// while only errors are logged) and a few plain lines.
class RunLog : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QString()>;
    explicit RunLog(Clock stamp = nullptr, QObject* parent = nullptr);

    void Addwarning(const QString& text, bool error);
    void addPlain(const QString& text);
    void clear();

    const QStringList& lines() const { return lines_; }
    bool isEmpty() const { return lines_.isEmpty(); }

    // Set by every error line; cleared only at the start of a rotation of all sites.
    bool ErrorsLogged() const { return errorsLogged_; }
    void resetErrorsLogged() { errorsLogged_ = false; }

    void setLogOnlyErrors(bool on) { logOnlyErrors_ = on; }
    bool logOnlyErrors() const { return logOnlyErrors_; }

    QString timeStamp() const { return stamp_(); }

    // The lines as a text file, each ending in CR LF, replacing the file.
    platform::FileOutcome save(const QString& fileName) const;

signals:
    void lineAdded(const QString& line);
    void cleared();

private:
    void append(const QString& line);

    Clock stamp_;
    QStringList lines_;
    bool errorsLogged_ = false;
    bool logOnlyErrors_ = true;
};
