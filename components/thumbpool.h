#pragma once

#include "thumbmaker.h"

#include "imaging/memorybudget.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A few worker threads that make thumbnails. Jobs wait in a queue, the urgent ones (lower
// priority number) first and otherwise in the order given; a job still waiting can be
// dropped or made urgent. The workers' decodes share one memory budget. Results come back to the thread the pool lives on, queued, as
// Finished; a cancelled job reports nothing. Workers only compute.
class ThumbPool : public QObject {
    Q_OBJECT
public:
    using Work = std::function<ThumbResult(const ThumbRequest&, const std::atomic<bool>& Cancelled)>;
    static constexpr int MaxThreads = 4;

    // Threads: at most MaxThreads; 0 takes the number of cores (at most MaxThreads).
    explicit ThumbPool(int Threads = 0, QObject* parent = nullptr);
    ~ThumbPool() override; // cancels everything and waits for the workers

    int ThreadCount() const { return threadCount_; }
    // What a job runs (LoadThumbnail unless replaced); set before the first job.
    void SetWork(Work Function);

    void Submit(int Id, ThumbRequest Request, int Priority);
    // Removes waiting jobs; gives the ids removed.
    std::vector<int> Drop(const std::function<bool(int Id)>& Unwanted);
    // Gives a waiting job this priority, when it has a higher number now.
    void Promote(int Id, int Priority);
    // Drops every waiting job and tells the running ones to stop; none of them reports.
    void CancelAll();
    int Waiting() const;

signals:
    void Finished(int Id, ThumbResult Result);

private:
    struct Job {
        int id;
        ThumbRequest request;
        int priority;
        std::uint64_t order;
        std::shared_ptr<std::atomic<bool>> cancelled;
    };
    void startThreads();
    void run();

    int threadCount_;
    Work work_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    std::uint64_t nextOrder_ = 0;
    std::shared_ptr<std::atomic<bool>> cancelled_ = std::make_shared<std::atomic<bool>>(false);
    bool stopping_ = false;
    std::vector<std::thread> threads_;
    MemoryBudget budget_;
};
