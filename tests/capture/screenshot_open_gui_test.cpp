// The main window's screenshot button: one more window per press, for the
// device current at that moment, owned by the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>

#include "capture/gui/capture_picture_area.h"
#include "capture/gui/screenshot_dialog.h"
#include "capture/screenshot_window_access.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"
#include "ui/qt/dialog.h"

namespace nimbo {
namespace {

using test::MainWindowHarness;
using test::ScreenshotWindowsOf;
using ui::qt::WindowOf;

TEST(ScreenshotButton, EveryPressOpensOneMoreWindowForTheCurrentDevice) {
    QPointer<QWidget> first, second, third;
    {
        MainWindowHarness harness;
        MainDialog& main = harness.Open();
        main.SetItemTextNow(ids::kCurrentDevice, "phone-one");
        harness.Click(ids::kScreenshotButton);
        main.SetItemTextNow(ids::kCurrentDevice, "phone-two");
        harness.Click(ids::kScreenshotButton);
        QApplication::processEvents();

        auto windows = ScreenshotWindowsOf(main);
        ASSERT_EQ(windows.size(), 2u);
        ScreenshotDialog& one = *windows[0];
        ScreenshotDialog& two = *windows[1];
        first = &WindowOf(one);
        second = &WindowOf(two);
        EXPECT_EQ(one.DeviceSerial(), "phone-one");
        EXPECT_EQ(one.ItemTextNow(ids::kShotDeviceField), "phone-one");
        EXPECT_EQ(two.ItemTextNow(ids::kShotDeviceField), "phone-two");
        EXPECT_TRUE(one.IsWindowVisible());
        EXPECT_TRUE(two.IsWindowVisible());
        // Separate windows of their own, not children drawn inside the main one.
        EXPECT_TRUE(first->isWindow());
        EXPECT_EQ(one.Owner(), &main);
        EXPECT_EQ(one.ItemTextNow(ids::kShotStatus), "未知");

        // Closing hides; the next press opens a fresh window, never the hidden one.
        first->close();
        QApplication::processEvents();
        EXPECT_FALSE(first.isNull());
        EXPECT_FALSE(one.IsWindowVisible());
        main.SetItemTextNow(ids::kCurrentDevice, "");
        harness.Click(ids::kScreenshotButton);
        QApplication::processEvents();
        windows = ScreenshotWindowsOf(main);
        ASSERT_EQ(windows.size(), 3u);
        ScreenshotDialog& three = *windows[2];
        third = &WindowOf(three);
        EXPECT_TRUE(three.IsWindowVisible());
        EXPECT_EQ(three.ItemTextNow(ids::kShotDeviceField), "");
        EXPECT_EQ(three.PictureArea()->Drawing().Width(), 0);

        // Without a device, a refresh says so.
        test::Press(three, ids::kShotRefreshButton);
        EXPECT_EQ(three.ItemTextNow(ids::kShotStatus), "没有找到设备");
    }
    // The main window took every screenshot window with it.
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE(third.isNull());
}

}  // namespace
}  // namespace nimbo
