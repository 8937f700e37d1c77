#include "imaging/memorybudget.h"
#include "imaging/pgexceptions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <semaphore>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
constexpr std::int64_t MB = std::int64_t(1) << 20;

// A job on a thread of its own: it makes the first of its charges at once and each further one
// when let go, holds them all and ends when let go once more (or when destroyed).
class Worker {
public:
    Worker(MemoryBudget& Budget, std::vector<std::int64_t> Charges)
        : thread_([this, &Budget, Charges] {
              const BudgetJob job(Budget, &cancelled);
              std::vector<BudgetCharge> held;
              try {
                  for (std::size_t i = 0; i < Charges.size(); ++i) {
                      if (i > 0)
                          go_.acquire();
                      held.push_back(ChargeMemoryBudget(Charges[i]));
                      ++charged_;
                  }
              } catch (const EPixelGraphic& e) {
                  failure = e.Message();
                  ++charged_;
              }
              go_.acquire();
          })
    {
    }
    ~Worker()
    {
        go_.release(8);
        thread_.join();
    }
    void goOn() { go_.release(); }
    // Whether Count charges have gone through (or failed) within a while.
    bool hasCharged(int Count, std::chrono::milliseconds Within = 100ms) const
    {
        const auto until = std::chrono::steady_clock::now() + Within;
        while (charged_ < Count && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(2ms);
        return charged_ >= Count;
    }

    std::atomic<bool> cancelled{false};
    QString failure;

private:
    std::atomic<int> charged_{0};
    std::counting_semaphore<16> go_{0};
    std::thread thread_;
};

TEST(MemoryBudget, ChargesWaitOnlyWhileTheyWouldPassTheBudget)
{
    MemoryBudget budget(100 * MB);
    {
        Worker a(budget, {60 * MB});
        ASSERT_TRUE(a.hasCharged(1));
        Worker b(budget, {30 * MB}); // fits beside a
        ASSERT_TRUE(b.hasCharged(1));
        Worker c(budget, {20 * MB}); // would pass: waits for a
        EXPECT_FALSE(c.hasCharged(1));
        Worker small(budget, {MB / 2}); // below a mebibyte nothing waits
        EXPECT_TRUE(small.hasCharged(1));
        EXPECT_EQ(budget.InUse(), 90 * MB + MB / 2);
        a.goOn();
        EXPECT_TRUE(c.hasCharged(1, 5000ms));
    }
    EXPECT_EQ(budget.InUse(), 0); // every job gave back what it held
}

TEST(MemoryBudget, ALargerChargeRunsAloneAndNothingIsRefused)
{
    MemoryBudget budget(100 * MB);
    Worker a(budget, {10 * MB});
    ASSERT_TRUE(a.hasCharged(1));
    Worker huge(budget, {300 * MB});
    EXPECT_FALSE(huge.hasCharged(1));
    a.goOn();
    ASSERT_TRUE(huge.hasCharged(1, 5000ms));
    EXPECT_EQ(budget.InUse(), 300 * MB);
    Worker later(budget, {10 * MB}); // waits while the large one runs
    EXPECT_FALSE(later.hasCharged(1));
    huge.goOn();
    EXPECT_TRUE(later.hasCharged(1, 5000ms));
}

// Two jobs that each hold memory and wait for more would wait for ever: the older goes on.
TEST(MemoryBudget, HoldersWaitingForEachOtherDoNotDeadlock)
{
    MemoryBudget budget(100 * MB);
    Worker a(budget, {50 * MB, 40 * MB});
    ASSERT_TRUE(a.hasCharged(1));
    Worker b(budget, {40 * MB, 40 * MB});
    ASSERT_TRUE(b.hasCharged(1));
    a.goOn();
    EXPECT_FALSE(a.hasCharged(2));
    b.goOn();
    EXPECT_TRUE(a.hasCharged(2, 5000ms));
    EXPECT_FALSE(b.hasCharged(2));
    a.goOn();
    EXPECT_TRUE(b.hasCharged(2, 5000ms));
}

TEST(MemoryBudget, ACancelEndsTheWait)
{
    MemoryBudget budget(100 * MB);
    Worker a(budget, {80 * MB});
    ASSERT_TRUE(a.hasCharged(1));
    Worker b(budget, {10 * MB, 80 * MB});
    ASSERT_TRUE(b.hasCharged(1));
    b.goOn();
    EXPECT_FALSE(b.hasCharged(2));
    b.cancelled = true;
    ASSERT_TRUE(b.hasCharged(2, 1000ms));
    EXPECT_EQ(b.failure, "Operation aborted on user request");
}

} // namespace
