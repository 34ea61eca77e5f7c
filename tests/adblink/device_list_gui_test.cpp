// The main window's device list and current device, fed by a scripted adb
// host server on a loopback port that the window is handed: refresh, kinds
// and icons, what a failure leaves behind, a silent server, and clicks in the
// list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "adblink/gui/device_list_panel.h"
#include "app/gui/main_dialog.h"
#include "support/scripted_server.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"
#include "ui/qt/dialog.h"
#include "ui/qt/qt_pictures.h"

namespace nimbo {
namespace {

using test::MainWindowHarness;
using test::ScriptedServer;
using Row = std::vector<std::string>;

class DeviceListWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.Open();
        list_ = &MainWindowHarness::QtList(window_.Window().DeviceList());
    }

    // Presses 1021 against a server that answers "OKAY" and then `reply`.
    void RefreshWithReply(const std::string& reply) {
        ScriptedServer server;
        server.ReadRequest().Send("OKAY").Send(reply).Start();
        RefreshFrom(server.port());
        EXPECT_EQ(server.Received(), "000chost:devices");
        EXPECT_TRUE(server.ClientClosed());
    }

    void RefreshFrom(uint16_t port) {
        window_.UseAdbServerAt(port);
        window_.Click(ids::kRefreshDevicesButton);
    }

    DeviceListPanel::Fetch LastFetch() { return window_.Window().DevicePanel()->LastFetch(); }

    std::vector<Row> Rows() const {
        std::vector<Row> rows;
        for (int r = 0; r < list_->GetItemCount(); ++r) {
            rows.push_back(
                {list_->GetItemText(r, 0), list_->GetItemText(r, 1), list_->GetItemText(r, 2)});
        }
        return rows;
    }

    std::string Current() { return window_.Text(ids::kCurrentDevice); }

    // A real left click at a point of the list's viewport.
    void ClickAt(QPoint p) {
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        QApplication::processEvents();
    }
    void ClickRow(int row) { ClickAt(list_->visualItemRect(list_->item(row, 2)).center()); }
    void ClickBelowTheRows() {
        const QRect last = list_->visualItemRect(list_->item(list_->GetItemCount() - 1, 1));
        ASSERT_LT(last.bottom() + 10, list_->viewport()->height());
        ClickAt(QPoint(last.center().x(), last.bottom() + 10));
    }

    MainWindowHarness window_;
    ui::qt::QtListView* list_ = nullptr;
};

constexpr const char* kThreeDevices =
    "0057emulator-5554\tdevice\nHT9CYP800123\toffline\nnoise without a tab\n"
    "Emulator-UnKnOwN\tunauthorized\n127.0.0.1:5555\tdevice";

TEST_F(DeviceListWindowTest, RefreshListsEveryDeviceWithKindTextAndIcon) {
    ASSERT_NE(list_, nullptr);
    RefreshWithReply(kThreeDevices);
    // The noise line takes no number; the unterminated last line is not listed.
    EXPECT_EQ(Rows(), (std::vector<Row>{{"1", "模拟器", "emulator-5554"},
                                        {"2", "真机", "HT9CYP800123"},
                                        {"3", "未知", "Emulator-UnKnOwN"}}));
    const int images[] = {1, 0, 2};
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(list_->GetItemImage(r), images[r]);
        // The icon shown is the shared list's image of that kind.
        const QImage shown = list_->item(r, 0)->icon().pixmap(16, 16).toImage();
        const QImage want = ui::ToQPixmap(window_.Window().SharedImageList().Get(images[r]))
                                .scaled(16, 16, Qt::KeepAspectRatio)
                                .toImage();
        EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32),
                  want.convertToFormat(QImage::Format_ARGB32));
    }
    EXPECT_EQ(Current(), "emulator-5554");
}

TEST_F(DeviceListWindowTest, EachRefreshReplacesTheRowsAndFollowsTheFirstDevice) {
    RefreshWithReply(kThreeDevices);
    RefreshWithReply("0014R58M12ABCDE\tdevice\n");
    EXPECT_EQ(Rows(), (std::vector<Row>{{"1", "真机", "R58M12ABCDE"}}));
    EXPECT_EQ(Current(), "R58M12ABCDE");
}

