// "备份选中" against the real adb and a simulated phone: the checked rows'
// APKs end in the chosen folder byte for byte, one after another, and the
// folder opens once; the cases where nothing or only part is exported.
#include <atomic>

#include "packages/package_export.h"
#include "packages/packages_window_support.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using test::PackagesWindowTest;

// Starts adb like the real launcher, but removes the export folder as soon as
// the first pull has started.
class FolderRemovingLauncher final : public platform::ProcessLauncher {
public:
    FolderRemovingLauncher(platform::ProcessLauncher& real, fs::path folder)
        : real_(real), folder_(std::move(folder)) {}
    Result<std::unique_ptr<platform::ChildOutput>, platform::SpawnError> Start(
        const std::vector<std::string>& argv) override {
        const bool pull = argv.size() > 1 && argv[1] == "pull";
        auto child = real_.Start(argv);
        if (pull && pulls_++ == 0) {
            // adb may be writing into it right now: keep at it until it is gone.
            std::error_code ec;
            while (fs::exists(folder_, ec)) fs::remove_all(folder_, ec);
        }
        return child;
    }
    Result<bool, platform::SpawnError> LaunchDetached(
        const std::vector<std::string>& argv) override {
        return real_.LaunchDetached(argv);
    }
    int Pulls() const { return pulls_; }

private:
    platform::ProcessLauncher& real_;
    fs::path folder_;
    std::atomic<int> pulls_{0};
};

class PackagesExportTest : public PackagesWindowTest {
protected:
    fs::path Folder(const std::string& name) {
        const fs::path f = files_.path() / name;
        fs::create_directories(f);
        return f;
    }

    // Presses "备份选中" with the folder answered and waits for the export.
    void Export(const fs::path& folder) {
        window_->Dialogs().folderAnswers.push_back(folder.string());
        window_->Click(ids::kExportButton);
        ASSERT_TRUE(WaitForWorkers());
        QApplication::processEvents();
    }

    std::string PhoneBytes(const std::string& name) const {
        return test::ReadFileBytes(phones_.stateDir() / "data" / "app" / name);
    }

    size_t FilesIn(const fs::path& folder) {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
        return n;
    }
};

TEST_F(PackagesExportTest, ThreeCheckedRowsLandInAFolderWithBlanksAndChineseAndItOpensOnce) {
    StartPhoneWithFivePackages(false);
    Refresh();
    ClickRow(0);
    ClickRow(2);
    ClickRow(4);
    const fs::path folder = Folder("导出 的 软件 (备份)");
    Export(folder);

    EXPECT_EQ(window_->Text(ids::kOperationStatus), kExportDoneText);
    EXPECT_EQ(FilesIn(folder), 3u);
    for (const char* name :
         {"com.example.p5-1.apk", "com.example.p3-1.apk", "com.example.p1-1.apk"}) {
        ASSERT_TRUE(fs::exists(folder / name)) << name;
        EXPECT_EQ(test::ReadFileBytes(folder / name), PhoneBytes(name)) << name;
    }
    const auto opened = window_->Shell().All();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].target, folder.string());
    EXPECT_TRUE(opened[0].folder);
    EXPECT_EQ(window_->AppSession().packages.ExportFolder(), folder.string());
}

TEST_F(PackagesExportTest, NewerLayoutGivesEveryPackageAFileNamedAfterIt) {
    StartPhoneWithFivePackages(true);
    Refresh();
    ClickRow(1);
    ClickRow(2);
    ClickRow(3);
    std::vector<std::pair<std::string, std::string>> expected;  // row path, package
    for (int r : {1, 2, 3}) expected.push_back({List().GetItemText(r, 1), List().GetItemData(r)});
    const fs::path folder = Folder("新 布局");
    Export(folder);

    EXPECT_EQ(window_->Text(ids::kOperationStatus), kExportDoneText);
    EXPECT_EQ(FilesIn(folder), 3u);
    for (const auto& [path, package] : expected) {
        ASSERT_TRUE(fs::exists(folder / (package + ".apk"))) << package;
        EXPECT_EQ(test::ReadFileBytes(folder / (package + ".apk")), PhoneBytes(path)) << package;
    }
    EXPECT_EQ(window_->Shell().All().size(), 1u);
}

// "全选" checks every row and marks none; the export still takes them all.
TEST_F(PackagesExportTest, CheckAllThenExportTakesEveryRowWithoutAClick) {
    StartPhoneWithFivePackages(false);
    Refresh();
    window_->Click(ids::kSelectAllButton);
    ASSERT_EQ(List().GetSelectionMark(), -1);
    const fs::path folder = Folder("全部 备份");
    Export(folder);

    EXPECT_EQ(window_->Text(ids::kOperationStatus), kExportDoneText);
    EXPECT_EQ(FilesIn(folder), 5u);
    for (const std::string& name : PhoneOrder()) {
        ASSERT_TRUE(fs::exists(folder / name)) << name;
        EXPECT_EQ(test::ReadFileBytes(folder / name), PhoneBytes(name)) << name;
    }
    EXPECT_EQ(window_->Shell().All().size(), 1u);
}

TEST_F(PackagesExportTest, NothingCheckedSaysSo) {
    StartPhoneWithFivePackages(false);
    Refresh();
    ClickRow(1);
    ClickRow(1);  // marked, but unchecked again
    const fs::path folder = Folder("空 的");
    Export(folder);
    EXPECT_EQ(window_->Text(ids::kOperationStatus), kNothingCheckedText);
    EXPECT_EQ(fs::canonical(platform::GetCurrentDirectory()), fs::canonical(folder));
    EXPECT_EQ(FilesIn(folder), 0u);
    EXPECT_TRUE(window_->Shell().All().empty());
}

TEST_F(PackagesExportTest, FolderRemovedDuringTheFirstPullStopsTheBatch) {
    StartPhoneWithFivePackages(false);
    Refresh();
    ClickRow(0);
    ClickRow(1);
    ClickRow(2);
    const fs::path folder = Folder("会 消失");
    FolderRemovingLauncher launcher(*window_->Context().launcher, folder);
    CommandRunner runner(launcher, window_->Clock(), [](const std::string&) {});
    CommandRunner* const original = window_->Context().runner;
    window_->Context().runner = &runner;
    Export(folder);
    window_->Context().runner = original;

    EXPECT_EQ(launcher.Pulls(), 1);
    EXPECT_EQ(window_->Text(ids::kInstallStatus), kExportFolderLostText);
    EXPECT_EQ(window_->Text(ids::kOperationStatus), kExportStartText);
    EXPECT_TRUE(window_->Shell().All().empty());
    // adb may have left its copy under the folder's name; no folder came back.
    EXPECT_FALSE(fs::is_directory(folder));
}

}  // namespace
}  // namespace nimbo
