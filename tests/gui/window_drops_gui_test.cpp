// What the main window takes from the desktop and the mouse beyond its
// buttons: files dropped on it, the device list's context menu, and the
// device every command names when two phones are listed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "adblink/network_devices.h"
#include "app/gui/main_dialog.h"
#include "install/install_workers.h"
#include "support/scripted_server.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"
#include "ui/qt/dialog.h"
#include "ui/qt/list_view.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using test::MainWindowHarness;
using ui::qt::WidgetOf;
using ui::qt::WindowOf;

// A drag of these files from a file manager onto `target`, as Qt delivers
// it: enter first, then the drop. Whether the drop was taken.
bool DropFiles(QWidget& target, const std::vector<fs::path>& files) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const auto& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f.string()));
    mime.setUrls(urls);
    const QPoint at = target.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
    return drop.isAccepted();
}

class WindowDropsTest : public ::testing::Test {
protected:
    fs::path File(const std::string& name) {
        const fs::path path = h_.Root() / name;
        std::ofstream(path) << "PK";
        return path;
    }
    std::string PathField() { return h_.Text(ids::kApkPathEdit); }

    MainWindowHarness h_;
};

TEST_F(WindowDropsTest, AnApkOrABundleFillsThePathFieldAndOtherFilesDoNothing) {
    MainDialog& w = h_.Open();
    QWidget& window = WindowOf(w);
    const fs::path apk = File("游戏 1.apk");
    const fs::path bundle = File("com.x.apks");
    const fs::path text = File("说明.txt");

    EXPECT_TRUE(DropFiles(window, {apk}));
    EXPECT_EQ(PathField(), apk.string());
    EXPECT_TRUE(DropFiles(window, {bundle}));
    EXPECT_EQ(PathField(), bundle.string());
    // Anything else leaves the field as it was, also when dropped right on
    // it: the field never takes the file's name as text.
    EXPECT_FALSE(DropFiles(window, {text}));
    EXPECT_FALSE(DropFiles(*WidgetOf(w, ids::kApkPathEdit), {text}));
    EXPECT_FALSE(DropFiles(window, {apk, text}));
    EXPECT_FALSE(DropFiles(window, {h_.Root() / "gone.apk"}));
    EXPECT_EQ(PathField(), bundle.string());

    // Several APKs of one split app, dropped on the field itself.
    const fs::path split = File("split_config.xxhdpi.apk");
    EXPECT_TRUE(DropFiles(*WidgetOf(w, ids::kApkPathEdit), {apk, split}));
    EXPECT_EQ(PathField(), "\"" + apk.string() + "\" \"" + split.string() + "\"");
    // Nothing was installed by a drop.
    EXPECT_TRUE(h_.Launcher().Started().size() == 0 ||
                h_.Launcher().Started().back()[1] != "install");
}

TEST_F(WindowDropsTest, TheChooserTakesSeveralApksAndOffersBundles) {
    h_.Open();
    const fs::path base = File("base.apk");
    const fs::path split = File("split_zh.apk");
    h_.Dialogs().openFilesAnswers.push_back({base.string(), split.string()});
    h_.Click(ids::kChooseFileButton);
    EXPECT_EQ(PathField(), "\"" + base.string() + "\" \"" + split.string() + "\"");
    ASSERT_FALSE(h_.Dialogs().shown.empty());
    EXPECT_EQ(h_.Dialogs().shown.back().filters.at(0).pattern, "*.apk *.apks");

    h_.Click(ids::kStartInstallButton);
    ASSERT_TRUE(MainWindowHarness::WaitUntil(
        [&] { return h_.Workers().Workers().Foreground() == 0 && h_.Launcher().Running() == 0; }));
    const auto started = h_.Launcher().Started();
    ASSERT_FALSE(started.empty());
    EXPECT_EQ(started.back(), (std::vector<std::string>{"adb", "install-multiple", "-r",
                                                        base.string(), split.string()}));
}

