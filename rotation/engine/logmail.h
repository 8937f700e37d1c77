#pragma once

#include "rotationoptions.h"

#include "platform/smtpclient.h"

#include <functional>

class ProblemReport;
class RunLog;

// Mails the run log: one session per send to MailHost:MailPort, reporting each step as a
// status text and each failure as a box or an error line.
class LogMailer : private platform::SmtpEvents {
public:
    using StatusDisplay = std::function<void(const QString& text)>;

    LogMailer(RunLog& log, ProblemReport& report);

    void setStatusDisplay(StatusDisplay display) { display_ = std::move(display); }
    void setTimeouts(platform::SmtpTimeouts timeouts) { smtp_.setTimeouts(timeouts); }

    // Connects, sends and disconnects; a failure is reported, never raised.
    bool sendmail(const RotationOptions& options);
    bool emailconnect(const RotationOptions& options);
    bool emailsend(const RotationOptions& options);
    // Drops a session still open.
    void abort() { smtp_.abort(); }

private:
    void show(const QString& text);

    void connected() override;
    void disconnected() override;
    void status(const QString& text) override;
    void hostResolved() override;
    void packetSent(qint64 sent, qint64 total) override;
    void sendStart() override;
    void success() override;
    void connectionFailed() override;
    void invalidHost() override;
    void failure() override;
    void headerIncomplete() override;

    RunLog& log_;
    ProblemReport& report_;
    StatusDisplay display_;
    platform::SmtpClient smtp_;
};

// The X-Mailer header of the log mail.
inline constexpr QLatin1StringView logMailer{"Turnfold 1.1"};
