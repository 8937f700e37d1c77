#include "scriptedsmtpserver.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int listenOnLoopback(int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("cannot listen on loopback");
    port = ntohs(addr.sin_port);
    return fd;
}

// Waits for data on fd or a wake-up; false when woken, timed out or closed.
bool readable(int fd, int wakeFd, int timeoutMs)
{
    pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    return ::poll(p, 2, timeoutMs) > 0 && !(p[1].revents & POLLIN) && (p[0].revents & (POLLIN | POLLHUP));
}

} // namespace

ScriptedSmtpServer::ScriptedSmtpServer(QList<QByteArray> replies)
    : replies_(std::move(replies))
{
    listenFd_ = listenOnLoopback(port_);
    if (::pipe2(wakeFd_, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make a pipe");
    thread_ = std::thread([this] { run(); });
}

ScriptedSmtpServer::~ScriptedSmtpServer()
{
    stop();
    ::close(listenFd_);
    ::close(wakeFd_[0]);
    ::close(wakeFd_[1]);
}

QList<QByteArray> ScriptedSmtpServer::accepting()
{
    return {"220 test.example ESMTP ready", "250 test.example", "250 Flushed", "250 OK sender",
            "250 OK recipient", "354 End data with <CR><LF>.<CR><LF>", "250 OK queued", "221 Bye"};
}

void ScriptedSmtpServer::stop()
{
    if (!thread_.joinable())
        return;
    const char wake = 1;
    [[maybe_unused]] const auto n = ::write(wakeFd_[1], &wake, 1);
    thread_.join();
}

QByteArray ScriptedSmtpServer::transcript()
{
    stop();
    std::lock_guard lock(mutex_);
    return transcript_;
}

void ScriptedSmtpServer::run()
{
    constexpr int limitMs = 20000;  // a test never waits longer than this for the client
    if (!readable(listenFd_, wakeFd_[0], limitMs))
        return;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    connected_ = true;
    QByteArray received;  // client bytes not yet answered
    bool inData = false;
    const auto receive = [&](int timeoutMs) {
        if (!readable(fd, wakeFd_[0], timeoutMs))
            return false;
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        received.append(buffer, n);
        std::lock_guard lock(mutex_);
        transcript_.append(buffer, n);
        return true;
    };
    const auto reply = [&](QByteArray text) {
        if (text.startsWith("<delay:")) {
            const qsizetype close = text.indexOf('>');
            pollfd p{wakeFd_[0], POLLIN, 0};
            if (::poll(&p, 1, text.mid(7, close - 7).toInt()) != 0)
                return false;  // stopped meanwhile
            text = text.mid(close + 1);
        }
        if (text == closeNow()) {
            ::shutdown(fd, SHUT_RDWR);
            return false;
        }
        if (text == silent()) {
            pollfd p{wakeFd_[0], POLLIN, 0};
            ::poll(&p, 1, limitMs);  // hang until the test is done
            return false;
        }
        const QByteArray line = text + "\r\n";
        inData = text.startsWith("354");
        return ::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL) == line.size();
    };
    bool going = !replies_.isEmpty() && reply(replies_.takeFirst());
    while (going) {
        const QByteArray end = inData ? QByteArrayLiteral("\r\n.\r\n") : QByteArrayLiteral("\n");
        const qsizetype at = received.indexOf(end);
        if (at < 0) {
            going = receive(limitMs);
            continue;
        }
        received.remove(0, at + end.size());
        going = !replies_.isEmpty() && reply(replies_.takeFirst());
    }
    // Out of replies: keep recording until the client closes.
    while (receive(2000)) {
    }
    ::close(fd);
}

int unusedLoopbackPort()
{
    int port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}
