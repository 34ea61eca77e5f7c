// The main window's screenshot button: one more window per press, for the
// device current at that moment, owned by the main window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>

#include "capture/gui/capture_picture_area.h"
#include "capture/gui/screenshot_dialog.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

using test::MainWindowHarness;

QList<ScreenshotDialog*> Windows(MainDialog& main) {
    return main.findChildren<ScreenshotDialog*>();
}

TEST(ScreenshotButton, EveryPressOpensOneMoreWindowForTheCurrentDevice) {
    QPointer<ScreenshotDialog> first, second, third;
    {
        MainWindowHarness harness;
        MainDialog& main = harness.Open();
        main.SetItemTextNow(ids::kCurrentDevice, "phone-one");
        harness.Click(ids::kScreenshotButton);
        main.SetItemTextNow(ids::kCurrentDevice, "phone-two");
        harness.Click(ids::kScreenshotButton);
        QApplication::processEvents();

        auto windows = Windows(main);
        ASSERT_EQ(windows.size(), 2);
        first = windows[0];
        second = windows[1];
        EXPECT_EQ(first->DeviceSerial(), "phone-one");
        EXPECT_EQ(first->ItemTextNow(ids::kShotDeviceField), "phone-one");
        EXPECT_EQ(second->ItemTextNow(ids::kShotDeviceField), "phone-two");
        EXPECT_TRUE(first->isVisible());
        EXPECT_TRUE(second->isVisible());
        // Separate windows of their own, not children drawn inside the main one.
        EXPECT_TRUE(first->isWindow());
        EXPECT_EQ(first->ItemTextNow(ids::kShotStatus), "未知");

        // Closing hides; the next press opens a fresh window, never the hidden one.
        first->close();
        QApplication::processEvents();
        EXPECT_FALSE(first.isNull());
        EXPECT_FALSE(first->isVisible());
        main.SetItemTextNow(ids::kCurrentDevice, "");
        harness.Click(ids::kScreenshotButton);
        QApplication::processEvents();
        windows = Windows(main);
        ASSERT_EQ(windows.size(), 3);
        third = windows[2];
        EXPECT_TRUE(third->isVisible());
        EXPECT_EQ(third->ItemTextNow(ids::kShotDeviceField), "");
        EXPECT_TRUE(third->PictureArea()->Drawing().isNull());

        // Without a device, a refresh says so.
        qobject_cast<QAbstractButton*>(third->GetDlgItem(ids::kShotRefreshButton))->click();
        EXPECT_EQ(third->ItemTextNow(ids::kShotStatus), "没有找到设备");
    }
    // The main window took every screenshot window with it.
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE(third.isNull());
}

}  // namespace
}  // namespace nimbo
