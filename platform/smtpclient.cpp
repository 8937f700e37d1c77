#include "smtpclient.h"

#include <QDeadlineTimer>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qsizetype maxReplySize = 64 * 1024;  // a hostile server must not fill our memory
constexpr qsizetype packetSize = 4096;

// Header values and command arguments are one line each: a CR or LF in them would start a
// command or a header of its own.
QByteArray oneLine(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', ' ');
    bytes.replace('\n', ' ');
    return bytes;
}

QString localHostName()
{
    const QString name = QSysInfo::machineHostName();
    return name.isEmpty() ? QStringLiteral("localhost") : name;
}

constexpr qsizetype maxLineBytes = 998;  // a line's limit in SMTP, without its CR LF
constexpr qsizetype encodedWordBytes = 45;  // 60 base64 characters: a word of 72, within 75

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) < 128; });
}

// The largest end at most limit that does not split a UTF-8 character.
qsizetype characterEnd(const QByteArray& bytes, qsizetype limit)
{
    if (limit >= bytes.size())
        return bytes.size();
    while (limit > 0 && (uchar(bytes[limit]) & 0xC0) == 0x80)
        --limit;
    return limit;
}

// An unstructured header text: as it stands when it is ASCII, otherwise UTF-8 in encoded
// words, each on a line of its own, so that a mail reader shows what was written.
QByteArray headerText(const QString& text)
{
    const QByteArray bytes = oneLine(text);
    if (isAscii(bytes))
        return bytes;
    QByteArray words;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype end = characterEnd(bytes, at + encodedWordBytes);
        if (!words.isEmpty())
            words += "\r\n ";
        words += "=?utf-8?B?" + bytes.mid(at, end - at).toBase64() + "?=";
        at = end;
    }
    return words;
}

// The display name of a mailbox typed "Name <address>", a quoted name unquoted; empty for a
// bare address.
QString mailboxName(const QString& typed)
{
    const qsizetype open = typed.indexOf(QLatin1Char('<'));
    if (open < 0)
        return {};
    const QString name = typed.left(open).trimmed();
    if (name.size() < 2 || !name.startsWith(QLatin1Char('"')) || !name.endsWith(QLatin1Char('"')))
        return name;
    QString unquoted;
    for (qsizetype i = 1; i < name.size() - 1; ++i) {
        if (name[i] == QLatin1Char('\\') && i + 1 < name.size() - 1)
            ++i;
        unquoted += name[i];
    }
    return unquoted;
}

// The characters a name may hold unquoted: letters, digits, blanks and a few marks.
bool isAtomText(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' '
           || (c != '\0' && std::strchr("!#$%&'*+-/=?^_`{|}~", c) != nullptr);
}

