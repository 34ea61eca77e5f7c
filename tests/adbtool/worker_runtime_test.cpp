// The worker runtime: a stop ends the adb child of every worker and joins
// them, a worker deaf to its token is given up after the bound, nothing starts
// once stopped, and the counts follow the threads. Children here never end on
// their own: only a cancel (or a test's failure guard) ends them.
#include "adbtool/worker_runtime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "support/fakes.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;

// Failure guard for every wait below; no test relies on its length.
constexpr auto kGuard = 60s;

// Children whose output never ends until they are cancelled.
class HangingLauncher final : public platform::ProcessLauncher {
public:
    Result<std::unique_ptr<platform::ChildOutput>, platform::SpawnError> Start(
        const std::vector<std::string>&) override {
        std::lock_guard lock(mutex_);
        ++started_;
        changed_.notify_all();
        return std::unique_ptr<platform::ChildOutput>(std::make_unique<Child>(*this));
    }
    Result<bool, platform::SpawnError> LaunchDetached(const std::vector<std::string>&) override {
        return true;
    }

    int Started() {
        std::lock_guard lock(mutex_);
        return started_;
    }
    int Cancelled() {
        std::lock_guard lock(mutex_);
        return cancelled_;
    }
    bool WaitForStarts(int n) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kGuard, [&] { return started_ >= n; });
    }

private:
    class Child final : public platform::ChildOutput {
    public:
        explicit Child(HangingLauncher& owner) : owner_(owner) {}
        long Read(std::span<char>) override {
            std::unique_lock lock(owner_.mutex_);
            // Without a cancel the output "ends" after the guard, so a broken
            // stop fails the test instead of hanging it.
            return owner_.changed_.wait_for(lock, kGuard, [&] { return cancelled_; }) ? -1 : 0;
        }
        void Cancel() override {
            std::lock_guard lock(owner_.mutex_);
            if (!cancelled_) ++owner_.cancelled_;
            cancelled_ = true;
            owner_.changed_.notify_all();
        }

    private:
        HangingLauncher& owner_;
        bool cancelled_ = false;
    };

    std::mutex mutex_;
    std::condition_variable changed_;
    int started_ = 0;
    int cancelled_ = 0;
};

// Opens once; until then a worker that waits on it ignores every stop.
class Gate {
public:
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        cv_.notify_all();
    }
    void Wait() {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, kGuard, [&] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool open_ = false;
};

const AdbCommand kListing{{"adb", "shell", "pm", "list", "packages", "-f"}, "adb shell pm list"};

class WorkerRuntimeTest : public ::testing::Test {
protected:
    HangingLauncher launcher_;
    test::FakeClock clock_;
    std::vector<std::string> log_;
    CommandRunner runner_{launcher_, clock_, [](const std::string&) {}};
};

TEST_F(WorkerRuntimeTest, StopEndsTheAdbChildOfEveryWorkerAndJoinsThemAll) {
    WorkerRuntime workers([this](const std::string& line) { log_.push_back(line); });
    std::mutex outcomesMutex;
    std::vector<RunOutcome> outcomes;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(workers.Start([&](std::stop_token stop) {
            const RunOutcome outcome =
                runner_.RunCommand(kListing, DeliveryMode::Accumulated, {}, stop);
            std::lock_guard lock(outcomesMutex);
            outcomes.push_back(outcome);
        }));
    }
    ASSERT_TRUE(launcher_.WaitForStarts(3));
    EXPECT_EQ(workers.Workers().running, 3);

    EXPECT_TRUE(workers.StopAndJoin(kGuard));
    EXPECT_EQ(launcher_.Cancelled(), 3);
    EXPECT_EQ(outcomes, std::vector<RunOutcome>(3, RunOutcome::Cancelled));
    EXPECT_EQ(workers.Workers().running, 0);
    EXPECT_EQ(workers.Workers().finished, 3);
    EXPECT_TRUE(log_.empty());
}

TEST_F(WorkerRuntimeTest, DestroyingTheRuntimeStopsAndWaitsForItsWorkers) {
    std::atomic<bool> returned{false};
    {
        WorkerRuntime workers;
        ASSERT_TRUE(workers.Start([&](std::stop_token stop) {
            runner_.RunCommand(kListing, DeliveryMode::PerChunk, {}, stop);
            returned = true;
        }));
        ASSERT_TRUE(launcher_.WaitForStarts(1));
    }
    // The worker's last step came before the runtime went, not after.
    EXPECT_TRUE(returned);
    EXPECT_EQ(launcher_.Cancelled(), 1);
}

