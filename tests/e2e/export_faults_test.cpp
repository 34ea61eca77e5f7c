// "备份选中" when the world fails in the middle of it, against the real adb
// server and a simulated phone: the phone or the adb server killed during the
// second of five pulls, a file-size limit, a read-only folder, the folder's
// link pointed elsewhere. Afterwards every file under a backup's name is
// whole, and the status says what did not arrive.
#include <signal.h>

#include <algorithm>
#include <functional>
#include <mutex>

#include "packages/package_export.h"
#include "packages/packages_window_support.h"
#include "support/phonesim_process.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using test::PackagesWindowTest;
using namespace std::chrono_literals;

// Starts adb like the real launcher, after letting the test act before each
// pull (counted from 1) and rewrite its command line.
class PullWatchingLauncher final : public platform::ProcessLauncher {
public:
    using BeforePull = std::function<void(int pull, std::vector<std::string>& argv)>;
    PullWatchingLauncher(platform::ProcessLauncher& real, BeforePull before)
        : real_(real), before_(std::move(before)) {}
    Result<std::unique_ptr<platform::ChildOutput>, platform::SpawnError> Start(
        const std::vector<std::string>& argv) override {
        std::vector<std::string> run = argv;
        if (argv.size() > 1 && argv[1] == "pull") {
            std::lock_guard lock(mutex_);
            before_(++pulls_, run);
        }
        return real_.Start(run);
    }
    Result<bool, platform::SpawnError> LaunchDetached(
        const std::vector<std::string>& argv) override {
        return real_.LaunchDetached(argv);
    }

private:
    platform::ProcessLauncher& real_;
    BeforePull before_;
    std::mutex mutex_;
    int pulls_ = 0;
};

// Runs argv in a mount namespace of its own in which folder is read-only;
// the test and everything else still see it writable.
std::vector<std::string> ReadOnlyFor(const std::string& folder, std::vector<std::string> argv) {
    std::vector<std::string> wrapped = {
        "unshare",
        "-rm",
        "sh",
        "-c",
        "mount --bind \"$0\" \"$0\" && mount -o remount,ro,bind \"$0\" \"$0\" && exec \"$@\"",
        folder};
    wrapped.insert(wrapped.end(), argv.begin(), argv.end());
    return wrapped;
}

bool NamespacesAvailable() {
    return test::RunCaptured({"unshare", "-rm", "true"}, 10s).exitCode == 0;
}

class ExportFaultsTest : public PackagesWindowTest {
protected:
    // Five packages on the phone, every row checked and the first marked.
    void SetUpFiveCheckedRows() {
        StartPhoneWithFivePackages(false);
        Refresh();
        window_->Click(ids::kSelectAllButton);
        ClickRow(0);  // marks the first row, and unchecks it:
        ClickRow(0);  // checked again
        ASSERT_EQ(Checks(), std::vector<bool>(5, true));
        for (int r = 0; r < 5; ++r) {
            rowFiles_[r] = List().GetItemText(r, 1);
            packages_[r] = List().GetItemData(r);
        }
    }

    fs::path Folder(const std::string& name) {
        const fs::path f = files_path() / name;
        fs::create_directories(f);
        return f;
    }
    fs::path files_path() const { return files_.path(); }

    // Presses "备份选中" with the folder answered, the pulls run through
    // launcher; while it runs, during() is called on this thread.
    void ExportThrough(platform::ProcessLauncher& launcher, const fs::path& folder,
                       const std::function<void()>& during = {}) {
        CommandRunner runner(launcher, window_->Clock(), [](const std::string&) {});
        CommandRunner* const original = window_->Context().runner;
        window_->Context().runner = &runner;
        window_->Dialogs().folderAnswers.push_back(folder.string());
        window_->Click(ids::kExportButton);
        if (during) during();
        EXPECT_TRUE(WaitForWorkers());
        QApplication::processEvents();
        window_->Context().runner = original;
    }

    // Until the phone has logged its nth held answer to a file asked for.
    bool WaitForHeldPull(int nth = 1) {
        return test::MainWindowHarness::WaitUntil([&] {
            const std::string log = phones_.PhoneLog();
            int holds = 0;
            for (size_t at = log.find("holding the answer to 'RECV"); at != std::string::npos;
                 at = log.find("holding the answer to 'RECV", at + 1)) {
                ++holds;
            }
            return holds >= nth;
        });
    }

