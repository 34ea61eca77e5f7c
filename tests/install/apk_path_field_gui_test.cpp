// The install path field filled from outside the chooser: from the command
// line when the window opens, and later from a file path (a drop), as the
// chooser fills it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using test::MainWindowHarness;

fs::path MakeApk(const fs::path& dir, const char* name) {
    fs::create_directories(dir);
    std::ofstream(dir / name) << "PK";
    return dir / name;
}

TEST(ApkPathField, TheCommandLinesFileIsInTheFieldWhenTheWindowOpens) {
    MainWindowHarness h;
    const fs::path apk = MakeApk(h.Root() / "下载", "游戏 1.apk");
    h.Open(apk.string());
    EXPECT_EQ(h.Text(ids::kApkPathEdit), apk.string());
    // The rest of start-up ran as always.
    EXPECT_EQ(h.Text(ids::kInstallStatus), MainDialog::ReadyText());
}

TEST(ApkPathField, AFileGoneBeforeTheWindowOpensLeavesTheFieldEmpty) {
    MainWindowHarness h;
    h.Open((h.Root() / "gone.apk").string());
    EXPECT_EQ(h.Text(ids::kApkPathEdit), "");
    EXPECT_EQ(h.Text(ids::kInstallStatus), MainDialog::ReadyText());
}

TEST(ApkPathField, AFilePathReplacesTheFieldAndAnythingElseLeavesItAlone) {
    MainWindowHarness h;
    const fs::path first = MakeApk(h.Root() / "a", "first.apk");
    const fs::path second = MakeApk(h.Root() / "b", "second.apk");
    MainDialog& w = h.Open(first.string());

    EXPECT_FALSE(w.FillApkPath((h.Root() / "a").string()));
    EXPECT_FALSE(w.FillApkPath((h.Root() / "a" / "none.apk").string()));
    EXPECT_EQ(h.Text(ids::kApkPathEdit), first.string());

    EXPECT_TRUE(w.FillApkPath(second.string()));
    EXPECT_EQ(h.Text(ids::kApkPathEdit), second.string());
}

}  // namespace
}  // namespace nimbo
