// The widget tests run no adb. An adb that records every start is put first on
// PATH; the main window then goes through every path that reaches adb or its
// server (start-up, both refreshes, both installs, an export, a screenshot)
// and the record stays empty, while the window's launcher shows each command
// was asked for. ctest runs the whole gui tier with such a PATH as well
// (cmake/NimboTesting.cmake); this test proves the harness itself, and that
// the record would see a start at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "capture/gui/screenshot_dialog.h"
#include "capture/screenshot_window_access.h"
#include "platform/process.h"
#include "support/phonesim_apk.h"
#include "support/scripted_server.h"
#include "support/test_paths.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using test::MainWindowHarness;
using Argv = std::vector<std::string>;

class NoAdbInWidgetTests : public ::testing::Test {
protected:
    // Before any window or thread exists, so the change of PATH races nothing.
    static void SetUpTestSuite() {
        recorder_ = new test::TempDir;
        const fs::path adb = recorder_->path() / "adb";
        std::ofstream(adb) << "#!/bin/sh\n"
                           << "echo \"adb $*\" >> '" << Record().string() << "'\n"
                           << "exit 1\n";
        ::chmod(adb.c_str(), 0755);
        const char* path = std::getenv("PATH");
        savedPath_ = path ? std::optional<std::string>(path) : std::nullopt;
        ::setenv("PATH", (recorder_->path().string() + ":" + savedPath_.value_or("")).c_str(), 1);
    }
    static void TearDownTestSuite() {
        if (savedPath_) {
            ::setenv("PATH", savedPath_->c_str(), 1);
        } else {
            ::unsetenv("PATH");
        }
        delete recorder_;
        recorder_ = nullptr;
    }

    static fs::path Record() { return recorder_->path() / "starts"; }
    static std::string Recorded() {
        return fs::exists(Record()) ? test::ReadFileBytes(Record()) : std::string();
    }

    static test::TempDir* recorder_;
    static std::optional<std::string> savedPath_;
};

test::TempDir* NoAdbInWidgetTests::recorder_ = nullptr;
std::optional<std::string> NoAdbInWidgetTests::savedPath_;

bool Ran(const std::vector<Argv>& started, const std::string& word) {
    for (const Argv& argv : started) {
        if (std::find(argv.begin(), argv.end(), word) != argv.end()) return true;
    }
    return false;
}

// Without this the empty record below would prove nothing.
TEST_F(NoAdbInWidgetTests, TheRecordSeesAnAdbStartedThroughPath) {
    test::TempDir emptySystemDir;
    auto launcher = platform::MakeSystemProcessLauncher(emptySystemDir.path());
    auto child = launcher->Start({"adb", "devices"});
    ASSERT_TRUE(child.ok());
    char buffer[64];
    while ((*child)->Read(buffer) > 0) {
    }
    child.value().reset();
    EXPECT_EQ(Recorded(), "adb devices\n");
    fs::remove(Record());
}

TEST_F(NoAdbInWidgetTests, EveryWindowPathThatReachesAdbStartsNone) {
    ASSERT_EQ(Recorded(), "");
    MainWindowHarness h;
    h.Launcher().Answer("list",
                        "package:/data/app/com.a-1.apk=com.a\r\n"
                        "package:/data/app/com.b-1.apk=com.b\r\n");
    h.Launcher().Answer("install", "Performing Streamed Install\r\nSuccess");
    MainDialog& w = h.Open();

    test::ScriptedServer devices;
    devices.ReadRequest().Send("OKAY").Send("0012emulator-5554\tdevice\n").Start();
    h.UseAdbServerAt(devices.port());
    h.Click(ids::kRefreshDevicesButton);
    ASSERT_EQ(h.Text(ids::kCurrentDevice), "emulator-5554");

    // The listing fills the list through the window's thread: the loop runs.
    h.Click(ids::kRefreshPackagesButton);
    ASSERT_TRUE(MainWindowHarness::WaitUntil([&] {
        return h.Workers().Workers().running == 0 && w.PackageList()->GetItemCount() == 2;
    }));

    const fs::path apk = h.Root() / "a.apk";
    std::ofstream(apk) << "PK";
    h.Dialogs().openFileAnswers.push_back(apk.string());
    h.Click(ids::kChooseFileButton);
    h.Click(ids::kStartInstallButton);
    h.Click(ids::kCompanionInstallButton);

    h.Click(ids::kSelectAllButton);
    w.PackageList()->SetSelectionMark(0);  // as a click on a row leaves it
    h.Dialogs().folderAnswers.push_back(h.Root().string());
    h.Click(ids::kExportButton);

    // The screenshot window asks the server the test named (nothing listens
    // there by now) and never the adb tool.
    h.UseAdbServerAt(test::ScriptedServer::UnusedPort());
    h.Click(ids::kScreenshotButton);
    auto windows = test::ScreenshotWindowsOf(w);
    ASSERT_EQ(windows.size(), 1u);
    test::Press(*windows[0], ids::kShotRefreshButton);
    EXPECT_NE(windows[0]->ItemTextNow(ids::kShotStatus), "成功完成");

    ASSERT_TRUE(MainWindowHarness::WaitUntil(
        [&] { return h.Workers().Workers().running == 0 && h.Launcher().Running() == 0; }));
    h.CloseWindow();

    const std::vector<Argv> started = h.Launcher().Started();
    for (const char* word : {"kill-server", "wait-for-device", "list", "install", "pull"}) {
        EXPECT_TRUE(Ran(started, word)) << word << " was never asked for";
    }
    EXPECT_EQ(Recorded(), "");
}

}  // namespace
}  // namespace nimbo
