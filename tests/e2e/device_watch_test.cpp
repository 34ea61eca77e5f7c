// The device list following the phones by itself through the real adb
// server: a phone that starts after the window is listed with no click and
// goes when it stops; network phones connected and disconnected from the
// list's context menu, with the texts the user sees.
#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "adblink/network_devices.h"
#include "support/phone_fixture.h"
#include "support/phonesim_process.h"
#include "support_gui/device_rows.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;
using test::MainWindowHarness;
using Clock = std::chrono::steady_clock;

bool Listed(MainWindowHarness& window, const std::string& serial) {
    for (const auto& s : test::ListedSerials(window)) {
        if (s == serial) return true;
    }
    return false;
}

class DeviceWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<MainWindowHarness>(MainWindowHarness::Adb::Real);
        window_->Context().trackDevices = true;
        window_->Open();
    }
    void TearDown() override {
        EXPECT_TRUE(MainWindowHarness::WaitUntil(
            [&] { return window_->Workers().Workers().Foreground() == 0; }));
        EXPECT_TRUE(phones_.Stop()) << phones_.error();
        window_.reset();
    }
    // Starts the phones' server. The window's start-up has started a server
    // on the harness's own port, and the watch follows that one; stopping it
    // sends the watch to the phones' server, as a restarted server would.
    bool StartPhones(int count) {
        const char* windowPort = std::getenv("ANDROID_ADB_SERVER_PORT");
        const std::string port = windowPort ? windowPort : "";
        if (!phones_.Start(count)) return false;
        if (!port.empty()) {
            test::RunCaptured({"env", "ANDROID_ADB_SERVER_PORT=" + port, "adb", "kill-server"},
                              10s);
        }
        return true;
    }
    // How long until pred held, in milliseconds; -1 when it never did.
    static long Took(const std::function<bool()>& pred) {
        const auto start = Clock::now();
        if (!MainWindowHarness::WaitUntil(pred)) return -1;
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    }

    std::unique_ptr<MainWindowHarness> window_;
    test::PhoneFixture phones_;
};

TEST_F(DeviceWatchTest, APhoneStartedLaterComesAndGoesWithNoClick) {
    ASSERT_TRUE(StartPhones(0)) << phones_.error();
    EXPECT_EQ(window_->Workers().Workers().background, 1);
    const int phone = phones_.AddPhone(true);
    ASSERT_GE(phone, 0) << phones_.error();
    const std::string serial = phones_.serial(phone);
    const long appeared = Took([&] { return Listed(*window_, serial); });
    ASSERT_GE(appeared, 0) << "never listed";
    EXPECT_EQ(window_->Text(ids::kCurrentDevice), serial);
    auto& list = MainWindowHarness::QtList(window_->Window().DeviceList());
    EXPECT_EQ(list.GetItemText(0, 1), "模拟器");

    ASSERT_TRUE(phones_.StopPhone(phone));
    const long gone = Took([&] { return !Listed(*window_, serial); });
    ASSERT_GE(gone, 0) << "never dropped";
    // Measured, not asserted: the machine may be busy.
    std::printf("listed after %ld ms, dropped after %ld ms\n", appeared, gone);
    RecordProperty("appeared_ms", static_cast<int>(appeared));
    RecordProperty("dropped_ms", static_cast<int>(gone));
}

TEST_F(DeviceWatchTest, ConnectAndDisconnectFromTheContextMenu) {
    ASSERT_TRUE(StartPhones(1)) << phones_.error();
    const std::string serial = phones_.serial(0);
    ASSERT_NE(phones_.RunAdb({"disconnect", serial}).output.find("disconnected"),
              std::string::npos);
    ASSERT_GE(Took([&] { return !Listed(*window_, serial); }), 0);

    window_->Dialogs().menuAnswers.push_back(0);
    window_->Dialogs().textAnswers.push_back(serial);
    window_->Window().OnDeviceListMenu();
    EXPECT_EQ(window_->Text(ids::kOperationStatus), kConnectingText + serial);
    ASSERT_GE(Took([&] { return window_->Text(ids::kOperationStatus) == kConnectedText + serial; }),
              0)
        << window_->Text(ids::kOperationStatus);
    ASSERT_GE(Took([&] { return Listed(*window_, serial); }), 0);

    // A closed port: adb says so, and exits with 0 all the same.
    const std::string closed = "127.0.0.1:" + std::to_string(test::FreeLoopbackPort());
    window_->Dialogs().menuAnswers.push_back(0);
    window_->Dialogs().textAnswers.push_back(closed);
    window_->Window().OnDeviceListMenu();
    ASSERT_GE(
        Took([&] { return window_->Text(ids::kOperationStatus).starts_with(kConnectFailedText); }),
        0);
    EXPECT_EQ(window_->Text(ids::kOperationStatus), std::string(kConnectFailedText) +
                                                        "failed to connect to '" + closed +
                                                        "': Connection refused");

    ASSERT_TRUE(test::ClickDevice(*window_, serial));
    window_->Dialogs().menuAnswers.push_back(1);
    window_->Window().OnDeviceListMenu();
    ASSERT_GE(
        Took([&] { return window_->Text(ids::kOperationStatus) == kDisconnectedText + serial; }), 0)
        << window_->Text(ids::kOperationStatus);
    ASSERT_GE(Took([&] { return !Listed(*window_, serial); }), 0);
}

}  // namespace
}  // namespace nimbo
