// The main window as a user meets it: caption, controls, lists, keys, exit,
// and what start-up runs and writes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "adbtool/adb_commands.h"
#include "app/gui/main_dialog.h"
#include "payloads/payloads.h"
#include "support/phonesim_apk.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"
#include "templates/dialog_template.h"
#include "ui/qt/dialog.h"
#include "ui/qt/list_view.h"

namespace nimbo {
namespace {

using test::MainWindowHarness;
using ui::qt::WidgetOf;
using ui::qt::WindowOf;

QRect ToQRect(const imaging::Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

ui::qt::QtListView* QtList(ui::ListView* list) {
    return dynamic_cast<ui::qt::QtListView*>(list);
}

namespace fs = std::filesystem;

std::string FileBytes(const fs::path& p) {
    return test::ReadFileBytes(p);
}

// The bytes the program carries for the file of this name; empty when none.
std::string Embedded(const std::string& fileName) {
    for (const payloads::PayloadInfo& row : payloads::PayloadTable()) {
        if (fileName != row.fileName) continue;
        const auto bytes = payloads::FindPayloadBytes(row.resourceId);
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }
    return {};
}

TEST(MainWindow, CaptionSizeAndDialogUnits) {
    MainWindowHarness h;
    MainDialog& w = h.Open();
    EXPECT_EQ(WindowOf(w).windowTitle().toStdString(), "Nimbo2.3 [PC版]    (Android和Kelvo)");
    // The Song face at 9 points gives the classic 6 x 12 base units, so the
    // window is 452 x 438 units = 678 x 657 pixels, as wide as the banner.
    EXPECT_EQ(w.Units().baseX, 6);
    EXPECT_EQ(w.Units().baseY, 12);
    EXPECT_EQ(WindowOf(w).size(), QSize(678, 657));
}

TEST(MainWindow, EveryTemplateControlAtItsPlaceWithCaption) {
    MainWindowHarness h;
    MainDialog& w = h.Open();
    const auto& tmpl = resources::MainDialogTemplate();
    int index = 0;
    for (const auto& c : tmpl.controls) {
        SCOPED_TRACE(c.id);
        const QString name =
            c.id >= 0 ? QStringLiteral("ctl_%1").arg(c.id) : QStringLiteral("static_%1").arg(index);
        ++index;
        auto* ctl = WindowOf(w).findChild<QWidget*>(name);
        ASSERT_NE(ctl, nullptr);
        const QRect want = ToQRect(w.Units().ToPixels(c.x, c.y, c.cx, c.cy));
        EXPECT_EQ(ctl->pos(), want.topLeft());
        if (c.cls != resources::ControlClass::StaticBitmap &&
            c.cls != resources::ControlClass::StaticIcon) {
            EXPECT_EQ(ctl->size(), want.size());
        }
        EXPECT_EQ(ctl->isVisibleTo(&WindowOf(w)), !(c.style & resources::kHidden));
        if (auto* b = qobject_cast<QAbstractButton*>(ctl)) {
            EXPECT_EQ(b->text().toStdString(), c.text);
        }
        if (c.cls == resources::ControlClass::Static && c.id != ids::kInstallStatus) {
            EXPECT_EQ(qobject_cast<QLabel*>(ctl)->text().toStdString(), c.text);
        }
    }
    auto* banner = WindowOf(w).findChild<QLabel*>(QStringLiteral("static_2"));
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->pixmap().size(), QSize(678, 84));
    EXPECT_EQ(h.Text(ids::kInstallStatus), MainDialog::ReadyText());
    EXPECT_EQ(h.Text(ids::kOperationStatus), "执行后请耐心等待,时间原因未做异常处理");
    EXPECT_EQ(h.Text(ids::kCurrentDevice), "");
    EXPECT_EQ(QApplication::focusWidget(), WidgetOf(w, ids::kDriverButton));
}

TEST(MainWindow, ButtonsCarryTheirIcons) {
    MainWindowHarness h;
    MainDialog& w = h.Open();
    const std::pair<int, int> icons[] = {
        {1021, 148}, {1023, 131}, {1009, 131}, {1002, 136}, {1005, 134}, {1004, 132}, {1010, 144},
        {1000, 133}, {1006, 137}, {1003, 135}, {1015, 155}, {1012, 150}, {1017, 149}, {1016, 148}};
    for (auto [id, icon] : icons) {
        SCOPED_TRACE(id);
        auto* b = qobject_cast<QAbstractButton*>(WidgetOf(w, id));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->property("iconId").toInt(), icon);
    }
    auto* hidden = qobject_cast<QAbstractButton*>(WidgetOf(w, ids::kUninstallButton));
    EXPECT_EQ(hidden->property("iconId").toInt(), 0);
}

TEST(MainWindow, ListHeadersWidthsAndStyles) {
    MainWindowHarness h;
    MainDialog& w = h.Open();
    auto* packages = QtList(w.PackageList());
    ASSERT_EQ(packages->columnCount(), 2);
    EXPECT_EQ(packages->horizontalHeaderItem(0)->text(), "序号");
    EXPECT_EQ(packages->horizontalHeaderItem(1)->text(), "软件名称");
    EXPECT_EQ(packages->columnWidth(0), 41);
    EXPECT_EQ(packages->columnWidth(1), 310);
    EXPECT_EQ(packages->GetExtendedStyle(), 0x167u);
    EXPECT_FALSE(packages->horizontalHeader()->sectionsClickable());

    auto* devices = QtList(w.DeviceList());
    ASSERT_EQ(devices->columnCount(), 3);
    const char* heads[] = {"序号", "类型", "设备"};
    const int widths[] = {50, 60, 140};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(devices->horizontalHeaderItem(i)->text().toStdString(), heads[i]);
        EXPECT_EQ(devices->columnWidth(i), widths[i]);
    }
    EXPECT_EQ(devices->GetExtendedStyle(), 0x163u);
    EXPECT_TRUE(devices->ShowSelectionAlways());
    EXPECT_EQ(w.SharedImageList().Count(), 3);
}