TEST_F(WorkerRuntimeTest, AWorkerDeafToItsTokenIsReportedStillRunningAfterTheBound) {
    WorkerRuntime workers;
    Gate gate;
    std::atomic<bool> sawStop{false};
    ASSERT_TRUE(workers.Start([&](std::stop_token stop) {
        gate.Wait();
        sawStop = stop.stop_requested();
    }));

    auto stopped = std::async(std::launch::async, [&] { return workers.StopAndJoin(20ms); });
    const bool returnedInTime = stopped.wait_for(kGuard) == std::future_status::ready;
    const int runningAfterTheBound = workers.Workers().running;
    gate.Open();
    ASSERT_TRUE(returnedInTime) << "StopAndJoin waited past its bound";
    EXPECT_FALSE(stopped.get());
    EXPECT_EQ(runningAfterTheBound, 1);

    // Once it does return it is joined like any other.
    EXPECT_TRUE(workers.WaitIdle(kGuard));
    EXPECT_TRUE(sawStop);
    EXPECT_EQ(workers.Workers().finished, 1);
}

TEST_F(WorkerRuntimeTest, OnceStoppedNothingStartsAndNoChildIsLaunched) {
    WorkerRuntime workers;
    EXPECT_TRUE(workers.StopAndJoin(kGuard));  // nothing to wait for
    bool ran = false;
    EXPECT_FALSE(workers.Start([&](std::stop_token) { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_EQ(workers.Workers().running, 0);
    EXPECT_EQ(workers.Workers().finished, 0);

    // A worker stopped before its run begins starts no adb at all.
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(runner_.RunCommand(kListing, DeliveryMode::PerChunk, {}, stop.get_token()),
              RunOutcome::Cancelled);
    EXPECT_EQ(launcher_.Started(), 0);
}

TEST_F(WorkerRuntimeTest, CountsFollowTheThreadsAndWaitIdleStopsNothing) {
    WorkerRuntime workers;
    Gate gate;
    std::atomic<int> stopsSeen{0};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(workers.Start([&](std::stop_token stop) {
            gate.Wait();
            stopsSeen += stop.stop_requested();
        }));
    }
    // Counted from the moment of the start, whether or not the thread has run.
    EXPECT_EQ(workers.Workers().running, 2);
    EXPECT_FALSE(workers.WaitIdle(10ms));
    gate.Open();
    EXPECT_TRUE(workers.WaitIdle(kGuard));
    EXPECT_EQ(stopsSeen, 0);
    EXPECT_EQ(workers.Workers().running, 0);
    EXPECT_EQ(workers.Workers().finished, 2);

    // Finished threads make room: many short workers one after another.
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(workers.Start([](std::stop_token) {}));
    EXPECT_TRUE(workers.WaitIdle(kGuard));
    EXPECT_EQ(workers.Workers().finished, 202);
}

}  // namespace
}  // namespace nimbo

namespace nimbo {
namespace {

// A watch that runs until the stop is counted apart: waiting for the
// workers does not wait for it, the stop ends it with the rest.
TEST(WorkerRuntimeBackground, WaitIdleLeavesItRunningAndTheStopEndsIt) {
    WorkerRuntime workers([](const std::string&) {});
    std::atomic<bool> ended{false};
    ASSERT_TRUE(workers.StartBackground([&](std::stop_token stop) {
        while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
        ended = true;
    }));
    ASSERT_TRUE(workers.Start([](std::stop_token) {}));
    EXPECT_TRUE(workers.WaitIdle(kGuard));
    EXPECT_EQ(workers.Workers().background, 1);
    EXPECT_EQ(workers.Workers().Foreground(), 0);
    EXPECT_FALSE(ended);
    EXPECT_TRUE(workers.StopAndJoin(kGuard));
    EXPECT_TRUE(ended);
    EXPECT_EQ(workers.Workers().running, 0);
    EXPECT_EQ(workers.Workers().background, 0);
}

}  // namespace
}  // namespace nimbo
