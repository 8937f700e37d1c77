#include "instanceguard.h"

#include "platform/filenames.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

QString errnoText(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1StringView(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// The socket address of an abstract name; its length counts the name's bytes only.
socklen_t abstractAddress(const QByteArray& name, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
}

bool peerUid(int fd, uid_t& uid)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    uid = credentials.uid;
    return true;
}

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// One connected later copy whose record is still coming in.
struct Peer {
    int fd;
    Clock::time_point deadline;
    QByteArray received;
};

constexpr std::size_t maxWaitingPeers = 16;

// A first copy that ends while a later one talks to it closes the connection with the record
// unread, which resets it.
bool firstCopyWentAway(int error)
{
    return error == EPIPE || error == ECONNRESET;
}

} // namespace

InstanceGuardName instanceGuardName(const QString& programFolder, const QString& programName)
{
    struct stat st {};
    if (::stat(platform::encodeFileName(programFolder).constData(), &st) != 0)
        return {{}, errnoText("cannot examine the program folder")};
    QByteArray name("\0/pictorum-guard/", 17);
    name += QByteArray::number(static_cast<qulonglong>(st.st_dev)) + '-'
            + QByteArray::number(static_cast<qulonglong>(st.st_ino)) + '/' + programName.toUtf8();
    if (static_cast<std::size_t>(name.size()) > sizeof(sockaddr_un::sun_path))
        return {{}, QStringLiteral("the program name is too long for a guard")};
    return {name, {}};
}

InstanceGuard::InstanceGuard(QByteArray name)
    : name_(std::move(name))
{
}

InstanceGuard::~InstanceGuard()
{
    if (listener_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
        listener_.join();
    }
    closeFd(listenFd_);
    closeFd(wakeFd_);
}

InstanceGuard::Election InstanceGuard::elect()
{
    if (name_.isEmpty()) {
        failure_ = QStringLiteral("no guard name");
        return Election::Unguarded;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        failure_ = errnoText("cannot make a socket");
        return Election::Unguarded;
    }
    sockaddr_un address;
    const socklen_t length = abstractAddress(name_, address);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        const int bindError = errno;
        ::close(fd);
        if (bindError == EADDRINUSE)
            return Election::Later;
        errno = bindError;
        failure_ = errnoText("cannot take the guard name");
        return Election::Unguarded;
    }
    if (::listen(fd, static_cast<int>(maxWaitingPeers)) != 0) {
        failure_ = errnoText("cannot listen for later copies");
        ::close(fd);
        return Election::Unguarded;
    }
    listenFd_ = fd;
    return Election::First;
}

bool InstanceGuard::listen(Deliver deliver, Running running)
{
    if (listenFd_ < 0 || listener_.joinable())
        return false;
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        failure_ = errnoText("cannot make the listener's wake-up");
        return false;
    }
    deliver_ = std::move(deliver);
    running_ = running;
    listener_ = std::thread([this] { serve(); });
    return true;
}

void InstanceGuard::serve()
{
    const uid_t self = ::geteuid();
    std::vector<Peer> peers;
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back({wakeFd_, POLLIN, 0});
        fds.push_back({listenFd_, POLLIN, 0});
        int timeout = -1;
        for (const Peer& peer : peers) {
            fds.push_back({peer.fd, POLLIN, 0});
            const int left = remainingMs(peer.deadline);
            timeout = timeout < 0 ? left : std::min(timeout, left);
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
            break;
        if (fds[0].revents)
            break;

        // Records in, in the order the peers came.
        std::vector<Peer> waiting;
        for (std::size_t i = 0; i < peers.size(); ++i) {
            Peer& peer = peers[i];
            bool done = false;
            if (fds[i + 2].revents) {
                char buffer[InstanceRecordSize];
                const std::size_t wanted = InstanceRecordSize - static_cast<std::size_t>(peer.received.size());
                const ssize_t got = ::recv(peer.fd, buffer, wanted, MSG_DONTWAIT);
                if (got > 0)
                    peer.received.append(buffer, got);
                else if (got == 0 || (errno != EAGAIN && errno != EINTR))
                    done = true;  // closed or failed before the whole record
                if (static_cast<std::size_t>(peer.received.size()) == InstanceRecordSize) {
                    // The acknowledgement first: a busy or failing receiver never keeps the sender.
                    // A sender that gave up waiting is gone: its parameters are not acted on.
                    const char answer = static_cast<char>(running_);
                    const bool answered = ::send(peer.fd, &answer, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1;
                    std::optional<InstanceRecord> record = decodeInstanceRecord(peer.received);
                    if (answered && record)
                        deliver_(std::move(*record));
                    done = true;
                }
            }
            if (!done && Clock::now() >= peer.deadline)
                done = true;  // a silent or slow peer
            if (done)
                ::close(peer.fd);
            else
                waiting.push_back(std::move(peer));
        }
        peers = std::move(waiting);

        if (fds[1].revents & POLLIN) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            uid_t uid = 0;
            if (fd >= 0) {
                if (!peerUid(fd, uid) || uid != self || peers.size() >= maxWaitingPeers)
                    ::close(fd);
                else
                    peers.push_back({fd, Clock::now() + peerTimeout, {}});
            }
        }
    }
    for (Peer& peer : peers)
        ::close(peer.fd);
}

InstanceGuard::HandOver InstanceGuard::handOver(const QByteArray& record, std::chrono::milliseconds timeout)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    failure_.clear();
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        failure_ = errnoText("cannot make a socket");
        return HandOver::NoAnswer;
    }
    struct Closer {
        int& fd;
        ~Closer() { closeFd(fd); }
    } closer{fd};

    // A first copy that is stopped with a full queue keeps connect waiting: bound it.
    const int ms = std::max(remainingMs(deadline), 1);  // zero would mean no limit
    const timeval limit{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    sockaddr_un address;
    const socklen_t length = abstractAddress(name_, address);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        if (errno == ECONNREFUSED || errno == ENOENT)
            return HandOver::NameFree;
        if (errno == EAGAIN || errno == EINPROGRESS)
            return HandOver::NoAnswer;  // the queue stayed full until the deadline
        failure_ = errnoText("cannot reach the running copy");
        return HandOver::NoAnswer;
    }
    uid_t uid = 0;
    if (!peerUid(fd, uid) || uid != ::geteuid())
        return HandOver::OtherUser;

    qsizetype sent = 0;
    while (sent < record.size()) {
        const ssize_t n = ::send(fd, record.constData() + sent, static_cast<std::size_t>(record.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && firstCopyWentAway(errno))
            return HandOver::NameFree;
        if (n <= 0) {
            failure_ = errnoText("cannot send to the running copy");
            return HandOver::NoAnswer;
        }
        sent += n;
    }

    for (;;) {
        pollfd answer{fd, POLLIN, 0};
        const int ready = ::poll(&answer, 1, remainingMs(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return HandOver::NoAnswer;
        char byte = 0;
        const ssize_t n = ::recv(fd, &byte, 1, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 1 && (byte == static_cast<char>(Running::Interactive) || byte == static_cast<char>(Running::Unattended))) {
            firstCopyRunning_ = static_cast<Running>(byte);
            return HandOver::Delivered;
        }
        // Closed or reset without an answer: the first copy went away while we talked.
        return n == 0 || (n < 0 && firstCopyWentAway(errno)) ? HandOver::NameFree : HandOver::NoAnswer;
    }
}