// With one phone listed the command lines stay as they were; with two, each
// names the current phone, and the install status names it too.
TEST_F(WindowDropsTest, TwoListedPhonesMakeEveryCommandNameTheCurrentOne) {
    h_.Launcher().Answer("install", "Performing Streamed Install\r\nSuccess");
    MainDialog& w = h_.Open();
    const fs::path apk = File("a.apk");
    ASSERT_TRUE(w.FillApkPath({apk.string()}));
    auto installWith = [&](const std::string& reply) {
        test::ScriptedServer devices;
        devices.ReadRequest().Send("OKAY").Send(reply).Start();
        h_.UseAdbServerAt(devices.port());
        h_.Click(ids::kRefreshDevicesButton);
        h_.Click(ids::kStartInstallButton);
        EXPECT_TRUE(MainWindowHarness::WaitUntil([&] {
            return h_.Workers().Workers().Foreground() == 0 && h_.Launcher().Running() == 0;
        }));
        QApplication::processEvents();
        return h_.Launcher().Started().back();
    };
    EXPECT_EQ(installWith("0015emulator-5554\tdevice\n"),
              (std::vector<std::string>{"adb", "install", "-r", apk.string()}));
    EXPECT_EQ(h_.Text(ids::kInstallStatus), "安装成功,请在手机功能表中运行使用");
    EXPECT_EQ(
        installWith("002demulator-5554\tdevice\n192.168.1.9:5555\tdevice\n"),
        (std::vector<std::string>{"adb", "-s", "emulator-5554", "install", "-r", apk.string()}));
    EXPECT_EQ(h_.Text(ids::kInstallStatus), "emulator-5554: 安装成功,请在手机功能表中运行使用");
}

TEST_F(WindowDropsTest, TheDeviceListsContextMenuOffersConnectAndForNetworkPhonesDisconnect) {
    h_.Launcher().Answer("connect", "failed to connect to '10.0.0.7:5555': Connection refused\n");
    MainDialog& w = h_.Open();
    test::ScriptedServer devices;
    devices.ReadRequest().Send("OKAY").Send("0018192.168.1.9:5555\tdevice\n").Start();
    h_.UseAdbServerAt(devices.port());
    h_.Click(ids::kRefreshDevicesButton);

    // A right click on the list opens the menu; cancelled, nothing happens.
    auto& list = MainWindowHarness::QtList(w.DeviceList());
    const QPoint at = list.viewport()->rect().center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &click);
    QApplication::processEvents();
    ASSERT_EQ(h_.Dialogs().menusShown.size(), 1u);
    EXPECT_EQ(h_.Dialogs().menusShown[0], (std::vector<std::string>{kConnectMenuText}));

    // The network phone marked: disconnect is offered too.
    list.SetSelectionMark(0);
    h_.Dialogs().menuAnswers.push_back(0);
    h_.Dialogs().textAnswers.push_back(" 10.0.0.7:5555 ");
    w.OnDeviceListMenu();
    EXPECT_EQ(h_.Dialogs().menusShown.back(),
              (std::vector<std::string>{kConnectMenuText, kDisconnectMenuText}));
    ASSERT_TRUE(MainWindowHarness::WaitUntil([&] {
        return h_.Text(ids::kOperationStatus) ==
               "无线设备连接失败: failed to connect to '10.0.0.7:5555': Connection refused";
    }));
    EXPECT_EQ(h_.Launcher().Started().back(),
              (std::vector<std::string>{"adb", "connect", "10.0.0.7:5555"}));

    // An address adb could misread never reaches it.
    h_.Dialogs().menuAnswers.push_back(0);
    h_.Dialogs().textAnswers.push_back("-s 1:2");
    const size_t ran = h_.Launcher().Started().size();
    w.OnDeviceListMenu();
    EXPECT_EQ(h_.Text(ids::kOperationStatus), kBadAddressText);
    EXPECT_EQ(h_.Launcher().Started().size(), ran);
}

}  // namespace
}  // namespace nimbo
