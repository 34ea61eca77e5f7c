// The session's end: workers that stop in time are joined and the exit code
// comes back; one that does not is reported once and the process ends with
// the exit code at once, before anything it may still use is destroyed.
#include "app/session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace nimbo {
namespace {

using namespace std::chrono_literals;

TEST(EndSession, WorkersThatHeedTheStopAreJoinedAndTheCodeReturned) {
    Session session;
    std::atomic<bool> sawStop{false};
    ASSERT_TRUE(session.workers.Start([&](std::stop_token stop) {
        // Waits for the stop (the guard only keeps a broken stop from hanging).
        const auto guard = std::chrono::steady_clock::now() + 60s;
        while (!stop.stop_requested() && std::chrono::steady_clock::now() < guard) {
            std::this_thread::sleep_for(1ms);
        }
        sawStop = stop.stop_requested();
    }));
    int lines = 0;
    EXPECT_EQ(EndSession(session, 60s, 7, [&](const std::string&) { ++lines; }), 7);
    EXPECT_TRUE(sawStop);
    EXPECT_EQ(session.workers.Workers().running, 0);
    EXPECT_EQ(lines, 0);
}

// Runs in a child process of its own: a worker that never heeds the stop.
[[noreturn]] void EndWithADeafWorker() {
    auto* session = new Session;  // never freed: the process ends under it
    session->workers.Start([](std::stop_token) {
        std::this_thread::sleep_for(60s);  // long past the bound, short of forever
    });
    EndSession(*session, 20ms, 3);
    std::exit(99);  // EndSession came back: the worker would outlive what it uses
}

TEST(EndSessionDeathTest, AWorkerStillRunningEndsTheProcessAtOnceWithTheCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(EndWithADeafWorker(), ::testing::ExitedWithCode(3),
                "^nimbo: 1 worker thread\\(s\\) still running after the stop; ending at once\n$");
}

}  // namespace
}  // namespace nimbo
