#pragma once

#include "tempfolder.h"

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

// A real SMTP server (Debian's aiosmtpd) on loopback for the length of a test.
class SmtpSink {
public:
    SmtpSink();
    ~SmtpSink();

    bool started() const { return port_ > 0; }
    QString startError() const { return error_; }
    int port() const { return port_; }

    struct Mail {
        QString sender;
        QStringList recipients;
        QByteArray data;  // as received, without the SMTP transparency dots
        // What a strict mail parser read: "from", "transferEncoding", "sevenBit", "text".
        QJsonObject parsed;
    };
    // The mails received so far, in order; waits up to waitMs for at least `atLeast` of them.
    QList<Mail> mails(int atLeast = 0, int waitMs = 5000) const;

private:
    TempFolder folder_;
    QProcess process_;
    int port_ = 0;
    QString error_;
};
