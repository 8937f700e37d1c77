#include "thumbpool.h"

#include <QThread>

#include <algorithm>

ThumbPool::ThumbPool(int Threads, QObject* parent)
    : QObject(parent),
      threadCount_(std::clamp(Threads > 0 ? Threads : QThread::idealThreadCount(), 1, MaxThreads)),
      work_(LoadThumbnail)
{
}

ThumbPool::~ThumbPool()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
        cancelled_->store(true);
    }
    wake_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void ThumbPool::SetWork(Work Function)
{
    std::lock_guard lock(mutex_);
    work_ = std::move(Function);
}

void ThumbPool::Submit(int Id, ThumbRequest Request, int Priority)
{
    {
        std::lock_guard lock(mutex_);
        // Kept sorted: by priority, then in the order given.
        Job job{Id, std::move(Request), Priority, nextOrder_++, cancelled_};
        const auto at = std::find_if(queue_.begin(), queue_.end(), [&](const Job& j) { return j.priority > Priority; });
        queue_.insert(at, std::move(job));
        if (threads_.empty())
            startThreads();
    }
    wake_.notify_one();
}

std::vector<int> ThumbPool::Drop(const std::function<bool(int Id)>& Unwanted)
{
    std::vector<int> dropped;
    std::lock_guard lock(mutex_);
    std::erase_if(queue_, [&](const Job& job) {
        if (!Unwanted(job.id))
            return false;
        dropped.push_back(job.id);
        return true;
    });
    return dropped;
}

void ThumbPool::Promote(int Id, int Priority)
{
    std::lock_guard lock(mutex_);
    const auto at = std::find_if(queue_.begin(), queue_.end(), [&](const Job& job) { return job.id == Id; });
    if (at == queue_.end() || at->priority <= Priority)
        return;
    Job job = std::move(*at);
    queue_.erase(at);
    job.priority = Priority;
    const auto to = std::find_if(queue_.begin(), queue_.end(), [&](const Job& j) {
        return j.priority > Priority || (j.priority == Priority && j.order > job.order);
    });
    queue_.insert(to, std::move(job));
}

void ThumbPool::CancelAll()
{
    std::lock_guard lock(mutex_);
    queue_.clear();
    cancelled_->store(true);
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
}

int ThumbPool::Waiting() const
{
    std::lock_guard lock(mutex_);
    return int(queue_.size());
}

void ThumbPool::startThreads()
{
    for (int i = 0; i < threadCount_; ++i)
        threads_.emplace_back([this] { run(); });
}

void ThumbPool::run()
{
    for (;;) {
        Job job;
        Work work;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            job = std::move(queue_.front());
            queue_.pop_front();
            work = work_;
        }
        ThumbResult result;
        try {
            const BudgetJob charged(budget_, job.cancelled.get());
            result = work(job.request, *job.cancelled);
        } catch (...) {
            result = {};
            result.failure = QStringLiteral("No Thumb Image");
        }
        if (job.cancelled->load() || result.cancelled)
            continue;
        QMetaObject::invokeMethod(
            this, [this, id = job.id, result = std::move(result)] { emit Finished(id, result); }, Qt::QueuedConnection);
    }
}
