// The main window closed while its workers still wait for adb: the workers
// run to their end against the dead window (their writes go nowhere), or the
// session's stop ends them, and nothing they touch has been freed under them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

class WindowClosedWhileWorkersRun : public ::testing::Test {
protected:
    // Two installs, the companion install and a listing, all waiting for adb
    // to answer when the window closes.
    void CloseWithFourWorkersWaitingForAdb() {
        harness_.Launcher().Answer("list", "package:/data/app/com.a-1.apk=com.a\n");
        harness_.Launcher().Answer("install", "Success\n");
        harness_.Open();
        startupCalls_ = harness_.Launcher().Started().size();
        // Every adb the workers start waits to answer until Release().
        harness_.Launcher().Hold();
        const fs::path apk = harness_.Root() / "a b.apk";
        std::ofstream(apk) << "PK";
        harness_.Window().SetItemTextNow(ids::kApkPathEdit, apk.string());
        harness_.Click(ids::kStartInstallButton);
        harness_.Click(ids::kStartInstallButton);  // two installs at once
        harness_.Click(ids::kCompanionInstallButton);
        harness_.Click(ids::kRefreshPackagesButton);
        ASSERT_TRUE(test::MainWindowHarness::WaitUntil([&] { return WorkerAdbCalls() >= 4; }))
            << "adb was called " << WorkerAdbCalls() << " times";
        harness_.CloseWindow();
    }

    // The adb commands the workers started, after start-up's.
    size_t WorkerAdbCalls() { return harness_.Launcher().Started().size() - startupCalls_; }

    test::MainWindowHarness harness_;
    size_t startupCalls_ = 0;
};

TEST_F(WindowClosedWhileWorkersRun, InstallsAndListingFinishAgainstTheClosedWindow) {
    ASSERT_NO_FATAL_FAILURE(CloseWithFourWorkersWaitingForAdb());
    harness_.Launcher().Release();
    // Their hops are refused now, so they end without the window thread.
    WorkerRuntime& workers = harness_.Workers();
    ASSERT_TRUE(workers.WaitIdle(std::chrono::seconds(60)));
    // Three installs and one listing; the window's start-up runs none.
    EXPECT_EQ(workers.Workers().finished, 4);
}

TEST_F(WindowClosedWhileWorkersRun, TheStopThatFollowsEndsTheirAdbAndJoinsThemAll) {
    // The program's end: the window first, then the stop, adb still silent.
    ASSERT_NO_FATAL_FAILURE(CloseWithFourWorkersWaitingForAdb());
    WorkerRuntime& workers = harness_.Workers();
    EXPECT_TRUE(workers.StopAndJoin(std::chrono::seconds(60)));
    EXPECT_EQ(workers.Workers().finished, 4);
    EXPECT_EQ(WorkerAdbCalls(), 4u);  // nothing ran adb again
    EXPECT_EQ(harness_.Launcher().Running(), 0);
}

}  // namespace
}  // namespace nimbo
