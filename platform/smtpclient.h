#pragma once

#include "hostlookup.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

namespace platform {

// One plain-text mail.
struct MailMessage {
    QString fromAddress;  // MAIL FROM and the From header, typed as the recipient is
    QString fromName;     // shown before the address in the From header, unless it has a name
    QString to;           // as typed: "addr", "Name <addr>" or "smtp:addr"
    QString subject;
    QString mailer;       // X-Mailer header
    QStringList body;     // lines
};

// What a session reports while it runs. Every failure is reported through exactly one of
// connectionFailed, invalidHost, failure and headerIncomplete.
class SmtpEvents {
public:
    virtual ~SmtpEvents() = default;
    virtual void hostResolved() {}
    virtual void connected() {}
    virtual void disconnected() {}
    virtual void status(const QString& text) { (void)text; }  // each server reply
    virtual void packetSent(qint64 sent, qint64 total) { (void)sent, (void)total; }
    virtual void sendStart() {}
    virtual void success() {}
    virtual void connectionFailed() {}
    virtual void invalidHost() {}
    virtual void failure() {}
    virtual void headerIncomplete() {}
};

struct SmtpTimeouts {
    int connectMs = 30000;   // the name lookup and connecting, over all addresses of the host
    int replyMs = 60000;     // each reply, and each wait to send
    int sessionMs = 120000;  // the whole session from connecting to the goodbye
};

// A blocking SMTP client over a plain TCP socket: greeting and HELO on connect, then RSET,
// MAIL FROM, RCPT TO and DATA for each mail, QUIT on disconnect. A server that stops answering
// costs at most the timeouts, never a hang, and a slow one no more than the session's deadline,
// which fails like a reply that never came.
class SmtpClient {
public:
    explicit SmtpClient(SmtpEvents* events = nullptr);
    ~SmtpClient();
    SmtpClient(const SmtpClient&) = delete;
    SmtpClient& operator=(const SmtpClient&) = delete;

    void setHost(const QString& host) { host_ = host; }
    void setPort(int port) { port_ = port; }
    // The HELO argument; empty sends the local host name.
    void setUserId(const QString& userId) { userId_ = userId; }
    void setTimeouts(SmtpTimeouts timeouts) { timeouts_ = timeouts; }
    // The name lookup of the host; getaddrinfo unless one is given.
    void setResolver(HostResolver resolver) { resolver_ = std::move(resolver); }

    bool connectToServer();
    // Sends one mail to the message's recipient only; connects first when not connected.
    bool sendMail(const MailMessage& message);
    // QUIT and close; nothing when not connected.
    void disconnect();
    // Closes the connection at once, without QUIT.
    void abort();

    bool isConnected() const { return fd_ >= 0; }
    const QString& lastError() const { return lastError_; }

    // The address of a mailbox as typed ("addr", "Name <addr>", "smtp:addr"): what MAIL FROM
    // carries for the sender and RCPT TO for the recipient.
    static QString mailboxAddress(const QString& typed);
    // Header, body and the closing "." line as they go over the wire after DATA.
    static QByteArray messageData(const MailMessage& message);

private:
    enum class Phase { Connect, Send };
    struct Reply {
        int code = 0;
        QString text;
    };

    bool fail(Phase phase, const QString& why);
    bool openSocket();
    // The deadline of one wait: the given timeout, cut short by the session's.
    QDeadlineTimer waitDeadline(int timeoutMs) const;
    bool sendBytes(const QByteArray& bytes, Phase phase, bool reportProgress = false);
    bool readReply(Reply& reply, Phase phase);
    bool command(const QByteArray& line, Reply& reply, Phase phase);
    bool expect(const QByteArray& line, int failFrom, Phase phase);
    void closeSocket();

    SmtpEvents* events_;
    SmtpEvents noEvents_;
    QString host_;
    int port_ = 25;
    QString userId_;
    SmtpTimeouts timeouts_;
    HostResolver resolver_;
    QDeadlineTimer session_{QDeadlineTimer::Forever};
    int fd_ = -1;
    bool quitting_ = false;
    QByteArray pending_;  // received bytes not yet taken as reply lines
    QString lastError_;
};

} // namespace platform
