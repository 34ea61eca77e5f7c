// The main window's "安装USB驱动" button: the package lands in the mapped
// folder and one message box, captioned with the program's name, follows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "driver/usb_driver_package.h"
#include "support/phonesim_apk.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"
#include "ui/dialogs.h"
#include "ui/qt/dialog.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using test::MainWindowHarness;

std::string ReadFile(const fs::path& p) {
    return test::ReadFileBytes(p);
}

std::string Bytes(int resourceId) {
    auto b = payloads::FindPayloadBytes(resourceId);
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

TEST(DriverButton, WritesThePackageAndEndsWithOneNotice) {
    MainWindowHarness h;
    h.Open();
    const platform::Paths& paths = h.Context().paths;
    ASSERT_EQ(paths.driverI386Dir, paths.driverDir / "i386");
    ASSERT_FALSE(fs::exists(paths.driverDir));
    const size_t before = h.Dialogs().MessageBoxes().size();

    h.Click(ids::kDriverButton);
    EXPECT_EQ(ReadFile(paths.driverDir / "android_winusb.inf"), Bytes(141));
    EXPECT_EQ(ReadFile(paths.driverDir / "androidwinusb86.cat"), Bytes(142));
    EXPECT_EQ(ReadFile(paths.driverI386Dir / "WdfCoInstaller01007.dll"), Bytes(145));
    EXPECT_EQ(ReadFile(paths.driverI386Dir / "WinUSBCoInstaller.dll"), Bytes(159));
    EXPECT_EQ(ReadFile(paths.driverI386Dir / "WUDFUpdate_01007.dll"), Bytes(160));
    EXPECT_EQ(ReadFile(paths.driverDir / "51-android.rules"), Bytes(kUdevRulesResourceId));

    auto boxes = h.Dialogs().MessageBoxes();
    ASSERT_EQ(boxes.size(), before + 1);
    EXPECT_EQ(boxes.back().title, QCoreApplication::applicationName().toStdString());
    EXPECT_EQ(boxes.back().title, "Nimbo");
    EXPECT_EQ(boxes.back().text.rfind("USB驱动文件已经释放到 " + paths.driverDir.string(), 0), 0u);
    EXPECT_NE(boxes.back().text.find("sudo cp " + (paths.driverDir / "51-android.rules").string() +
                                     " /etc/udev/rules.d/ && sudo udevadm control --reload-rules"),
              std::string::npos);

    // A second press rewrites the same files and says the same again.
    h.Click(ids::kDriverButton);
    boxes = h.Dialogs().MessageBoxes();
    ASSERT_EQ(boxes.size(), before + 2);
    EXPECT_EQ(boxes[before + 1].text, boxes[before].text);
    EXPECT_EQ(ReadFile(paths.driverDir / "android_winusb.inf"), Bytes(141));
}

TEST(DriverButton, UnwritableHomeStillEndsWithTheNotice) {
    MainWindowHarness h;
    h.Open();
    const fs::path blocked = h.Root() / "blocked-home";
    std::ofstream(blocked) << "a file, not a folder";
    h.Context().paths.driverDir = blocked / "android_usb_windows";
    h.Context().paths.driverI386Dir = h.Context().paths.driverDir / "i386";
    const size_t before = h.Dialogs().MessageBoxes().size();

    h.Click(ids::kDriverButton);
    auto boxes = h.Dialogs().MessageBoxes();
    ASSERT_EQ(boxes.size(), before + 1);
    EXPECT_EQ(boxes.back().title, "Nimbo");
    EXPECT_NE(boxes.back().text.find("没有全部写入"), std::string::npos);
    EXPECT_EQ(boxes.back().text.find("sudo cp"), std::string::npos);
    EXPECT_TRUE(h.Window().IsWindowVisible());
}

TEST(DriverButton, NoticeAsTheDesktopShowsIt) {
    MainWindowHarness h;
    MainDialog& w = h.Open();
    const auto desktop = ui::MakeSystemDialogs();
    h.Context().dialogs = desktop.get();
    std::string title, text;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(top);
            if (!box || !box->isVisible()) continue;
            title = box->windowTitle().toStdString();
            text = box->text().toStdString();
            box->accept();
        }
    });
    ui::qt::WindowOf(w).activateWindow();
    h.Click(ids::kDriverButton);
    EXPECT_EQ(title, "Nimbo");
    EXPECT_NE(text.find(" && sudo udevadm control --reload-rules"), std::string::npos) << text;
}

}  // namespace
}  // namespace nimbo
