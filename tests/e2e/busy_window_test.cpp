// The window kept busy, against the real adb server and a simulated phone:
// twenty installs queued by quick clicks, three exports asked for at once, a
// refresh while an export runs. Every job ends, and the last word on each
// status line is true.
#include <QApplication>
#include <algorithm>

#include "install/install_workers.h"
#include "packages/package_export.h"
#include "packages/packages_window_support.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using test::MainWindowHarness;

constexpr const char* kInstalled = "安装成功,请在手机功能表中运行使用";

class BusyWindowTest : public test::PackagesWindowTest {
protected:
    fs::path Folder(const std::string& name) {
        const fs::path f = files_.path() / name;
        fs::create_directories(f);
        return f;
    }
    std::vector<std::string> FilesIn(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // Checks every row; the first click marks row 0 and unchecks it again.
    void CheckEveryRow() {
        window_->Click(ids::kSelectAllButton);
        ClickRow(0);
        ClickRow(0);
        ASSERT_EQ(Checks(), std::vector<bool>(5, true));
    }
};

TEST_F(BusyWindowTest, TwentyQuickInstallClicksAllEndWithAVerdict) {
    // Streamed installs: each sends its bytes on its own stream. (Pushed
    // installs of one file at once share /data/local/tmp/NAME on the phone, so
    // one may remove the copy another is installing from; each then reports
    // its own true failure, but which verdict the line ends on is chance.)
    test::PhoneOptions streamed;
    streamed.modern = true;
    ASSERT_TRUE(phones_.Start(1, streamed)) << phones_.error();
    const fs::path apk = files_.path() / "quick.apk";
    ASSERT_TRUE(test::MakeTestApk(apk, "com.example.quick", 40000));
    window_->Dialogs().openFileAnswers.push_back(apk.string());
    window_->Click(ids::kChooseFileButton);
    const int before = window_->Workers().Workers().finished;
    for (int i = 0; i < 20; ++i) window_->Click(ids::kStartInstallButton);
    ASSERT_TRUE(WaitForWorkers());
    QApplication::processEvents();
    EXPECT_EQ(window_->Workers().Workers().finished - before, 20);
    EXPECT_EQ(window_->Text(ids::kInstallStatus), kInstalled);
    EXPECT_NE(
        phones_.RunAdb({"shell", "pm", "list", "packages", "-f"}).output.find("=com.example.quick"),
        std::string::npos);
}

TEST_F(BusyWindowTest, ThreeExportsAtOnceEachFillTheirOwnFolderWhole) {
    StartPhoneWithFivePackages(false);
    Refresh();
    CheckEveryRow();
    std::vector<std::string> names;
    for (int r = 0; r < 5; ++r) names.push_back(List().GetItemText(r, 1));
    std::sort(names.begin(), names.end());
    const fs::path folders[] = {Folder("一"), Folder("二"), Folder("三")};
    for (const fs::path& f : folders) {
        window_->Dialogs().folderAnswers.push_back(f.string());
        window_->Click(ids::kExportButton);
    }
    ASSERT_TRUE(WaitForWorkers());
    QApplication::processEvents();
    for (const fs::path& f : folders) {
        EXPECT_EQ(FilesIn(f), names) << f;
        for (const auto& n : names) {
            EXPECT_EQ(test::ReadFileBytes(f / n),
                      test::ReadFileBytes(phones_.stateDir() / "data" / "app" / n));
        }
    }
    EXPECT_EQ(window_->Text(ids::kOperationStatus), kExportDoneText);
    EXPECT_EQ(window_->Shell().All().size(), 3u);
}

TEST_F(BusyWindowTest, RefreshDuringAnExportIsNotReportedAsAFinishedExport) {
    StartPhoneWithFivePackages(false);
    Refresh();
    CheckEveryRow();
    const std::string first = List().GetItemText(0, 1);
    const fs::path folder = Folder("刷新 时");
    phones_.SetControl(0, "pull_delay_ms", "3600000");
    window_->Dialogs().folderAnswers.push_back(folder.string());
    window_->Click(ids::kExportButton);
    ASSERT_TRUE(MainWindowHarness::WaitUntil([&] {
        return phones_.PhoneLog().find("holding the answer to 'RECV") != std::string::npos;
    }));
    // The refresh empties the list and fills it again, every row unchecked.
    window_->Click(ids::kRefreshPackagesButton);
    ASSERT_TRUE(MainWindowHarness::WaitUntil(
        [&] { return window_->Text(ids::kOperationStatus) == kListingDoneText; }));
    phones_.SetControl(0, "pull_delay_ms", "0");
    ASSERT_TRUE(WaitForWorkers());
    QApplication::processEvents();

    // The pull under way finished; the rest of the checked rows went with the
    // old list, and the status says so.
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{first});
    EXPECT_EQ(window_->Text(ids::kOperationStatus), kExportListRefreshedText);
    EXPECT_EQ(List().GetItemCount(), 5);
}

}  // namespace
}  // namespace nimbo
