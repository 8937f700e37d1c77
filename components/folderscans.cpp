#include "folderscans.h"

#include <condition_variable>
#include <mutex>
#include <thread>

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

} // namespace

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
