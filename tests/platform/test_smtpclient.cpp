#include "platform/smtpclient.h"
#include "scriptedsmtpserver.h"

#include <QElapsedTimer>

#include <condition_variable>
#include <mutex>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace platform;

namespace {

// Records the events of a session as short words.
class EventLog : public SmtpEvents {
public:
    QStringList events;
    QList<qint64> sent;
    void hostResolved() override { events << "resolved"; }
    void connected() override { events << "connected"; }
    void disconnected() override { events << "disconnected"; }
    void status(const QString& text) override { events << "status " + text; }
    void packetSent(qint64 bytes, qint64 total) override
    {
        sent << bytes;
        if (bytes == total)
            events << QStringLiteral("sent %1").arg(total);
    }
    void sendStart() override { events << "sendstart"; }
    void success() override { events << "success"; }
    void connectionFailed() override { events << "connectionfailed"; }
    void invalidHost() override { events << "invalidhost"; }
    void failure() override { events << "failure"; }
    void headerIncomplete() override { events << "headerincomplete"; }

    // The events without the status texts and the progress.
    QStringList outcome() const
    {
        QStringList kept;
        for (const QString& e : events)
            if (!e.startsWith("status ") && !e.startsWith("sent "))
                kept << e;
        return kept;
    }
};

MailMessage sampleMessage()
{
    MailMessage m;
    m.fromAddress = "rotation@example.org";
    m.fromName = "Turnfold";
    m.to = "Site Admin <admin@example.org>";
    m.subject = "Turnfold Rotation Log for 12/09/26 04:53:14";
    m.mailer = "Turnfold 1.1";
    m.body = {"! 12/09/26 04:53:14 - Could not copy the file, a.jpg, for site, One!", ".htaccess was kept",
              "last line"};
    return m;
}

SmtpClient& configured(SmtpClient& client, int port, const QString& userId = "turnfold.example")
{
    client.setHost("127.0.0.1");
    client.setPort(port);
    client.setUserId(userId);
    client.setTimeouts({2000, 2000});
    return client;
}

// Connect, send and disconnect, the way the log mail uses the client.
bool sendOnce(SmtpClient& client, const MailMessage& message)
{
    bool ok = client.connectToServer() && client.sendMail(message);
    client.disconnect();
    return ok;
}

TEST(SmtpClient, SessionTranscriptIsExact)
{
    ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
    EventLog events;
    SmtpClient client(&events);
    ASSERT_TRUE(sendOnce(configured(client, server.port()), sampleMessage())) << client.lastError().toStdString();

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
        "! 12/09/26 04:53:14 - Could not copy the file, a.jpg, for site, One!\r\n"
        "..htaccess was kept\r\n"
        "last line\r\n"
        ".\r\n"
        "QUIT\r\n";
    EXPECT_EQ(server.transcript(), expected);
    EXPECT_EQ(events.outcome(), (QStringList{"resolved", "connected", "sendstart", "success", "disconnected"}));
    EXPECT_TRUE(events.events.contains("status 250 OK queued"));
    EXPECT_FALSE(client.isConnected());
}

TEST(SmtpClient, EmptyUserIdGreetsWithTheLocalHostName)
{
    ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
    SmtpClient client;
    ASSERT_TRUE(sendOnce(configured(client, server.port(), ""), sampleMessage()));
    char name[256] = {};
    ASSERT_EQ(::gethostname(name, sizeof name - 1), 0);
    EXPECT_TRUE(server.transcript().startsWith("HELO " + QByteArray(name) + "\r\nRSET\r\n"));
}

TEST(SmtpClient, MultiLineRepliesAreReadToTheirLastLine)
{
    QList<QByteArray> replies = ScriptedSmtpServer::accepting();
    replies[0] = "220-test.example first line\r\n220-second line\r\n220 ready";
    replies[1] = "250-test.example\r\n250-SIZE 1000\r\n250 HELP";
    ScriptedSmtpServer server(replies);
    EventLog events;
    SmtpClient client(&events);
    ASSERT_TRUE(sendOnce(configured(client, server.port()), sampleMessage())) << client.lastError().toStdString();
    EXPECT_TRUE(server.transcript().startsWith("HELO turnfold.example\r\nRSET\r\nMAIL FROM:"));
    EXPECT_TRUE(events.events.contains("status 250 HELP"));
}

TEST(SmtpClient, MailboxAddressOfEachForm)
{
    const struct {
        const char* typed;
        const char* address;
    } cases[] = {
        {"admin@example.org", "admin@example.org"},
        {"Site Admin <admin@example.org>", "admin@example.org"},
        {"<admin@example.org> (work)", "admin@example.org"},
        {"smtp:admin@example.org", "admin@example.org"},
        {"a:b <c@d>", "c@d"},
        {"Open <admin@example.org", "admin@example.org"},
        {"  admin@example.org ", "admin@example.org"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SmtpClient::mailboxAddress(c.typed), QString(c.address)) << c.typed;
}

TEST(SmtpClient, MessageDataStuffsDotsSplitsLinesAndDeclaresItsCharset)
{
    MailMessage m = sampleMessage();
    m.to.clear();       // an empty header is left out
    m.mailer.clear();
    m.subject = "Line\r\nBcc: evil@example.org";  // never a header of its own
    m.body = {".", "a\n.b", "c\r\nd\re", "Grüße"};
    const QByteArray data = SmtpClient::messageData(m);
    EXPECT_EQ(data, QByteArray("From: Turnfold<rotation@example.org>\r\n"
                               "Subject: Line  Bcc: evil@example.org\r\n"
                               "Mime-Version: 1.0\r\n"
                               "Content-Type: text/plain; charset=utf-8\r\n"
                               "Content-Transfer-Encoding: quoted-printable\r\n"
                               "\r\n"
                               "\r\n"
                               "..\r\n"
                               "a\r\n"
                               "..b\r\n"
                               "c\r\n"
                               "d\r\n"
                               "e\r\n"
                               "Gr=C3=BC=C3=9Fe\r\n"
                               ".\r\n"));
    m.body = {"plain", "~}\x7f"};
    EXPECT_TRUE(SmtpClient::messageData(m).contains("charset=us-ascii\r\n"));
    m.body.clear();
    EXPECT_TRUE(SmtpClient::messageData(m).endsWith("charset=us-ascii\r\n\r\n\r\n.\r\n"));
}

TEST(SmtpClient, BodyLinesOverTheLineLimitAreCutWithoutSplittingACharacter)
{
    const QString path = "/srv/www/" + QString(1200, 'p');
    const struct {
        const char* what;
        QString line;
        QList<qsizetype> wireLengths;  // each wire line without its CR LF
    } cases[] = {
        {"998 bytes stay one line", QString(998, 'x'), {998}},
        {"999 bytes", QString(999, 'x'), {998, 1}},
        {"a long path", "* stamp - Could not copy the file, " + path + ", for site, One!", {998, 1260 - 998}},
        {"a dot before a long line counts", "." + QString(998, 'x'), {998, 2}},
        {"a cut that ends before a dot", QString(998, 'x') + ".y", {998, 3}},
    };
    for (const auto& c : cases) {
        MailMessage m = sampleMessage();
        m.body = {c.line};
        const QByteArray data = SmtpClient::messageData(m);
        const qsizetype start = data.indexOf("\r\n\r\n\r\n") + 6;
        QList<QByteArray> lines = data.mid(start).split('\n');
        ASSERT_EQ(lines.takeLast(), QByteArray()) << c.what;
        ASSERT_EQ(lines.takeLast(), QByteArray(".\r")) << c.what;
        QList<qsizetype> lengths;
        QByteArray joined;
        for (QByteArray& line : lines) {
            ASSERT_TRUE(line.endsWith('\r')) << c.what;
            line.chop(1);
            lengths << line.size();
            if (line.startsWith('.'))
                line.remove(0, 1);
            joined += line;
        }
        EXPECT_EQ(lengths, c.wireLengths) << c.what;
        EXPECT_EQ(joined, c.line.toUtf8()) << c.what;
    }
}

TEST(SmtpClient, HeaderTextsThatAreNotAsciiGoAsEncodedWords)
{
    MailMessage m = sampleMessage();
    m.fromAddress = QString::fromUtf8("\"J\xC3\xB6rg M\xC3\xBCller\" <jm@example.org>");
    m.to = QString::fromUtf8("Zo\xC3\xAB <admin@example.org> (site)");
    // 44 bytes, then a character of two: the first word ends before it.
    m.subject = QString::fromUtf8("Turnfold Rotation Log for 12.03.2026 4:53:1 \xC3\x84rger");
    m.body = {"plain"};
    const QByteArray data = SmtpClient::messageData(m);
    const QByteArray header = data.left(data.indexOf("\r\n\r\n") + 2);
    EXPECT_EQ(header, "From: =?utf-8?B?" + QByteArray("J\xC3\xB6rg M\xC3\xBCller").toBase64() + "?= <jm@example.org>\r\n"
                      "To: =?utf-8?B?" + QByteArray("Zo\xC3\xAB").toBase64() + "?= <admin@example.org> (site)\r\n"
                      "Subject: =?utf-8?B?" + m.subject.toUtf8().left(44).toBase64() + "?=\r\n"
                      " =?utf-8?B?" + m.subject.toUtf8().mid(44).toBase64() + "?=\r\n"
                      "X-Mailer: Turnfold 1.1\r\n"
                      "Mime-Version: 1.0\r\n"
                      "Content-Type: text/plain; charset=us-ascii\r\n")
        << header.toStdString();

    ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
    SmtpClient client;
    ASSERT_TRUE(sendOnce(configured(client, server.port()), m)) << client.lastError().toStdString();
    EXPECT_TRUE(server.transcript().contains("MAIL FROM:<jm@example.org>\r\nRCPT TO:<admin@example.org>\r\n"));
}

TEST(SmtpClient, RefusedRepliesFailAtTheirStep)
{
    const QList<QByteArray> ok = ScriptedSmtpServer::accepting();
    const auto with = [&ok](int index, const QByteArray& reply) {
        QList<QByteArray> r = ok.mid(0, index);
        r << reply << "221 Bye";
        return r;
    };
    const auto replaced = [&ok](int index, const QByteArray& reply) {
        QList<QByteArray> r = ok;
        r[index] = reply;
        return r;
    };
    const struct {
        const char* what;
        QList<QByteArray> replies;
        bool connects;
        bool sends;
        const char* event;
        QByteArray lastCommand;
    } cases[] = {
        {"greeting 421", with(0, "421 busy"), false, false, "connectionfailed", ""},
        {"greeting 399 is taken", replaced(0, "399 odd"), true, true, "success", "QUIT\r\n"},
        {"HELO 300", with(1, "300 odd"), false, false, "connectionfailed", "HELO turnfold.example\r\n"},
        {"HELO 299 is taken", replaced(1, "299 odd"), true, true, "success", "QUIT\r\n"},
        {"RSET 500", with(2, "500 no"), true, false, "failure", "RSET\r\n"},
        {"MAIL 550", with(3, "550 no sender"), true, false, "failure", "MAIL FROM:<rotation@example.org>\r\n"},
        {"RCPT 550", with(4, "550 no such user"), true, false, "failure", "RCPT TO:<admin@example.org>\r\n"},
        {"RCPT 450", with(4, "450 try later"), true, false, "failure", "RCPT TO:<admin@example.org>\r\n"},
        {"RCPT 399 is taken", replaced(4, "399 odd"), true, true, "success", "QUIT\r\n"},
        {"DATA 554", with(5, "554 no"), true, false, "failure", "DATA\r\n"},
        {"end of data 552", with(6, "552 too big"), true, false, "failure", ".\r\n"},
        {"not SMTP", with(0, "hello there"), false, false, "connectionfailed", ""},
        {"closed after MAIL", with(3, ScriptedSmtpServer::closeNow()), true, false, "failure", ""},
    };
    for (const auto& c : cases) {
        ScriptedSmtpServer server(c.replies);
        EventLog events;
        SmtpClient client(&events);
        configured(client, server.port());
        const bool connected = client.connectToServer();
        EXPECT_EQ(connected, c.connects) << c.what << ": " << client.lastError().toStdString();
        const bool sent = connected && client.sendMail(sampleMessage());
        EXPECT_EQ(sent, c.sends) << c.what;
        client.disconnect();
        EXPECT_TRUE(events.outcome().contains(c.event)) << c.what << ": " << events.events.join(", ").toStdString();
        if (!c.lastCommand.isEmpty()) {
            const QByteArray transcript = server.transcript();
            // After a refusal the client says goodbye and sends nothing else.
            const QByteArray tail = (c.sends || !connected) ? c.lastCommand : c.lastCommand + "QUIT\r\n";
            EXPECT_TRUE(transcript.endsWith(tail)) << c.what << ": " << transcript.toStdString();
        }
    }
}

TEST(SmtpClient, HeloRefusalReadsAsAuthenticationFailure)
{
    ScriptedSmtpServer server({"220 ready", "501 Syntax: HELO hostname"});
    SmtpClient client;
    EXPECT_FALSE(configured(client, server.port()).connectToServer());
    EXPECT_EQ(client.lastError(), QString("Authentication failed"));
    EXPECT_FALSE(client.isConnected());
}

TEST(SmtpClient, SilentServerTimesOutInEachPhase)
{
    const QList<QByteArray> ok = ScriptedSmtpServer::accepting();
    const struct {
        const char* what;
        QList<QByteArray> replies;
        const char* event;
    } cases[] = {
        {"no greeting", {ScriptedSmtpServer::silent()}, "connectionfailed"},
        {"no answer to HELO", {ok[0], ScriptedSmtpServer::silent()}, "connectionfailed"},
        {"no answer to RCPT", ok.mid(0, 4) << ScriptedSmtpServer::silent(), "failure"},
        {"no answer to the data", ok.mid(0, 6) << ScriptedSmtpServer::silent(), "failure"},
    };
    for (const auto& c : cases) {
        ScriptedSmtpServer server(c.replies);
        EventLog events;
        SmtpClient client(&events);
        configured(client, server.port()).setTimeouts({2000, 300});
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(sendOnce(client, sampleMessage())) << c.what;
        EXPECT_LT(clock.elapsed(), 3000) << c.what;
        EXPECT_TRUE(events.outcome().contains(c.event)) << c.what << ": " << events.events.join(", ").toStdString();
        EXPECT_FALSE(client.isConnected()) << c.what;
        server.stop();
    }
}

TEST(SmtpClient, ASlowServerCannotHoldTheSessionPastItsDeadline)
{
    // Every reply comes just inside the reply timeout; the session's deadline ends it all the same.
    for (const int sessionMs : {1000, 10000}) {
        QList<QByteArray> replies;
        for (const QByteArray& r : ScriptedSmtpServer::accepting())
            replies << ScriptedSmtpServer::delayed(250, r);
        ScriptedSmtpServer server(replies);
        EventLog events;
        SmtpClient client(&events);
        // The reply timeout leaves a busy machine room beyond each 250 ms delay.
        configured(client, server.port()).setTimeouts({2000, 1000, sessionMs});
        QElapsedTimer clock;
        clock.start();
        const bool sent = sendOnce(client, sampleMessage());
        const qint64 took = clock.elapsed();
        server.stop();
        if (sessionMs == 1000) {
            EXPECT_FALSE(sent);
            EXPECT_GE(took, 950);
            EXPECT_LT(took, 1700);  // never the 1,750 ms of all seven replies
            EXPECT_EQ(client.lastError(), QString("The server did not reply within 1000 ms"));
            EXPECT_EQ(events.outcome(), (QStringList{"resolved", "connected", "sendstart", "disconnected", "failure"}));
        } else {
            EXPECT_TRUE(sent) << client.lastError().toStdString();  // each reply alone is in time
            EXPECT_GE(took, 1750);
        }
    }
}

TEST(SmtpClient, ConnectingTimesOut)
{
    // A listener with a full queue that never accepts: the next connection never completes.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

    EventLog events;
    SmtpClient client(&events);
    configured(client, ntohs(addr.sin_port)).setTimeouts({400, 20000});
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(client.connectToServer());
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_GE(clock.elapsed(), 350);
    EXPECT_EQ(events.outcome(), (QStringList{"resolved", "connectionfailed"}));
    ::close(filler);
    ::close(listener);
}

// A name server that answers with the loopback address after a delay, or at once when released.
class SlowNameServer {
public:
    explicit SlowNameServer(std::chrono::milliseconds delay) : delay_(delay) {}
    ~SlowNameServer()
    {
        // A lookup that was given up still runs: let it end before the test does.
        std::unique_lock lock(state_->mutex);
        state_->released = true;
        state_->changed.notify_all();
        state_->changed.wait_for(lock, std::chrono::seconds(5), [this] { return state_->running == 0; });
    }
    HostResolver resolver() const
    {
        return [state = state_, delay = delay_](const char*, const char* port, const addrinfo* hints, addrinfo** found) {
            std::unique_lock lock(state->mutex);
            ++state->running;
            state->changed.wait_for(lock, delay, [&] { return state->released; });
            const int rc = ::getaddrinfo("127.0.0.1", port, hints, found);
            --state->running;
            state->changed.notify_all();
            return rc;
        };
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool released = false;
        int running = 0;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
    std::chrono::milliseconds delay_;
};

TEST(SmtpClient, TheNameLookupCountsAgainstTheConnectAndSessionLimits)
{
    using namespace std::chrono_literals;
    const struct {
        const char* what;
        std::chrono::milliseconds lookup;
        SmtpTimeouts timeouts;
        bool connects;
    } cases[] = {
        {"the connect limit", 20s, {300, 2000, 120000}, false},
        {"the session's deadline", 20s, {30000, 2000, 300}, false},
        {"a slow answer in time", 150ms, {2000, 2000, 120000}, true},
    };
    for (const auto& c : cases) {
        ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
        SlowNameServer names(c.lookup);
        EventLog events;
        SmtpClient client(&events);
        configured(client, server.port()).setTimeouts(c.timeouts);
        client.setHost("mail.example.org");
        client.setResolver(names.resolver());
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(client.connectToServer(), c.connects) << c.what;
        const qint64 took = clock.elapsed();
        client.disconnect();
        if (c.connects) {
            EXPECT_EQ(events.outcome(), (QStringList{"resolved", "connected", "disconnected"})) << c.what;
            EXPECT_GE(took, 140) << c.what;
            continue;
        }
        EXPECT_GE(took, 290) << c.what;
        EXPECT_LT(took, 2000) << c.what;
        EXPECT_EQ(events.outcome(), QStringList{"invalidhost"}) << c.what;
        EXPECT_TRUE(client.lastError().startsWith("Cannot resolve mail.example.org: no answer within "))
            << c.what << ": " << client.lastError().toStdString();
    }
}

TEST(SmtpClient, UnreachableServersFailWithTheirOwnEvent)
{
    const struct {
        const char* what;
        QString host;
        int port;
        const char* event;
    } cases[] = {
        {"refused", "127.0.0.1", unusedLoopbackPort(), "connectionfailed"},
        {"unknown host", "no-such-host.invalid", 25, "invalidhost"},
        {"empty host", "", 25, "invalidhost"},
        {"port 0", "127.0.0.1", 0, "connectionfailed"},
        {"port 65536", "127.0.0.1", 65536, "connectionfailed"},
    };
    for (const auto& c : cases) {
        EventLog events;
        SmtpClient client(&events);
        client.setHost(c.host);
        client.setPort(c.port);
        client.setTimeouts({2000, 2000});
        EXPECT_FALSE(client.connectToServer()) << c.what;
        EXPECT_EQ(events.outcome().value(events.outcome().size() - 1), QString(c.event)) << c.what;
        EXPECT_FALSE(client.lastError().isEmpty()) << c.what;
    }
}

TEST(SmtpClient, MailWithoutSenderOrRecipientIsIncompleteAndNeverSent)
{
    for (const bool noSender : {true, false}) {
        ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
        EventLog events;
        SmtpClient client(&events);
        MailMessage m = sampleMessage();
        (noSender ? m.fromAddress : m.to) = " ";
        EXPECT_FALSE(configured(client, server.port()).sendMail(m));
        EXPECT_EQ(events.outcome(), QStringList{"headerincomplete"});
        EXPECT_TRUE(server.transcript().isEmpty());
    }
}

TEST(SmtpClient, SendingConnectsWhenNeeded)
{
    ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
    SmtpClient client;
    ASSERT_TRUE(configured(client, server.port()).sendMail(sampleMessage()));
    client.disconnect();
    EXPECT_TRUE(server.transcript().startsWith("HELO turnfold.example\r\nRSET\r\n"));
}

TEST(SmtpClient, LargeBodyReportsItsProgress)
{
    ScriptedSmtpServer server(ScriptedSmtpServer::accepting());
    EventLog events;
    SmtpClient client(&events);
    MailMessage m = sampleMessage();
    for (int i = 0; i < 2000; ++i)
        m.body << QStringLiteral("* line %1 of a long log").arg(i);
    ASSERT_TRUE(sendOnce(configured(client, server.port()), m));
    const qint64 total = SmtpClient::messageData(m).size();
    ASSERT_GT(events.sent.size(), 2);
    EXPECT_TRUE(std::is_sorted(events.sent.cbegin(), events.sent.cend()));
    EXPECT_EQ(events.sent.back(), total);
    EXPECT_TRUE(server.transcript().contains(SmtpClient::messageData(m)));
}

} // namespace