TEST(MainWindow, KeysNeverReachTheControls) {
    MainWindowHarness h;
    MainDialog& w = h.Open();
    auto* edit = qobject_cast<QLineEdit*>(WidgetOf(w, ids::kApkPathEdit));
    edit->setFocus();
    QTest::keyClicks(edit, "abc");
    EXPECT_EQ(edit->text(), "");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(&WindowOf(w), Qt::Key_Enter);
    EXPECT_TRUE(WindowOf(w).isVisible());
    EXPECT_EQ(ui::qt::PeerOf(w).result(), 0);
    // Esc hides the window for good, pausing half a second first.
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(WindowOf(w).isVisible());
    EXPECT_TRUE(w.EscapeHidWindow());
    EXPECT_EQ(h.Clock().Slept(), std::chrono::milliseconds(500));
}

TEST(MainWindow, ExitEndsTheModalLoop) {
    MainWindowHarness h;
    MainDialog w(h.Context(), h.AppSession());
    QTimer::singleShot(
        0, [&] { qobject_cast<QAbstractButton*>(WidgetOf(w, ids::kExitButton))->click(); });
    EXPECT_EQ(w.DoModal(), ui::kIdOk);
}

TEST(MainWindow, CloseBoxEndsTheModalLoopAsCancelled) {
    MainWindowHarness h;
    MainDialog w(h.Context(), h.AppSession());
    QTimer::singleShot(0, [&] { WindowOf(w).close(); });
    EXPECT_EQ(w.DoModal(), ui::kIdCancel);
}

// The window shows before start-up starts adb, writes the payloads and reads
// the device list: those wait for the event loop.
TEST(MainWindow, StartUpRunsAdbOnlyOnceTheWindowShows) {
    MainWindowHarness h;
    MainDialog w(h.Context(), h.AppSession());
    w.Create();
    EXPECT_TRUE(WindowOf(w).isVisible());
    EXPECT_EQ(w.ItemTextNow(ids::kInstallStatus), MainDialog::ReadyText());
    EXPECT_TRUE(h.Launcher().Started().empty());
    EXPECT_FALSE(std::filesystem::exists(h.Context().paths.systemDir / "adb"));
    ASSERT_TRUE(MainWindowHarness::WaitUntil([&] { return w.StartupFinished(); }));
    EXPECT_EQ(h.Launcher().Started().size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(h.Context().paths.systemDir / "adb"));
}

// Start-up stops an old server and waits for the stop before the files it
// runs from are rewritten and a new server is started, outside any pipe;
// nothing else is run.
TEST(MainWindow, StartUpStopsTheOldServerAndThenStartsANewOneDetached) {
    MainWindowHarness h;
    h.Open();
    const std::vector<std::vector<std::string>> expected = {AdbKillServer().argv,
                                                            AdbWaitForDevice().argv};
    EXPECT_EQ(h.Launcher().Started(), expected);
    EXPECT_EQ(h.Launcher().Detached(), std::vector<std::vector<std::string>>{expected[1]});
    EXPECT_EQ(h.Launcher().Running(), 0);
}

// What start-up writes into the system folder is exactly what the program
// carries, and it is what the program then runs: the adb its commands name and
// the companion package the "安装APK版本" button installs.
TEST(MainWindow, StartUpWritesTheSystemFilesTheProgramRuns) {
    MainWindowHarness h;
    h.Open();
    const fs::path sys = h.Context().paths.systemDir;
    int systemFiles = 0;
    for (const payloads::PayloadInfo& row : payloads::PayloadTable()) {
        if (row.folder != payloads::Folder::System) continue;
        SCOPED_TRACE(row.fileName);
        EXPECT_EQ(FileBytes(sys / row.fileName), Embedded(row.fileName));
        ++systemFiles;
    }
    EXPECT_GT(systemFiles, 0);
    // Programs are named bare; the launcher looks in the system folder first.
    const std::string adb = AdbKillServer().argv.front();
    EXPECT_EQ(FileBytes(sys / adb), Embedded(adb));
    EXPECT_NE(fs::status(sys / adb).permissions() & fs::perms::owner_exec, fs::perms::none);

    h.Click(ids::kCompanionInstallButton);
    ASSERT_TRUE(MainWindowHarness::WaitUntil([&] { return h.Workers().Workers().running == 0; }));
    const auto started = h.Launcher().Started();
    ASSERT_EQ(started.size(), 3u);
    const fs::path companion = started.back().back();
    EXPECT_EQ(started.back(), AdbInstall(companion.string()).argv);
    EXPECT_EQ(companion.parent_path(), sys);
    EXPECT_EQ(FileBytes(companion), Embedded(companion.filename().string()));
    // The driver package waits for its own button.
    EXPECT_FALSE(fs::exists(h.Context().paths.driverDir));
}

}  // namespace
}  // namespace nimbo
