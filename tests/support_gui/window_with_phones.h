#pragma once
// A test fixture with the main window and a private adb server with simulated
// phones. The window comes first: its start-up stops whatever adb server the
// environment names, so the phones' server must come after it. Teardown waits
// for every worker, since none may still use the window's runner when it goes.
#include <gtest/gtest.h>

#include <memory>

#include "install/install_workers.h"
#include "packages/package_worker_threads.h"
#include "support/phone_fixture.h"
#include "support_gui/main_window_harness.h"

namespace nimbo::test {

class WindowWithPhonesTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<MainWindowHarness>();
        window_->Open();
    }
    void TearDown() override {
        EXPECT_TRUE(WaitForWorkers());
        EXPECT_TRUE(phones_.Stop()) << phones_.error();
        window_.reset();
    }

    // Until no install or package worker runs.
    static bool WaitForWorkers() {
        return MainWindowHarness::WaitUntil(
            [] { return InstallWorkers().running == 0 && PackageWorkers().running == 0; });
    }

    std::unique_ptr<MainWindowHarness> window_;
    PhoneFixture phones_;
};

}  // namespace nimbo::test
