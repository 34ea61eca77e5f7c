#pragma once
// A test fixture with the main window and a private adb server with simulated
// phones. The window comes first: its start-up stops whatever adb server the
// environment names, so the phones' server must come after it. Teardown waits
// for the window's workers to end by themselves before the phones go, so a
// worker cut off by the phones' end cannot hide a test's fault.
#include <gtest/gtest.h>

#include <memory>

#include "support/phone_fixture.h"
#include "support_gui/main_window_harness.h"

namespace nimbo::test {

class WindowWithPhonesTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<MainWindowHarness>(MainWindowHarness::Adb::Real);
        window_->Open();
    }
    void TearDown() override {
        EXPECT_TRUE(WaitForWorkers());
        EXPECT_TRUE(phones_.Stop()) << phones_.error();
        window_.reset();
    }

    // Until none of the window's install, listing or export workers runs
    // (the watch on the device list runs on).
    bool WaitForWorkers() {
        return MainWindowHarness::WaitUntil(
            [&] { return window_->Workers().Workers().Foreground() == 0; });
    }

    std::unique_ptr<MainWindowHarness> window_;
    PhoneFixture phones_;
};

}  // namespace nimbo::test
