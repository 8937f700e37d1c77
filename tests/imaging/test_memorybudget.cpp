#include "imaging/memorybudget.h"
#include "imaging/pgexceptions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
constexpr std::int64_t MB = std::int64_t(1) << 20;

// A job on a thread of its own: it charges First, then (when told) Second, and holds them
// until it is told to end.
class Worker {
public:
    Worker(MemoryBudget& Budget, std::int64_t First, std::int64_t Second = 0)
        : thread_([this, &Budget, First, Second] {
              const BudgetJob job(Budget, &cancelled);
              try {
                  BudgetCharge first = ChargeMemoryBudget(First);
                  charged.set_value();
                  goOn_.get_future().wait();
                  BudgetCharge second = ChargeMemoryBudget(Second);
                  chargedAgain.set_value();
                  end_.get_future().wait();
              } catch (const EPixelGraphic& e) {
                  failure = e.Message();
                  chargedAgain.set_value();
              }
          })
    {
    }
    ~Worker()
    {
        end();
        thread_.join();
    }
    void goOn() { once(goOnSet_, goOn_); }
    void end()
    {
        goOn();
        once(endSet_, end_);
    }
    // Whether the first charge (or the second) has gone through within a while.
    bool hasCharged(std::chrono::milliseconds Within = 100ms) { return ready(charged_, Within); }
    bool hasChargedAgain(std::chrono::milliseconds Within = 100ms) { return ready(chargedAgain_, Within); }

    std::atomic<bool> cancelled{false};
    std::promise<void> charged, chargedAgain;
    std::shared_future<void> charged_ = charged.get_future(), chargedAgain_ = chargedAgain.get_future();
    QString failure;

private:
    static void once(bool& Set, std::promise<void>& Promise)
    {
        if (!std::exchange(Set, true))
            Promise.set_value();
    }
    static bool ready(const std::shared_future<void>& Done, std::chrono::milliseconds Within)
    {
        return Done.wait_for(Within) == std::future_status::ready;
    }
    std::promise<void> goOn_, end_;
    bool goOnSet_ = false, endSet_ = false;
    std::thread thread_;
};

TEST(MemoryBudget, ChargesWaitOnlyWhileTheyWouldPassTheBudget)
{
    MemoryBudget budget(100 * MB);
    {
        Worker a(budget, 60 * MB);
        ASSERT_TRUE(a.hasCharged());
        Worker b(budget, 30 * MB);       // fits beside a
        ASSERT_TRUE(b.hasCharged());
        Worker c(budget, 20 * MB);       // would pass: waits for a
        EXPECT_FALSE(c.hasCharged());
        Worker small(budget, MB / 2);    // below a mebibyte nothing waits
        EXPECT_TRUE(small.hasCharged());
        EXPECT_EQ(budget.InUse(), 90 * MB + MB / 2);
        a.end();
        EXPECT_TRUE(c.hasCharged(5000ms));
    }
    EXPECT_EQ(budget.InUse(), 0); // every job gave back what it held
}

TEST(MemoryBudget, ALargerChargeRunsAloneAndNothingIsRefused)
{
    MemoryBudget budget(100 * MB);
    Worker a(budget, 10 * MB);
    ASSERT_TRUE(a.hasCharged());
    Worker huge(budget, 300 * MB);
    EXPECT_FALSE(huge.hasCharged());
    a.end();
    ASSERT_TRUE(huge.hasCharged(5000ms));
    EXPECT_EQ(budget.InUse(), 300 * MB);
    Worker later(budget, 10 * MB); // waits behind the one that runs alone
    EXPECT_FALSE(later.hasCharged());
    huge.end();
    EXPECT_TRUE(later.hasCharged(5000ms));
}

// Two jobs that each hold memory and wait for more would wait for ever: the older goes on.
TEST(MemoryBudget, HoldersWaitingForEachOtherDoNotDeadlock)
{
    MemoryBudget budget(100 * MB);
    Worker a(budget, 50 * MB, 40 * MB);
    ASSERT_TRUE(a.hasCharged());
    Worker b(budget, 40 * MB, 40 * MB);
    ASSERT_TRUE(b.hasCharged());
    a.goOn();
    EXPECT_FALSE(a.hasChargedAgain());
    b.goOn();
    EXPECT_TRUE(a.hasChargedAgain(5000ms));
    EXPECT_FALSE(b.hasChargedAgain());
    a.end();
    EXPECT_TRUE(b.hasChargedAgain(5000ms));
}

TEST(MemoryBudget, ACancelEndsTheWait)
{
    MemoryBudget budget(100 * MB);
    Worker a(budget, 80 * MB);
    ASSERT_TRUE(a.hasCharged());
    Worker b(budget, 10 * MB, 80 * MB);
    ASSERT_TRUE(b.hasCharged());
    b.goOn();
    EXPECT_FALSE(b.hasChargedAgain());
    b.cancelled = true;
    ASSERT_TRUE(b.hasChargedAgain(1000ms));
    EXPECT_EQ(b.failure, "Operation aborted on user request");
    EXPECT_EQ(budget.InUse(), 80 * MB); // b ended with the failure and gave back its own
}

TEST(MemoryBudget, OutsideAJobNothingIsCharged)
{
    EXPECT_EQ(ChargeMemoryBudget(10 * MB).Bytes(), 0);
    EXPECT_GT(MemoryBudget::DefaultSize(), 0);
    EXPECT_LE(MemoryBudget::DefaultSize(), std::int64_t(1) << 30);
}

} // namespace
