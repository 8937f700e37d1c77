#include "scriptedsmtpserver.h"
#include "rotation/engine/logmail.h"
#include "rotation/engine/problemreport.h"
#include "rotation/engine/runlog.h"

#include "platform/prompts.h"

#include <gtest/gtest.h>

namespace {

struct MailRig {
    platform::ScriptedPromptService prompts;
    RunLog log{[] { return QString("12/09/26 04:53:14"); }};
    ProblemReport report;
    LogMailer mailer{log, report};
    QStringList statuses;

    explicit MailRig(bool unattended)
        : report(log, prompts, unattended)
    {
        mailer.setStatusDisplay([this](const QString& text) { statuses << text; });
        mailer.setTimeouts({2000, 300});
    }
};

RotationOptions mailOptions(int port)
{
    RotationOptions o;
    o.MailHost = "127.0.0.1";
    o.MailPort = QString::number(port);
    o.MailUserID = "turnfold.example";
    o.MailTo = "Site Admin <admin@example.org>";
    o.MailFrom = "rotation@example.org";
    return o;
}

TEST(LogMail, SendsTheLogAsOneMail)
{
    ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
    MailRig rig(true);
    rig.log.Addwarning("Could not copy the file, /r/a.jpg, for site, One!", true);
    rig.log.addPlain(".dotted");
    ASSERT_TRUE(rig.mailer.sendmail(mailOptions(server.port())));
    const QByteArray expected =
        "HELO turnfold.example\r\n"
        "RSET\r\n"
        "MAIL FROM:<rotation@example.org>\r\n"
        "RCPT TO:<admin@example.org>\r\n"
        "DATA\r\n"
        "From: Turnfold<rotation@example.org>\r\n"
        "To: Site Admin <admin@example.org>\r\n"
        "Subject: Turnfold Rotation Log for 12/09/26 04:53:14\r\n"
        "X-Mailer: Turnfold 1.1\r\n"
        "Mime-Version: 1.0\r\n"
        "Content-Type: text/plain; charset=us-ascii\r\n"
        "\r\n"
        "\r\n"
        "! 12/09/26 04:53:14 - Could not copy the file, /r/a.jpg, for site, One!\r\n"
        "..dotted\r\n"
        ".\r\n"
        "QUIT\r\n";
    EXPECT_EQ(server.transcript(), expected);
    const qsizetype total = expected.indexOf("QUIT") - expected.indexOf("From:");
    EXPECT_EQ(rig.statuses, (QStringList{"Host Resolved..", "Connected..", "220 test.example ESMTP ready",
                                         "250 test.example", "Sending message..", "250 Flushed", "250 OK sender",
                                         "250 OK recipient", "354 End data with <CR><LF>.<CR><LF>",
                                         QStringLiteral("%1 bytes of %1 sent").arg(total), "250 OK queued",
                                         "Success!", "221 Bye", "Disconnected"}));
    EXPECT_TRUE(rig.prompts.calls().isEmpty());
    EXPECT_EQ(rig.log.lines().size(), 2);
}

TEST(LogMail, EmptyLogGoesOutAsNoEntries)
{
    ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
    MailRig rig(false);
    ASSERT_TRUE(rig.mailer.sendmail(mailOptions(server.port())));
    EXPECT_EQ(rig.log.lines(), QStringList{"No Entries!"});
    EXPECT_TRUE(server.transcript().contains("\r\n\r\n\r\nNo Entries!\r\n.\r\n"));
}

TEST(LogMail, PortErrorsConnectNowhere)
{
    for (const QString port : {"25x", "", "0", "65536", "-1", "$19", "2 5"}) {
        for (const bool unattended : {false, true}) {
            ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
            MailRig rig(unattended);
            RotationOptions o = mailOptions(server.port());
            o.MailPort = port;
            EXPECT_FALSE(rig.mailer.sendmail(o));
            server.stop();
            EXPECT_FALSE(server.clientConnected()) << port.toStdString();
            if (unattended) {
                EXPECT_EQ(rig.log.lines(), (QStringList{"! 12/09/26 04:53:14 - E-mail posting of Log encountered a Port Error!",
                                                        "! 12/09/26 04:53:14 - E-mail posting of Log failed!"}))
                    << port.toStdString();
                EXPECT_TRUE(rig.prompts.calls().isEmpty());
            } else {
                EXPECT_EQ(rig.prompts.promptTexts(), (QStringList{"Port Error!", "E-mail send failure!"})) << port.toStdString();
                EXPECT_EQ(rig.prompts.lastPrompt().caption, QString("Warning"));
                EXPECT_TRUE(rig.log.isEmpty());
            }
        }
    }
}

TEST(LogMail, EachFailureIsReportedWithItsCause)
{
    const QList<QByteArray> ok = ScriptedSmtpServer::accepting();
    const struct {
        const char* what;
        QList<QByteArray> replies;  // empty: nothing listens
        QString host;
        QString to;
        const char* box;
        const char* line;
    } cases[] = {
        {"refused", {}, "127.0.0.1", "a@b.c", "Connection Failed!", "E-mail posting of Log encountered a Connection Failure!"},
        {"no greeting", {ScriptedSmtpServer::silent()}, "127.0.0.1", "a@b.c", "Connection Failed!",
         "E-mail posting of Log encountered a Connection Failure!"},
        {"HELO refused", {ok[0], "501 Syntax"}, "127.0.0.1", "a@b.c", "Connection Failed!",
         "E-mail posting of Log encountered a Connection Failure!"},
        {"unknown host", {}, "no-such-host.invalid", "a@b.c", "Invalid Host!",
         "E-mail posting of Log encountered an error; Invalid Host!"},
        {"recipient refused", ok.mid(0, 4) << "550 No such user" << "221 Bye", "127.0.0.1", "a@b.c", "Send Failure!",
         "E-mail posting of Log encountered a Failure!"},
        {"no answer to the data", ok.mid(0, 6) << ScriptedSmtpServer::silent(), "127.0.0.1", "a@b.c", "Send Failure!",
         "E-mail posting of Log encountered a Failure!"},
        {"no recipient", ok, "127.0.0.1", "", "Header Incomplete!",
         "E-mail posting of Log encountered the error, Header Incomplete!"},
    };
    for (const auto& c : cases) {
        for (const bool unattended : {false, true}) {
            std::optional<ScriptedSmtpServer> server;
            int port = unusedLoopbackPort();
            if (!c.replies.isEmpty()) {
                server.emplace(c.replies);
                port = server->port();
            }
            MailRig rig(unattended);
            rig.log.addPlain("body");
            RotationOptions o = mailOptions(port);
            o.MailHost = c.host;
            o.MailTo = c.to;
            EXPECT_FALSE(rig.mailer.sendmail(o)) << c.what;
            if (unattended) {
                EXPECT_EQ(rig.log.lines(), (QStringList{"body", QStringLiteral("! 12/09/26 04:53:14 - ") + c.line,
                                                        "! 12/09/26 04:53:14 - E-mail posting of Log failed!"}))
                    << c.what;
            } else {
                EXPECT_EQ(rig.prompts.promptTexts(), (QStringList{c.box, "E-mail send failure!"})) << c.what;
            }
        }
    }
}

} // namespace
