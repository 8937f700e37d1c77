#include "thumbnailahead.h"

#include "thumbnails.h"

ThumbnailAhead::ThumbnailAhead(QStringList sources, std::vector<bool> wanted, int boxWidth, int boxHeight,
                               SaveOptions options, int threads)
    : sources_(std::move(sources))
    , boxWidth_(boxWidth)
    , boxHeight_(boxHeight)
    , options_(options)
    , window_(2 * std::max(1, threads))
    , slots_(size_t(sources_.size()))
{
    for (size_t i = 0; i < slots_.size() && i < wanted.size(); ++i)
        if (!wanted[i])
            slots_[i].state = State::NotAhead;
    for (int t = 0; t < std::max(1, threads); ++t)
        workers_.emplace_back([this] { work(); });
}

ThumbnailAhead::~ThumbnailAhead()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        cancelled_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void ThumbnailAhead::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        // Skip what is not to be worked on; wait while the window ahead is full.
        while (next_ < int(slots_.size()) && slots_[size_t(next_)].state == State::NotAhead)
            ++next_;
        changed_.wait(lock, [this] {
            return stopping_ || next_ >= int(slots_.size()) || next_ < released_ + window_
                || slots_[size_t(next_)].state == State::NotAhead;
        });
        if (stopping_ || next_ >= int(slots_.size()))
            return;
        if (slots_[size_t(next_)].state == State::NotAhead)
            continue;
        const int i = next_++;
        if (i < released_)
            continue; // passed meanwhile
        slots_[size_t(i)].state = State::Working;
        lock.unlock();
        auto bytes = encodeCharged(sources_[i]);
        lock.lock();
        slots_[size_t(i)].bytes = std::move(bytes);
        slots_[size_t(i)].state = State::Done;
        changed_.notify_all();
    }
}

std::optional<QByteArray> ThumbnailAhead::encodeCharged(const QString& source)
{
    const BudgetJob charged(budget_, &cancelled_);
    return encodeThumbnail(source, boxWidth_, boxHeight_, options_, &cancelled_);
}

void ThumbnailAhead::release(int i)
{
    released_ = std::max(released_, i + 1);
    changed_.notify_all();
}

std::optional<QByteArray> ThumbnailAhead::take(int i)
{
    std::unique_lock lock(mutex_);
    Slot& slot = slots_.at(size_t(i));
    if (slot.state == State::NotAhead || (slot.state == State::Waiting && next_ <= i)) {
        // Not worked on ahead (or not yet taken up): made here, and no worker takes it up.
        slot.state = State::Working;
        next_ = std::max(next_, i + 1);
        release(i);
        lock.unlock();
        return encodeCharged(sources_[i]);
    }
    changed_.wait(lock, [&slot] { return slot.state == State::Done; });
    release(i);
    return std::move(slot.bytes);
}

void ThumbnailAhead::pass(int i)
{
    const std::lock_guard lock(mutex_);
    release(i);
}
