#include "smtpsink.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QThread>

namespace {

QString python()
{
    // Debian's interpreter is the one that has python3-aiosmtpd.
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                 : QStringLiteral("python3");
}

} // namespace

SmtpSink::SmtpSink()
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(python(), {QStringLiteral(SMTP_SINK_SCRIPT), folder_.path()});
    if (!process_.waitForStarted(10000)) {
        error_ = QStringLiteral("cannot start %1: %2").arg(python(), process_.errorString());
        return;
    }
    QByteArray out;
    const QDeadlineTimer deadline(20000);
    while (!out.contains('\n') && !deadline.hasExpired() && process_.state() == QProcess::Running) {
        process_.waitForReadyRead(200);
        out += process_.readAllStandardOutput();
    }
    if (out.startsWith("port "))
        port_ = out.mid(5).trimmed().toInt();
    else
        error_ = QStringLiteral("the SMTP server did not start: %1").arg(QString::fromUtf8(out));
}

SmtpSink::~SmtpSink()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QList<SmtpSink::Mail> SmtpSink::mails(int atLeast, int waitMs) const
{
    const QDeadlineTimer deadline(waitMs);
    QList<Mail> result;
    for (;;) {
        result.clear();
        for (int n = 1; folder_.exists(QStringLiteral("mail%1.eml").arg(n)); ++n) {
            Mail mail;
            const QStringList envelope = QString::fromUtf8(folder_.read(QStringLiteral("mail%1.env").arg(n)))
                                             .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            mail.sender = envelope.value(0);
            mail.recipients = envelope.mid(1);
            mail.data = folder_.read(QStringLiteral("mail%1.eml").arg(n));
            mail.parsed = QJsonDocument::fromJson(folder_.read(QStringLiteral("mail%1.json").arg(n))).object();
            result.append(mail);
        }
        if (result.size() >= atLeast || deadline.hasExpired())
            return result;
        QThread::msleep(50);
    }
}
