#include "hostlookup.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// What the lookup thread and the waiting caller share; whichever goes last frees it.
struct PendingLookup {
    std::mutex mutex;
    std::condition_variable answered;
    bool finished = false;
    bool abandoned = false;
    int error = 0;
    addrinfo* found = nullptr;
};

} // namespace

HostLookup lookUpHost(const QByteArray& host, const QByteArray& port, const QDeadlineTimer& deadline,
                      HostResolver resolver)
{
    if (!resolver)
        resolver = ::getaddrinfo;
    auto pending = std::make_shared<PendingLookup>();
    const auto lookUp = [pending, host, port, resolver = std::move(resolver)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int error = resolver(host.constData(), port.constData(), &hints, &found);
        std::lock_guard lock(pending->mutex);
        if (pending->abandoned) {
            if (error == 0)
                ::freeaddrinfo(found);
            return;
        }
        pending->error = error;
        pending->found = error == 0 ? found : nullptr;
        pending->finished = true;
        pending->answered.notify_all();
    };
    try {
        std::thread(lookUp).detach();
    } catch (const std::system_error&) {
        return {nullptr, EAI_AGAIN, false};  // no thread to spare: as a name server that is busy
    }

    std::unique_lock lock(pending->mutex);
    const auto done = [&pending] { return pending->finished; };
    if (deadline.isForever())
        pending->answered.wait(lock, done);
    else if (!pending->answered.wait_until(lock, deadline.deadline<std::chrono::steady_clock>(), done)) {
        pending->abandoned = true;
        return {nullptr, 0, true};
    }
    return {AddressList(pending->found), pending->error, false};
}

bool waitForSocket(int fd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const qint64 left = deadline.remainingTime();
        const int rc = ::poll(&p, 1, left < 0 ? -1 : int(std::min<qint64>(left, INT_MAX)));
        if (rc > 0)
            return true;
        if (rc == 0 || errno != EINTR)
            return false;
    }
}

int connectToFirst(const addrinfo* addresses, const QDeadlineTimer& deadline)
{
    errno = EADDRNOTAVAIL;
    for (const addrinfo* a = addresses; a; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        bool ok = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0;
        if (!ok && errno == EINPROGRESS) {
            if (waitForSocket(fd, POLLOUT, deadline)) {
                int err = 0;
                socklen_t len = sizeof err;
                ok = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
                errno = err;
            } else {
                errno = ETIMEDOUT;
            }
        }
        if (ok)
            return fd;
        const int err = errno;
        ::close(fd);
        errno = err;
        if (deadline.hasExpired())
            break;
    }
    return -1;
}

} // namespace platform