// A display name put before "<address>": as it stands when it is words only, one quoted string
// when it holds a comma, a point or another special (unquoted, a parser would read several
// mailboxes), encoded words when it is not ASCII, which need a blank to end them.
QByteArray displayName(const QString& name)
{
    const QByteArray text = oneLine(name);
    if (!isAscii(text))
        return headerText(name) + ' ';
    if (std::all_of(text.cbegin(), text.cend(), isAtomText))
        return text;
    QByteArray quoted("\"");
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

// The recipient header as typed, its display name encoded when it is not ASCII.
QByteArray mailboxHeader(const QString& typed)
{
    const QString name = mailboxName(typed);
    if (isAscii(oneLine(name)))
        return oneLine(typed);
    return displayName(name) + oneLine(typed.mid(typed.indexOf(QLatin1Char('<'))));
}

// The wire lines of one body line: dots stuffed, and cut into lines SMTP accepts.
void appendBodyLine(QByteArray& body, const QByteArray& line)
{
    qsizetype at = 0;
    do {
        const bool dot = at < line.size() && line[at] == '.';
        const qsizetype end = characterEnd(line, at + maxLineBytes - (dot ? 1 : 0));
        if (dot)
            body += '.';
        body += QByteArrayView(line).sliced(at, end - at);
        body += "\r\n";
        at = end;
    } while (at < line.size());
}

constexpr qsizetype quotedPrintableWidth = 76;

// One body line in quoted-printable, which any server takes, unlike 8-bit data after HELO:
// "=", the bytes outside printable ASCII and a blank that ends the line as "=XX", and soft
// line breaks ("=" at the end) keeping each wire line within 76 characters.
void appendQuotedPrintable(QByteArray& body, const QByteArray& line)
{
    QByteArray wire;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const uchar c = uchar(line[i]);
        const bool last = i + 1 == line.size();
        const bool plain = (c > ' ' && c < 127 && c != '=') || ((c == ' ' || c == '\t') && !last);
        const QByteArray piece = plain ? QByteArray(1, char(c)) : '=' + QByteArray(1, char(c)).toHex().toUpper();
        // A line that goes on needs room for the soft break's "=".
        if (wire.size() + piece.size() > quotedPrintableWidth - (last ? 0 : 1)) {
            appendBodyLine(body, wire + '=');
            wire.clear();
        }
        wire += piece;
    }
    appendBodyLine(body, wire);
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

SmtpClient::SmtpClient(SmtpEvents* events)
    : events_(events ? events : &noEvents_)
{
}

SmtpClient::~SmtpClient()
{
    closeSocket();
}

QString SmtpClient::mailboxAddress(const QString& to)
{
    const qsizetype open = to.indexOf(QLatin1Char('<'));
    if (open >= 0) {
        const qsizetype close = to.indexOf(QLatin1Char('>'), open + 1);
        return to.mid(open + 1, close < 0 ? -1 : close - open - 1).trimmed();
    }
    const qsizetype colon = to.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        return to.mid(colon + 1).trimmed();
    return to.trimmed();
}

QByteArray SmtpClient::messageData(const MailMessage& message)
{
    QByteArrayList lines;
    for (const QString& line : message.body) {
        // A line end inside a line would let a lone "." end the data early: every part is a
        // line of its own.
        const QStringList parts = QString(line).replace(QLatin1String("\r\n"), QLatin1String("\n"))
                                      .replace(QLatin1Char('\r'), QLatin1Char('\n'))
                                      .split(QLatin1Char('\n'));
        for (const QString& part : parts)
            lines << part.toUtf8();
    }
    const bool eightBit = !std::all_of(lines.cbegin(), lines.cend(), isAscii);
    QByteArray body;
    for (const QByteArray& line : std::as_const(lines)) {
        if (eightBit)
            appendQuotedPrintable(body, line);
        else
            appendBodyLine(body, line);
    }

    QByteArray data;
    const auto header = [&data](const char* name, const QByteArray& value) {
        if (value.isEmpty())
            return;
        data += name;
        data += ": ";
        data += value;
        data += "\r\n";
    };
    // A sender typed with a display name of its own shows that name instead of the program's.
    const QString senderName = mailboxName(message.fromAddress);
    header("From", displayName(senderName.isEmpty() ? message.fromName : senderName) + '<'
                       + oneLine(mailboxAddress(message.fromAddress)) + '>');
    header("To", mailboxHeader(message.to));
    header("Subject", headerText(message.subject));
    header("X-Mailer", headerText(message.mailer));
    header("Mime-Version", "1.0");
    header("Content-Type", eightBit ? "text/plain; charset=utf-8" : "text/plain; charset=us-ascii");
    if (eightBit)
        header("Content-Transfer-Encoding", "quoted-printable");
    data += "\r\n";  // end of the header
    data += "\r\n";  // the body begins with an empty line
    data += body;
    data += ".\r\n";
    return data;
}

bool SmtpClient::fail(Phase phase, const QString& why)
{
    lastError_ = why;
    if (quitting_)
        return false;
    if (phase == Phase::Connect) {
        closeSocket();
        events_->connectionFailed();
    } else {
        events_->failure();
    }
    return false;
}

void SmtpClient::closeSocket()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    pending_.clear();
    events_->disconnected();
}

void SmtpClient::abort()
{
    closeSocket();
}

bool SmtpClient::openSocket()
{
    if (host_.trimmed().isEmpty()) {
        lastError_ = QStringLiteral("No host given");
        events_->invalidHost();
        return false;
    }
    if (port_ < 1 || port_ > 65535)
        return fail(Phase::Connect, QStringLiteral("Port %1 is out of range").arg(port_));

    // The lookup counts against the same limit as the connection it is for.
    const QDeadlineTimer deadline = waitDeadline(timeouts_.connectMs);
    const qint64 allowedMs = deadline.remainingTime();
    const HostLookup lookup = lookUpHost(host_.trimmed().toUtf8(), QByteArray::number(port_), deadline, resolver_);
    if (lookup.timedOut || lookup.error != 0) {
        const QString why = lookup.timedOut ? QStringLiteral("no answer within %1 ms").arg(allowedMs)
                                            : QString::fromLocal8Bit(::gai_strerror(lookup.error));
        lastError_ = QStringLiteral("Cannot resolve %1: %2").arg(host_, why);
        events_->invalidHost();
        return false;
    }
    events_->hostResolved();

    fd_ = connectToFirst(lookup.addresses.get(), deadline);
    if (fd_ < 0)
        return fail(Phase::Connect, QStringLiteral("Cannot connect to %1:%2: %3").arg(host_).arg(port_).arg(errnoText()));
    events_->connected();
    return true;
}

QDeadlineTimer SmtpClient::waitDeadline(int timeoutMs) const
{
    const QDeadlineTimer own(timeoutMs);
    return session_.deadlineNSecs() < own.deadlineNSecs() ? session_ : own;
}

