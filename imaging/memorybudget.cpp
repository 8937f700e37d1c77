#include "memorybudget.h"

#include "pgexceptions.h"
#include "pgmessages.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::int64_t kNeverWaitsBelow = std::int64_t(1) << 20;
// How often a waiting charge looks at its job's cancel flag.
constexpr auto kCancelPoll = std::chrono::milliseconds(20);

thread_local BudgetJob* currentJob = nullptr;

} // namespace

struct MemoryBudget::State {
    std::int64_t size;
    std::int64_t used = 0;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<BudgetJob::State*> jobs;
    struct Request {
        BudgetJob::State* job;
        std::uint64_t ticket;
    };
    std::deque<Request> waiting; // in the order asked
    std::uint64_t nextTicket = 0;
};

struct BudgetJob::State {
    std::shared_ptr<MemoryBudget::State> budget;
    const std::atomic<bool>* cancelled;
    std::int64_t held = 0;
    bool waits = false;
    bool ended = false;
};

std::int64_t MemoryBudget::DefaultSize()
{
    const std::int64_t ceiling = std::int64_t(1) << 30;
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return ceiling;
    return std::min(ceiling, std::int64_t(pages) * pageSize / 4);
}

MemoryBudget::MemoryBudget(std::int64_t Bytes) : state_(std::make_shared<State>())
{
    state_->size = std::max<std::int64_t>(Bytes, 0);
}

MemoryBudget::~MemoryBudget() = default;

std::int64_t MemoryBudget::Size() const
{
    return state_->size;
}

std::int64_t MemoryBudget::InUse() const
{
    std::lock_guard lock(state_->mutex);
    return state_->used;
}

BudgetJob::BudgetJob(MemoryBudget& Budget, const std::atomic<bool>* Cancelled)
    : state_(std::make_shared<State>(State{Budget.state_, Cancelled})), outer_(nullptr)
{
    MemoryBudget::State& budget = *state_->budget;
    std::lock_guard lock(budget.mutex);
    budget.jobs.push_back(state_.get());
    // A job inside another on the same thread is its own; the outer one is current again after.
    outer_ = currentJob;
    currentJob = this;
}

BudgetJob::~BudgetJob()
{
    MemoryBudget::State& budget = *state_->budget;
    {
        std::lock_guard lock(budget.mutex);
        budget.used -= state_->held;
        state_->held = 0;
        state_->ended = true;
        std::erase(budget.jobs, state_.get());
    }
    budget.changed.notify_all();
    currentJob = outer_;
}

namespace {

bool everyHolderWaits(const MemoryBudget::State& budget)
{
    return std::all_of(budget.jobs.begin(), budget.jobs.end(),
                       [](const BudgetJob::State* job) { return job->held == 0 || job->waits; });
}

// The oldest request of a job that holds memory.
std::uint64_t oldestHolderRequest(const MemoryBudget::State& budget)
{
    for (const MemoryBudget::State::Request& request : budget.waiting)
        if (request.job->held > 0)
            return request.ticket;
    return UINT64_MAX;
}

bool mayGo(const MemoryBudget::State& budget, const BudgetJob::State& job, std::int64_t bytes, std::uint64_t ticket)
{
    if (budget.waiting.front().ticket == ticket
        && (budget.used + bytes <= budget.size || budget.used == job.held))
        return true;
    return job.held > 0 && everyHolderWaits(budget) && oldestHolderRequest(budget) == ticket;
}

void leaveQueue(MemoryBudget::State& budget, BudgetJob::State& job, std::uint64_t ticket)
{
    std::erase_if(budget.waiting, [ticket](const MemoryBudget::State::Request& r) { return r.ticket == ticket; });
    job.waits = false;
}

} // namespace

BudgetCharge ChargeMemoryBudget(std::int64_t Bytes)
{
    BudgetCharge charge;
    if (!currentJob || Bytes <= 0)
        return charge;
    const std::shared_ptr<BudgetJob::State>& job = currentJob->state_;
    MemoryBudget::State& budget = *job->budget;
    std::unique_lock lock(budget.mutex);
    if (Bytes >= kNeverWaitsBelow) {
        const std::uint64_t ticket = budget.nextTicket++;
        budget.waiting.push_back({job.get(), ticket});
        job->waits = true;
        budget.changed.notify_all(); // the last holder to wait may let the oldest go on
        while (!mayGo(budget, *job, Bytes, ticket)) {
            if (job->cancelled && job->cancelled->load()) {
                leaveQueue(budget, *job, ticket);
                lock.unlock();
                budget.changed.notify_all();
                throw EPixelGraphic(PGLangStr(PgMsg::Aborted));
            }
            budget.changed.wait_for(lock, kCancelPoll);
        }
        leaveQueue(budget, *job, ticket);
    }
    job->held += Bytes;
    budget.used += Bytes;
    lock.unlock();
    budget.changed.notify_all(); // the next in line may fit as well
    charge.job_ = job;
    charge.bytes_ = Bytes;
    return charge;
}

BudgetCharge::BudgetCharge(BudgetCharge&& Other) noexcept
    : job_(std::move(Other.job_)), bytes_(std::exchange(Other.bytes_, 0))
{
}

BudgetCharge& BudgetCharge::operator=(BudgetCharge&& Other) noexcept
{
    if (this != &Other) {
        release();
        job_ = std::move(Other.job_);
        bytes_ = std::exchange(Other.bytes_, 0);
    }
    return *this;
}

BudgetCharge::~BudgetCharge()
{
    release();
}

void BudgetCharge::release() noexcept
{
    if (!job_)
        return;
    MemoryBudget::State& budget = *job_->budget;
    {
        std::lock_guard lock(budget.mutex);
        if (!job_->ended) { // else it went back with its job
            job_->held -= bytes_;
            budget.used -= bytes_;
        }
    }
    budget.changed.notify_all();
    job_.reset();
    bytes_ = 0;
}
