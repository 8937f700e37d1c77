#pragma once
// One memory budget per pool of workers, so that what a file claims cannot make the decodes of
// one pool hold more than the budget at once. A worker runs each job under a BudgetJob; the
// pixel memory and the large buffers a decode makes on that thread are charged to the job. A
// charge that would pass the budget waits until others give theirs back; one larger than the
// whole budget waits until nothing else is held and then runs alone. Nothing is refused for the
// budget alone: when every job that holds memory waits for more, the oldest of them goes on.

#include <atomic>
#include <cstdint>
#include <memory>

class BudgetCharge;
BudgetCharge ChargeMemoryBudget(std::int64_t Bytes);

class MemoryBudget {
public:
    // 1 GiB, or a quarter of the physical memory where that is less.
    static std::int64_t DefaultSize();

    explicit MemoryBudget(std::int64_t Bytes = DefaultSize());
    ~MemoryBudget();
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    std::int64_t Size() const;
    std::int64_t InUse() const;

    struct State;

private:
    friend class BudgetJob;
    std::shared_ptr<State> state_;
};

// A job of a worker, from construction to destruction, on the thread that made it: charges made
// on that thread meanwhile are the job's, and whatever they still hold goes back at its end.
// While a charge waits, a set Cancelled ends the wait with EPixelGraphic (message 29).
class BudgetJob {
public:
    explicit BudgetJob(MemoryBudget& Budget, const std::atomic<bool>* Cancelled = nullptr);
    ~BudgetJob();
    BudgetJob(const BudgetJob&) = delete;
    BudgetJob& operator=(const BudgetJob&) = delete;

    struct State;

private:
    friend BudgetCharge ChargeMemoryBudget(std::int64_t Bytes);
    std::shared_ptr<State> state_;
    BudgetJob* outer_;
};

// Memory charged to a job, given back when the charge ends (or its job did).
class BudgetCharge {
public:
    BudgetCharge() = default;
    BudgetCharge(BudgetCharge&& Other) noexcept;
    BudgetCharge& operator=(BudgetCharge&& Other) noexcept;
    ~BudgetCharge();
    std::int64_t Bytes() const { return bytes_; }

private:
    friend BudgetCharge ChargeMemoryBudget(std::int64_t Bytes);
    void release() noexcept;
    std::shared_ptr<BudgetJob::State> job_;
    std::int64_t bytes_ = 0;
};

// Charges Bytes to the job of this thread, waiting while the budget says so; outside a job it
// charges nothing. Below a mebibyte it never waits.
BudgetCharge ChargeMemoryBudget(std::int64_t Bytes);