bool SmtpClient::sendBytes(const QByteArray& bytes, Phase phase, bool reportProgress)
{
    const QDeadlineTimer deadline = waitDeadline(timeouts_.replyMs);
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const qsizetype chunk = std::min(packetSize, bytes.size() - sent);
        const ssize_t n = ::send(fd_, bytes.constData() + sent, size_t(chunk), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            if (reportProgress)
                events_->packetSent(sent, bytes.size());
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitForSocket(fd_, POLLOUT, deadline))
            continue;
        const QString why = (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                                ? QStringLiteral("Cannot send: %1").arg(errnoText())
                                : QStringLiteral("The server took no data for %1 ms").arg(timeouts_.replyMs);
        closeSocket();
        return fail(phase, why);
    }
    return true;
}

bool SmtpClient::readReply(Reply& reply, Phase phase)
{
    const QDeadlineTimer deadline = waitDeadline(timeouts_.replyMs);
    qsizetype taken = 0;
    for (;;) {
        const qsizetype end = pending_.indexOf('\n');
        if (end < 0) {
            if (pending_.size() + taken > maxReplySize) {
                closeSocket();
                return fail(phase, QStringLiteral("The server's reply is too long"));
            }
            if (!waitForSocket(fd_, POLLIN, deadline)) {
                closeSocket();
                return fail(phase, QStringLiteral("The server did not reply within %1 ms").arg(timeouts_.replyMs));
            }
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n > 0) {
                pending_.append(buffer, n);
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            const QString why = n == 0 ? QStringLiteral("The server closed the connection")
                                       : QStringLiteral("Cannot receive: %1").arg(errnoText());
            closeSocket();
            return fail(phase, why);
        }
        QByteArray line = pending_.left(end);
        pending_.remove(0, end + 1);
        taken += end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        bool digits = line.size() >= 3;
        for (int i = 0; digits && i < 3; ++i)
            digits = line[i] >= '0' && line[i] <= '9';
        if (!digits) {
            closeSocket();
            return fail(phase, QStringLiteral("The server's reply is not SMTP: %1").arg(QString::fromUtf8(line)));
        }
        // "250-..." continues the reply; "250 ..." or a bare "250" ends it.
        if (line.size() > 3 && line[3] == '-')
            continue;
        reply.code = line.left(3).toInt();
        reply.text = QString::fromUtf8(line);
        events_->status(reply.text);
        return true;
    }
}

bool SmtpClient::command(const QByteArray& line, Reply& reply, Phase phase)
{
    return sendBytes(line + "\r\n", phase) && readReply(reply, phase);
}

bool SmtpClient::expect(const QByteArray& line, int failFrom, Phase phase)
{
    Reply reply;
    if (!command(line, reply, phase))
        return false;
    if (reply.code >= failFrom)
        return fail(phase, reply.text);
    return true;
}

bool SmtpClient::connectToServer()
{
    if (isConnected())
        return true;
    lastError_.clear();
    session_ = QDeadlineTimer(timeouts_.sessionMs);
    if (!openSocket())
        return false;
    Reply greeting;
    if (!readReply(greeting, Phase::Connect))
        return false;
    if (greeting.code >= 400)
        return fail(Phase::Connect, greeting.text);
    const QString helo = userId_.isEmpty() ? localHostName() : userId_;
    Reply reply;
    if (!command("HELO " + oneLine(helo), reply, Phase::Connect))
        return false;
    if (reply.code >= 300)
        return fail(Phase::Connect, QStringLiteral("Authentication failed"));
    return true;
}

bool SmtpClient::sendMail(const MailMessage& message)
{
    lastError_.clear();
    const QString sender = mailboxAddress(message.fromAddress);
    const QString recipient = mailboxAddress(message.to);
    if (sender.isEmpty() || recipient.isEmpty()) {
        lastError_ = QStringLiteral("The mail needs a sender and a recipient");
        events_->headerIncomplete();
        return false;
    }
    if (!isConnected() && !connectToServer())
        return false;
    events_->sendStart();
    if (!expect("RSET", 400, Phase::Send)
        || !expect("MAIL FROM:<" + oneLine(sender) + '>', 400, Phase::Send)
        || !expect("RCPT TO:<" + oneLine(recipient) + '>', 400, Phase::Send)
        || !expect("DATA", 400, Phase::Send))
        return false;
    if (!sendBytes(messageData(message), Phase::Send, true))
        return false;
    Reply reply;
    if (!readReply(reply, Phase::Send))
        return false;
    if (reply.code >= 400)
        return fail(Phase::Send, reply.text);
    events_->success();
    return true;
}

void SmtpClient::disconnect()
{
    if (!isConnected())
        return;
    // A short wait is enough for the goodbye, and a goodbye that goes wrong is no failure of
    // the mail.
    Reply reply;
    const SmtpTimeouts saved = timeouts_;
    timeouts_.replyMs = std::min(timeouts_.replyMs, 5000);
    quitting_ = true;
    command("QUIT", reply, Phase::Send);
    quitting_ = false;
    timeouts_ = saved;
    closeSocket();
}

} // namespace platform
