// The main window's device list through the real adb server with simulated
// phones connected to it: what a user sees after pressing "刷新设备列表",
// choosing a phone by clicking it, refreshing once the server is gone, and
// the list filling by itself while the server comes up after start-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "adblink/device_list.h"
#include "app/gui/main_dialog.h"
#include "support/phone_fixture.h"
#include "support/phonesim_process.h"
#include "support_gui/main_window_harness.h"
#include "support_gui/window_with_phones.h"
#include "templates/control_ids.h"
#include "ui/qt/dialog.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;
using test::MainWindowHarness;
using test::PhoneFixture;

class DevicesWindowTest : public test::WindowWithPhonesTest {
protected:
    void SetUp() override {
        WindowWithPhonesTest::SetUp();
        list_ = &MainWindowHarness::QtList(window_->Window().DeviceList());
    }

    void Refresh() { window_->Click(ids::kRefreshDevicesButton); }
    std::string Current() { return window_->Text(ids::kCurrentDevice); }
    std::vector<std::string> ListedSerials() const {
        std::vector<std::string> out;
        for (int r = 0; r < list_->GetItemCount(); ++r) out.push_back(list_->GetItemText(r, 2));
        return out;
    }
    // The order in which the server itself lists its devices.
    std::vector<std::string> ServerOrder() const {
        std::istringstream lines(phones_.RunAdb({"devices"}, 20s).output);
        std::vector<std::string> out;
        for (std::string line; std::getline(lines, line);) {
            const size_t tab = line.find('\t');
            if (tab != std::string::npos) out.push_back(line.substr(0, tab));
        }
        return out;
    }
    void ClickRow(int row) {
        const QPoint at = list_->visualItemRect(list_->item(row, 2)).center();
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
    }

    ui::qt::QtListView* list_ = nullptr;
};

TEST_F(DevicesWindowTest, OnePhoneIsListedAndStaysCurrentAfterTheServerStops) {
    ASSERT_TRUE(phones_.Start(1)) << phones_.error();
    const std::string serial = phones_.serial(0);  // 127.0.0.1:PORT
    Refresh();
    ASSERT_EQ(list_->GetItemCount(), 1);
    EXPECT_EQ(list_->GetItemText(0, 0), "1");
    EXPECT_EQ(list_->GetItemText(0, 1), "真机");
    EXPECT_EQ(list_->GetItemText(0, 2), serial);
    EXPECT_EQ(list_->GetItemImage(0), static_cast<int>(DeviceKind::RealDevice));
    EXPECT_EQ(Current(), serial);

    // The server goes away; the environment still names its port.
    phones_.RunAdb({"kill-server"}, 20s);
    ASSERT_TRUE(MainWindowHarness::WaitUntil(
        [&] { return !test::PortIsListening(phones_.adbPort()); }, 20000));
    Refresh();
    EXPECT_EQ(list_->GetItemCount(), 0);
    EXPECT_EQ(Current(), serial);
}

TEST_F(DevicesWindowTest, TwoPhonesInTheServersOrderAndAClickChoosesTheSecond) {
    ASSERT_TRUE(phones_.Start(2)) << phones_.error();
    const std::vector<std::string> order = ServerOrder();
    ASSERT_EQ(order.size(), 2u);
    EXPECT_NE(order[0], order[1]);
    for (const auto& s : order) EXPECT_TRUE(s == phones_.serial(0) || s == phones_.serial(1)) << s;

    Refresh();
    EXPECT_EQ(ListedSerials(), order);
    ASSERT_EQ(list_->GetItemCount(), 2);
    EXPECT_EQ(list_->GetItemText(0, 0), "1");
    EXPECT_EQ(list_->GetItemText(1, 0), "2");
    EXPECT_EQ(list_->GetItemText(1, 1), "真机");
    EXPECT_EQ(Current(), order[0]);

    ClickRow(1);
    EXPECT_EQ(Current(), order[1]);

    // A refresh makes the first device current again.
    Refresh();
    EXPECT_EQ(ListedSerials(), order);
    EXPECT_EQ(Current(), order[0]);
}

TEST(DevicesAtStartUp, TheListFillsWithoutAClickOnceTheServerHasThePhone) {
    MainWindowHarness window(MainWindowHarness::Adb::Real);
    window.Context().startupDeviceRetries = 400;
    window.Context().startupDeviceRetryInterval = 50ms;
    window.Open();
    ui::qt::QtListView* list = &MainWindowHarness::QtList(window.Window().DeviceList());
    auto* retries = ui::qt::WindowOf(window.Window()).findChild<QTimer*>("deviceRetryTimer");
    ASSERT_NE(retries, nullptr);
    EXPECT_TRUE(retries->isActive());

    // The phone's server comes up after the window, as it does after start-up.
    PhoneFixture phones;
    ASSERT_TRUE(phones.Start(1)) << phones.error();
    ASSERT_TRUE(MainWindowHarness::WaitUntil([&] { return list->GetItemCount() == 1; }, 30000));
    EXPECT_EQ(list->GetItemText(0, 2), phones.serial(0));
    EXPECT_EQ(window.Text(ids::kCurrentDevice), phones.serial(0));
    EXPECT_FALSE(retries->isActive());
    EXPECT_TRUE(phones.Stop()) << phones.error();
}

}  // namespace
}  // namespace nimbo
