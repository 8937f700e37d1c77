#include "logmail.h"

#include "problemreport.h"
#include "runlog.h"

LogMailer::LogMailer(RunLog& log, ProblemReport& report)
    : log_(log)
    , report_(report)
    , smtp_(this)
{
}

bool LogMailer::sendmail(const RotationOptions& options)
{
    bool sent = false;
    try {
        if (emailconnect(options)) {
            sent = emailsend(options);
            smtp_.disconnect();
        }
    } catch (...) {
        smtp_.abort();
        sent = false;
    }
    if (!sent)
        report_.report(QStringLiteral("E-mail send failure!"), QStringLiteral("E-mail posting of Log failed!"));
    return sent;
}

bool LogMailer::emailconnect(const RotationOptions& options)
{
    smtp_.setHost(options.MailHost);
    bool isNumber = false;
    const int port = options.MailPort.trimmed().toInt(&isNumber, 10);
    if (!isNumber || port < 1 || port > 65535) {
        report_.report(QStringLiteral("Port Error!"), QStringLiteral("E-mail posting of Log encountered a Port Error!"));
        return false;
    }
    smtp_.setPort(port);
    smtp_.setUserId(options.MailUserID);
    return smtp_.connectToServer();
}

bool LogMailer::emailsend(const RotationOptions& options)
{
    platform::MailMessage message;
    message.fromAddress = options.MailFrom;
    message.fromName = QStringLiteral("Turnfold");
    message.subject = QStringLiteral("Turnfold Rotation Log for ") + log_.timeStamp();
    message.to = options.MailTo;
    message.mailer = logMailer;
    if (log_.isEmpty())
        log_.addPlain(QStringLiteral("No Entries!"));
    message.body = log_.lines();
    return smtp_.sendMail(message);
}

void LogMailer::show(const QString& text)
{
    if (display_)
        display_(text);
}

void LogMailer::connected() { show(QStringLiteral("Connected..")); }
void LogMailer::disconnected() { show(QStringLiteral("Disconnected")); }
void LogMailer::status(const QString& text) { show(text); }
void LogMailer::hostResolved() { show(QStringLiteral("Host Resolved..")); }
void LogMailer::sendStart() { show(QStringLiteral("Sending message..")); }
void LogMailer::success() { show(QStringLiteral("Success!")); }

void LogMailer::packetSent(qint64 sent, qint64 total)
{
    show(QString::number(sent) + QStringLiteral(" bytes of ") + QString::number(total) + QStringLiteral(" sent"));
}

void LogMailer::connectionFailed()
{
    report_.report(QStringLiteral("Connection Failed!"),
                   QStringLiteral("E-mail posting of Log encountered a Connection Failure!"));
}

void LogMailer::invalidHost()
{
    report_.report(QStringLiteral("Invalid Host!"), QStringLiteral("E-mail posting of Log encountered an error; Invalid Host!"));
}

void LogMailer::failure()
{
    report_.report(QStringLiteral("Send Failure!"), QStringLiteral("E-mail posting of Log encountered a Failure!"));
}

void LogMailer::headerIncomplete()
{
    report_.report(QStringLiteral("Header Incomplete!"),
                   QStringLiteral("E-mail posting of Log encountered the error, Header Incomplete!"));
}
