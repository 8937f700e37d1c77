#include "fifo.h"
#include "platform/filenames.h"

#include <QFile>

#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

QString MakeFifo(const QString& Path)
{
    return ::mkfifo(platform::encodeFileName(Path).constData(), 0600) == 0 ? Path : QString();
}

bool ReturnsWithoutWaitingOn(const QString& Fifo, const std::function<void()>& Read, std::chrono::milliseconds Limit)
{
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::thread reader([&] {
        Read();
        std::lock_guard lock(mutex);
        done = true;
        ended.notify_all();
    });
    std::unique_lock lock(mutex);
    const bool inTime = ended.wait_for(lock, Limit, [&] { return done; });
    // A reader stuck in open() is let through by a writer that opens and closes at once.
    while (!ended.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; })) {
        lock.unlock();
        const int fd = ::open(platform::encodeFileName(Fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        lock.lock();
    }
    lock.unlock();
    reader.join();
    return inTime;
}