TEST_F(DeviceListWindowTest, AnEmptyOrFailedRefreshEmptiesTheListAndKeepsTheCurrentDevice) {
    using Fetch = DeviceListPanel::Fetch;
    struct Case {
        const char* name;
        std::function<void(ScriptedServer&)> script;
        Fetch fetch;  // an empty list is read again at start-up, a failure is not
    };
    const Case cases[] = {
        {"no devices", [](ScriptedServer& s) { s.ReadRequest().Send("OKAY").Send("0000"); },
         Fetch::Empty},
        {"only noise", [](ScriptedServer& s) { s.ReadRequest().Send("OKAY").Send("0004x\ny\n"); },
         Fetch::Empty},
        {"okay then close", [](ScriptedServer& s) { s.ReadRequest().Send("OKAY").Close(); },
         Fetch::Empty},
        {"refused", [](ScriptedServer& s) { s.ReadRequest().Send("FAIL0006denied"); },
         Fetch::Failed},
        {"closed at once", [](ScriptedServer& s) { s.Close(); }, Fetch::Failed},
    };
    RefreshWithReply("0012first-phone\tdevice\n");
    ASSERT_EQ(Current(), "first-phone");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RefreshWithReply(kThreeDevices);  // rows to be emptied, current moves on
        ASSERT_EQ(list_->GetItemCount(), 3);
        ScriptedServer server;
        c.script(server);
        server.Start();
        RefreshFrom(server.port());
        EXPECT_EQ(list_->GetItemCount(), 0);
        EXPECT_EQ(Current(), "emulator-5554");
        EXPECT_EQ(LastFetch(), c.fetch);
    }
    // Nothing listening at all.
    RefreshWithReply("0012first-phone\tdevice\n");
    RefreshFrom(ScriptedServer::UnusedPort());
    EXPECT_EQ(LastFetch(), Fetch::NoServer);
    EXPECT_EQ(list_->GetItemCount(), 0);
    EXPECT_EQ(Current(), "first-phone");
}

TEST_F(DeviceListWindowTest, ASilentServerIsGivenUpAfterTheListTimeOut) {
    RefreshWithReply("0012first-phone\tdevice\n");
    // The window's own time-outs, shortened: the test is about giving up, not
    // about how long the real ones are.
    window_.Context().deviceListTimeouts = {std::chrono::milliseconds(50),
                                            std::chrono::milliseconds(50)};
    for (bool okayFirst : {false, true}) {
        SCOPED_TRACE(okayFirst ? "silent after OKAY" : "silent from the start");
        ScriptedServer server;
        if (okayFirst) {
            server.ReadRequest().Send("OKAY").Hang();
        } else {
            server.Hang();
        }
        server.Start();
        RefreshFrom(server.port());
        // The click returned on its own: the read timed out and let the window
        // go, with an empty list and the old device.
        EXPECT_EQ(LastFetch(), DeviceListPanel::Fetch::TimedOut);
        EXPECT_EQ(list_->GetItemCount(), 0);
        EXPECT_EQ(Current(), "first-phone");
        EXPECT_TRUE(server.ClientClosed());
    }
}

// Start-up reads the list again while it is empty (the new server is still
// finding the phones), but not from a server that fell silent: that would
// hold the window on every read.
TEST(DeviceListAtStartUp, AnEmptyListIsReadAgainASilentServerIsNot) {
    for (bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "silent after OKAY" : "empty list");
        ScriptedServer server;
        server.ReadRequest().Send("OKAY");
        if (silent) {
            server.Hang();
        } else {
            server.Send("0000");
        }
        server.Start();
        MainWindowHarness h;
        h.UseAdbServerAt(server.port());
        h.Context().deviceListTimeouts = {std::chrono::milliseconds(50),
                                          std::chrono::milliseconds(50)};
        h.Context().startupDeviceRetries = 30;
        h.Context().startupDeviceRetryInterval = std::chrono::seconds(30);  // none runs here
        h.Open();
        auto* retries = ui::qt::WindowOf(h.Window()).findChild<QTimer*>("deviceRetryTimer");
        EXPECT_EQ(retries != nullptr && retries->isActive(), !silent);
        EXPECT_EQ(h.Window().DevicePanel()->LastFetch(),
                  silent ? DeviceListPanel::Fetch::TimedOut : DeviceListPanel::Fetch::Empty);
    }
}

TEST_F(DeviceListWindowTest, AClickTakesTheMarkedRow) {
    RefreshWithReply(kThreeDevices);
    ASSERT_EQ(list_->GetSelectionMark(), -1);
    // No row marked yet: a click below the rows changes nothing.
    window_.Window().SetItemTextNow(ids::kCurrentDevice, "chosen elsewhere");
    ClickBelowTheRows();
    EXPECT_EQ(Current(), "chosen elsewhere");

    ClickRow(1);
    EXPECT_EQ(list_->GetSelectionMark(), 1);
    EXPECT_EQ(Current(), "HT9CYP800123");
    ClickRow(2);
    EXPECT_EQ(Current(), "Emulator-UnKnOwN");

    // Below the rows the marked row is chosen again, whatever 1022 said.
    window_.Window().SetItemTextNow(ids::kCurrentDevice, "chosen elsewhere");
    ClickBelowTheRows();
    EXPECT_EQ(Current(), "Emulator-UnKnOwN");

    // A refresh drops the mark with the rows; the first device is current.
    RefreshWithReply(kThreeDevices);
    EXPECT_EQ(Current(), "emulator-5554");
    EXPECT_EQ(list_->GetSelectionMark(), -1);
    ClickRow(0);
    EXPECT_EQ(Current(), "emulator-5554");
}

TEST_F(DeviceListWindowTest, AClickInAnEmptyListLeavesTheCurrentDevice) {
    RefreshWithReply("0012first-phone\tdevice\n");
    ClickRow(0);
    RefreshWithReply("0000");
    ASSERT_EQ(list_->GetItemCount(), 0);
    ClickAt(QPoint(20, 20));
    EXPECT_EQ(Current(), "first-phone");
}

}  // namespace
}  // namespace nimbo
