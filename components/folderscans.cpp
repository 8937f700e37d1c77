#include "folderscans.h"

#include <QDataStream>
#include <QIODevice>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

// Shared by the worker and its asker; the worker may outlive both.
template <typename Result> struct FolderReads<Result>::Job {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::chrono::steady_clock::time_point endedAt;
    Result result;
};

namespace {

// A result nobody took for this long is too old to show: the folder is read again.
constexpr std::chrono::seconds keptFor{10};

// What a reader child hands back, written and read by the same program.
void pack(QDataStream& out, const FolderScan& scan)
{
    out << scan.ok << qint32(scan.items.size());
    for (const ShellItem& item : scan.items)
        out << qint32(item.kind) << item.name << item.path << item.label << item.attributes << item.size
            << item.modified << item.remote;
}

void unpack(QDataStream& in, FolderScan& scan)
{
    qint32 count = 0;
    in >> scan.ok >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        ShellItem item;
        qint32 kind = 0;
        in >> kind >> item.name >> item.path >> item.label >> item.attributes >> item.size >> item.modified >> item.remote;
        item.kind = ShellItem::Kind(kind);
        scan.items.append(std::move(item));
    }
}

void failed(FolderScan& scan)
{
    scan = FolderScan{};
}

void pack(QDataStream& out, const platform::FolderListing& listing)
{
    out << listing.outcome.ok << listing.outcome.reason << listing.names << qint32(listing.unexamined);
}

void unpack(QDataStream& in, platform::FolderListing& listing)
{
    qint32 unexamined = 0;
    in >> listing.outcome.ok >> listing.outcome.reason >> listing.names >> unexamined;
    listing.unexamined = unexamined;
}

void failed(platform::FolderListing& listing)
{
    listing = platform::FolderListing{};
    listing.outcome = platform::FileOutcome::failure(QStringLiteral("The folder's server gave no answer"));
}

// The child's side: its answer goes to out, and it keeps nothing else open.
template <typename Result> [[noreturn]] void answerAndEnd(int pipeEnd, const std::function<Result()>& read)
{
    const int out = ::fcntl(pipeEnd, F_DUPFD, 3);
    const int nothing = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2 && nothing >= 0; ++fd)
        ::dup2(nothing, fd);
    if (out < 0)
        ::_exit(1);
    if (out > 3)
        ::close_range(3, unsigned(out) - 1, 0);
    ::close_range(unsigned(out) + 1, ~0U, 0);
    QByteArray bytes;
    {
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        pack(stream, read());
    }
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n = ::write(out, bytes.constData() + sent, size_t(bytes.size() - sent));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ::_exit(1);
        sent += n;
    }
    ::_exit(0);
}

} // namespace

template <typename Result> Result readApart(const std::function<Result()>& read)
{
    Result result;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        failed(result);
        return result;
    }
    const pid_t child = ::fork();
    if (child == 0)
        answerAndEnd(ends[1], read);
    ::close(ends[1]);
    QByteArray bytes;
    char buffer[65536];
    for (ssize_t n; child > 0 && (n = ::read(ends[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno != EINTR)
            break;
        if (n > 0)
            bytes.append(buffer, n);
    }
    ::close(ends[0]);
    int status = 0;
    // The pipe closed when it ended: this does not wait.
    const bool answered = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
                          && WEXITSTATUS(status) == 0;
    QDataStream stream(bytes);
    if (answered)
        unpack(stream, result);
    if (!answered || stream.status() != QDataStream::Ok || !stream.atEnd())
        failed(result);
    return result;
}

template <typename Result> FolderReads<Result>::~FolderReads() = default;

template <typename Result>
std::optional<Result> FolderReads<Result>::scan(const QString& folder, Work work, std::chrono::milliseconds wait)
{
    if (const auto kept = jobs_.constFind(folder); kept != jobs_.cend()) {
        const std::shared_ptr<Job> job = *kept;
        std::unique_lock lock(job->mutex);
        if (!job->done)
            return std::nullopt;
        const bool fresh = std::chrono::steady_clock::now() - job->endedAt < keptFor;
        Result result = std::move(job->result);
        lock.unlock();
        jobs_.remove(folder);
        if (fresh)
            return result;
    }
    auto job = std::make_shared<Job>();
    // Detached: a thread stuck in the kernel on a dead server cannot be stopped, only left.
    std::thread([job, work = std::move(work)] {
        Result result = work();
        {
            const std::lock_guard lock(job->mutex);
            job->result = std::move(result);
            job->done = true;
            job->endedAt = std::chrono::steady_clock::now();
        }
        job->ended.notify_all();
    }).detach();
    std::unique_lock lock(job->mutex);
    if (job->ended.wait_for(lock, wait, [&] { return job->done; }))
        return std::move(job->result);
    lock.unlock();
    jobs_.insert(folder, job);
    return std::nullopt;
}

template <typename Result> bool FolderReads<Result>::finished(const QString& folder) const
{
    const auto kept = jobs_.constFind(folder);
    if (kept == jobs_.cend())
        return false;
    const std::lock_guard lock((*kept)->mutex);
    return (*kept)->done;
}

template class FolderReads<FolderScan>;
template class FolderReads<platform::FolderListing>;
template FolderScan readApart(const std::function<FolderScan()>&);
template platform::FolderListing readApart(const std::function<platform::FolderListing()>&);