    std::vector<std::string> FilesIn(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string PhoneBytes(int row) const {
        return test::ReadFileBytes(phones_.stateDir() / "data" / "app" / rowFiles_[row]);
    }
    std::string Missing(const std::string& cause, std::initializer_list<int> rows) const {
        std::string text = cause + kExportMissingLead;
        bool first = true;
        for (int r : rows) {
            text += (first ? "" : "、") + packages_[r];
            first = false;
        }
        return text;
    }

    std::string rowFiles_[5];
    std::string packages_[5];
};

// The second pull is held by the phone until the test has done its damage.
PullWatchingLauncher::BeforePull HoldSecondPull(test::PhoneFixture& phones) {
    return [&phones](int pull, std::vector<std::string>&) {
        phones.SetControl(0, "pull_delay_ms", pull == 2 ? "3600000" : "0");
    };
}

TEST_F(ExportFaultsTest, PhoneKilledDuringTheSecondOfFivePulls) {
    SetUpFiveCheckedRows();
    const fs::path folder = Folder("备份 一");
    PullWatchingLauncher launcher(*window_->Context().launcher, HoldSecondPull(phones_));
    ExportThrough(launcher, folder, [&] {
        ASSERT_TRUE(WaitForHeldPull()) << phones_.PhoneLog();
        ::kill(phones_.phonePid(), SIGKILL);
    });

    // The first file whole, nothing of the other four; the status says the
    // export did not finish and names the four.
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{rowFiles_[0]});
    EXPECT_EQ(test::ReadFileBytes(folder / rowFiles_[0]), PhoneBytes(0));
    EXPECT_EQ(window_->Text(ids::kOperationStatus), Missing(kExportIncompleteText, {1, 2, 3, 4}));
    EXPECT_NE(window_->Text(ids::kInstallStatus), kExportFolderLostText);
    EXPECT_EQ(window_->Shell().All().size(), 1u);
}

TEST_F(ExportFaultsTest, AdbServerKilledDuringTheSecondOfFivePulls) {
    SetUpFiveCheckedRows();
    const fs::path folder = Folder("备份 二");
    PullWatchingLauncher launcher(*window_->Context().launcher, HoldSecondPull(phones_));
    ExportThrough(launcher, folder, [&] {
        ASSERT_TRUE(WaitForHeldPull()) << phones_.PhoneLog();
        ::kill(phones_.adbServerPid(), SIGKILL);
    });

    // The later pulls start a server of their own, which knows no phone.
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{rowFiles_[0]});
    EXPECT_EQ(test::ReadFileBytes(folder / rowFiles_[0]), PhoneBytes(0));
    EXPECT_EQ(window_->Text(ids::kOperationStatus), Missing(kExportIncompleteText, {1, 2, 3, 4}));
}

TEST_F(ExportFaultsTest, FileSizeLimitCutsTheTwoLargestPulls) {
    SetUpFiveCheckedRows();
    // The packages are 27,919 to 59,595 bytes, the top row the largest; adb
    // is killed by SIGXFSZ past 45,000 bytes, with the part it wrote left.
    const fs::path folder = Folder("满 的 磁盘");
    PullWatchingLauncher launcher(*window_->Context().launcher,
                                  [](int, std::vector<std::string>& argv) {
                                      argv.insert(argv.begin(), {"prlimit", "--fsize=45000", "--"});
                                  });
    ExportThrough(launcher, folder);

    std::vector<std::string> whole = {rowFiles_[2], rowFiles_[3], rowFiles_[4]};
    std::sort(whole.begin(), whole.end());
    EXPECT_EQ(FilesIn(folder), whole);
    for (int r : {2, 3, 4}) EXPECT_EQ(test::ReadFileBytes(folder / rowFiles_[r]), PhoneBytes(r));
    EXPECT_EQ(window_->Text(ids::kOperationStatus), Missing(kExportFolderFullText, {0, 1}));
}

TEST_F(ExportFaultsTest, ReadOnlyFolderGetsNothingAndSaysSo) {
    if (!NamespacesAvailable()) GTEST_SKIP() << "no user and mount namespaces here";
    SetUpFiveCheckedRows();
    const fs::path folder = Folder("只读");
    PullWatchingLauncher launcher(
        *window_->Context().launcher,
        [&](int, std::vector<std::string>& argv) { argv = ReadOnlyFor(folder.string(), argv); });
    ExportThrough(launcher, folder);

    EXPECT_TRUE(FilesIn(folder).empty());
    EXPECT_EQ(window_->Text(ids::kOperationStatus),
              Missing(kExportFolderReadOnlyText, {0, 1, 2, 3, 4}));
}

TEST_F(ExportFaultsTest, FolderLinkPointedElsewhereEndsTheExportAsALostFolder) {
    SetUpFiveCheckedRows();
    const fs::path first = Folder("甲"), second = Folder("乙");
    const fs::path link = files_path() / "链接";
    fs::create_directory_symlink(first, link);
    // Before the second pull the link is swapped, in one step, for one to
    // another folder.
    PullWatchingLauncher launcher(*window_->Context().launcher,
                                  [&](int pull, std::vector<std::string>&) {
                                      if (pull != 2) return;
                                      const fs::path fresh = files_path() / "新链接";
                                      fs::create_directory_symlink(second, fresh);
                                      fs::rename(fresh, link);
                                  });
    ExportThrough(launcher, link);

    // Each pull wrote a whole file where the link pointed at the time; the
    // export stops as soon as it sees the swap, without claiming success.
    EXPECT_EQ(FilesIn(first), std::vector<std::string>{rowFiles_[0]});
    EXPECT_EQ(FilesIn(second), std::vector<std::string>{rowFiles_[1]});
    EXPECT_EQ(test::ReadFileBytes(first / rowFiles_[0]), PhoneBytes(0));
    EXPECT_EQ(test::ReadFileBytes(second / rowFiles_[1]), PhoneBytes(1));
    EXPECT_EQ(window_->Text(ids::kInstallStatus), kExportFolderLostText);
    EXPECT_EQ(window_->Text(ids::kOperationStatus), kExportStartText);
    EXPECT_TRUE(window_->Shell().All().empty());
}

}  // namespace
}  // namespace nimbo
