#include "hostlookup.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

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

} // namespace platform
