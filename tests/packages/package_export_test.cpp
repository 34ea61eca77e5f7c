// Exporting checked packages against a stand-in adb: which pulls run and in
// what order, when nothing is pulled, what the status lines say, and exports
// asked for while another runs.
#include "packages/package_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <stop_token>
#include <thread>

#include "packages/package_test_support.h"
#include "platform/paths.h"
#include "support/phonesim_apk.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::vector<std::string>>;
constexpr std::chrono::seconds kBound{60};

// Whether pred came true within the bound.
bool Eventually(const std::function<bool()>& pred) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A thread the test waits for at most kBound: one still running then is
// stopped (its waits end, its adb child is killed) and joined, so a fault
// fails the test instead of hanging it.
class BoundedThread {
public:
    explicit BoundedThread(std::function<void(std::stop_token)> work)
        : thread_([this, work = std::move(work)](std::stop_token stop) {
              work(stop);
              done_ = true;
          }) {}
    void RequestStop() { thread_.request_stop(); }
    // True when the work returned within the bound.
    bool Join() {
        const bool inTime = Eventually([&] { return done_.load(); });
        thread_.request_stop();
        thread_.join();
        return inTime;
    }

private:
    std::atomic<bool> done_{false};
    std::jthread thread_;
};

// The stand-in adb writes the file a pull names and says so as adb 29 does
// without a terminal; EXTRA runs first and may end the script with "exit".
std::string PullLikeAdb(const std::string& extra = "") {
    return extra + "\n" +
           "if [ \"$1\" = pull ]; then t=\"$3\"; [ -d \"$t\" ] && t=\"$t/${2##*/}\"; "
           "printf 'apk-bytes' > \"$t\" || exit 1; "
           "echo \"$2: 1 file pulled, 0 skipped. 0.1 MB/s (9 bytes in 0.001s)\"; fi";
}

class PackageExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        adb_.Hook(PullLikeAdb());
        savedDir_ = platform::GetCurrentDirectory();
        folder_ = (target_.path() / "备份 文件夹").string();
        fs::create_directories(folder_);
        for (const char* n : {"com.c-1.apk", "com.b-1.apk", "com.a-1.apk"}) {
            rows_->InsertAtTop(n, "");  // a, b, c from the top
        }
        rows_->mark = 0;
    }
    void TearDown() override {
        EXPECT_TRUE(workers_.WaitIdle(std::chrono::seconds(60)));
        platform::SetCurrentDirectory(savedDir_);
    }

    void CheckEveryRow() {
        for (int r = 0; r < rows_->Count(); ++r) rows_->SetChecked(r, true);
    }
    ExportEnd Export() { return ExportWorker(view_, runner_, shell_, folder_); }
    BackupStart Backup() {
        return BackupSelected(*rows_, view_, dialogs_, runner_, shell_, workers_, state_);
    }
    std::vector<std::string> Pull(const std::string& name) const {
        return {"pull", "/data/app/" + name, folder_ + "/" + name + ".partial"};
    }
    size_t FoldersOpened() const { return shell_.All().size(); }
    // The names in a folder, sorted.
    static std::vector<std::string> FilesIn(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::AdbScript adb_;
    test::TempDir target_;
    std::string folder_;
    std::string savedDir_;
    test::FakeClock clock_;
    test::ScriptedDialogs dialogs_;
    test::RecordingShell shell_;
    std::unique_ptr<platform::ProcessLauncher> launcher_ =
        platform::MakeSystemProcessLauncher(adb_.dir());
    CommandRunner runner_{*launcher_, clock_, [](const std::string&) {}};
    std::shared_ptr<test::FakeRows> rows_ = std::make_shared<test::FakeRows>();
    std::shared_ptr<test::RecordingPackagesView> view_ =
        std::make_shared<test::RecordingPackagesView>(rows_);
    PackagesState state_;
    // Last: its workers use everything above.
    WorkerRuntime workers_;
};

TEST(ExportCommandTest, FlatNamesGoIntoTheFolderAndFolderNamesGetThePackageName) {
    EXPECT_EQ(ExportCommand("com.a-1.apk", "com.a", "/home/u/备份 1").argv,
              (std::vector<std::string>{"adb", "pull", "/data/app/com.a-1.apk", "/home/u/备份 1"}));
    EXPECT_EQ(ExportCommand("com.a-1.apk", "com.a", "/b").text,
              "adb pull \"/data/app/com.a-1.apk\" \"/b\"");
    EXPECT_EQ(ExportCommand("~~x==/com.a-y==/base.apk", "com.a", "/b").argv,
              (std::vector<std::string>{"adb", "pull", "/data/app/~~x==/com.a-y==/base.apk",
                                        "/b/com.a.apk"}));
    EXPECT_EQ(ExportCommand("com.a-2/base.apk", "com.a", "/").argv.back(), "/com.a.apk");
    // Without a package name the folder names the copy.
    EXPECT_EQ(ExportCommand("~~x==/com.q-y-z==/base.apk", "", "/b").argv.back(), "/b/com.q.apk");
}

TEST(ExportPromptTest, NamesTheSecondMakersDomain) {
    EXPECT_EQ(
        ExportFolderPrompt(),
        "请选择保存APK文件的目录,我们将导出所有手机中已经安装的软件 【www.tarnwick.example】");
}

TEST_F(PackageExportTest, CheckedRowsArePulledOneByOneTopFirstThenTheFolderOpens) {
    rows_->SetChecked(0, true);
    rows_->SetChecked(2, true);
    rows_->rows.push_back({"~~k==/com.d-m==/base.apk", "com.d", true});
    EXPECT_EQ(Export(), ExportEnd::Finished);
    // The one row in a folder of its own is asked about first: it could be a
    // split app. The phone names no files for it here, so it is one file.
    EXPECT_EQ(adb_.Calls(),
              (Calls{{"shell", "echo '== com.d'; pm path com.d"},
                     Pull("com.a-1.apk"),
                     Pull("com.c-1.apk"),
                     {"pull", "/data/app/~~k==/com.d-m==/base.apk",
                      folder_ + "/com.d.apk.partial"}}));
    ASSERT_EQ(FoldersOpened(), 1u);
    EXPECT_EQ(shell_.All()[0].target, folder_);
    EXPECT_TRUE(shell_.All()[0].folder);
    EXPECT_EQ(view_->OperationStatus(), kExportDoneText);
}

TEST_F(PackageExportTest, RowsCheckedDuringTheExportCountWhenTheirTurnComes) {
    rows_->SetChecked(0, true);
    // The first pull checks the last row and unchecks nothing else.
    adb_.Hook(PullLikeAdb("[ \"$2\" = /data/app/com.a-1.apk ] && touch \"" + adb_.dir().string() +
                          "/seen\""));
    adb_.Hold();
    BoundedThread worker([&](std::stop_token stop) {
        EXPECT_EQ(ExportWorker(view_, runner_, shell_, folder_, stop), ExportEnd::Finished);
    });
    const bool seen = Eventually([&] { return fs::exists(adb_.dir() / "seen"); });
    if (seen) view_->OnWindow([&] { rows_->SetChecked(2, true); });
    adb_.Release();
    ASSERT_TRUE(worker.Join());
    ASSERT_TRUE(seen) << "the first pull never ran";
    EXPECT_EQ(adb_.Calls(), (Calls{Pull("com.a-1.apk"), Pull("com.c-1.apk")}));
}

TEST_F(PackageExportTest, FolderRemovedDuringTheFirstPullStopsTheExport) {
    CheckEveryRow();
    adb_.Hook(PullLikeAdb("rm -rf \"" + folder_ + "\""));
    EXPECT_EQ(Export(), ExportEnd::FolderLost);
    EXPECT_EQ(adb_.Calls(), (Calls{Pull("com.a-1.apk")}));
    EXPECT_EQ(view_->InstallStatus(), kExportFolderLostText);
    EXPECT_EQ(view_->OperationStatus(), "");
    EXPECT_EQ(FoldersOpened(), 0u);
}

TEST_F(PackageExportTest, FailedPullsLeaveNoPartOfAFileAndTheStatusNamesWhatIsMissing) {
    CheckEveryRow();
    rows_->rows[1].packageName = "com.b";
    // b is cut off by a file-size limit after writing part of itself; c's
    // phone has gone away by then; a went through.
    adb_.Hook(PullLikeAdb(
        "case \"$2\" in */com.b-1.apk) printf 'part' > \"$3\"; kill -XFSZ $$;; "
        "*/com.c-1.apk) echo 'adb: error: failed to get feature set: device offline'; exit 1;; "
        "esac"));
    EXPECT_EQ(Export(), ExportEnd::Incomplete);
    EXPECT_EQ(adb_.Calls().size(), 3u);
    EXPECT_EQ(test::ReadFileBytes(fs::path(folder_) / "com.a-1.apk"), "apk-bytes");
    EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"com.a-1.apk"});
    // The first failure names the cause; rows without a package name go by
    // their file name.
    EXPECT_EQ(view_->OperationStatus(),
              std::string(kExportFolderFullText) + kExportMissingLead + "com.b、com.c-1.apk");
    EXPECT_EQ(view_->InstallStatus(), "");
    EXPECT_EQ(FoldersOpened(), 1u);  // what did arrive is there to see
}

TEST_F(PackageExportTest, APullWritesBesideItsBackupWhichOnlyAWholeFileReplaces) {
    CheckEveryRow();
    const fs::path folder(folder_);
    // What an earlier run left: a part of a's file (the program was killed
    // mid-pull) and a whole backup of b.
    std::ofstream(folder / "com.a-1.apk.partial") << "left over";
    std::ofstream(folder / "com.b-1.apk") << "earlier backup";
    // adb writes beside the backup's name, never under it; b's pull is
    // killed from outside halfway.
    adb_.Hook(PullLikeAdb(
        "[ -e \"${3%.partial}\" ] && [ \"${3##*/}\" != com.b-1.apk.partial ] && exit 9; "
        "case \"$2\" in */com.b-1.apk) printf 'part' > \"$3\"; kill -KILL $$;; esac"));
    EXPECT_EQ(Export(), ExportEnd::Incomplete);
    EXPECT_EQ(FilesIn(folder_),
              (std::vector<std::string>{"com.a-1.apk", "com.b-1.apk", "com.c-1.apk"}));
    EXPECT_EQ(test::ReadFileBytes(folder / "com.a-1.apk"), "apk-bytes");
    EXPECT_EQ(test::ReadFileBytes(folder / "com.b-1.apk"), "earlier backup");
    EXPECT_EQ(view_->OperationStatus(),
              std::string(kExportIncompleteText) + kExportMissingLead + "com.b-1.apk");
}

TEST(ExportIncompleteTextTest, NamesTheFirstFiveAndCountsTheRest) {
    EXPECT_EQ(ExportIncompleteText(PullFailure::Connection, {"a"}),
              "导出未完成，请检查和PC的连接，未导出：a");
    EXPECT_EQ(ExportIncompleteText(PullFailure::FolderReadOnly, {"a", "b"}),
              "导出未完成，保存文件夹不允许写入，未导出：a、b");
    EXPECT_EQ(ExportIncompleteText(PullFailure::Connection, {"a", "b", "c", "d", "e", "f", "g"}),
              "导出未完成，请检查和PC的连接，未导出：a、b、c、d、e 等7个软件");
}

TEST_F(PackageExportTest, FileInPlaceOfTheFolderIsNoFolder) {
    CheckEveryRow();
    fs::remove_all(folder_);
    std::ofstream(folder_) << "not a folder";
    EXPECT_EQ(Export(), ExportEnd::FolderLost);
    EXPECT_TRUE(adb_.Calls().empty());  // adb would have written over the file
    EXPECT_EQ(view_->InstallStatus(), kExportFolderLostText);
}

TEST_F(PackageExportTest, AdbThatCannotStartEndsTheExportSilently) {
    CheckEveryRow();
    test::NoProgramLauncher none;
    const CommandRunner noAdb(none, clock_, [](const std::string&) {});
    view_->ShowOperationStatus(kExportStartText);
    EXPECT_EQ(ExportWorker(view_, noAdb, shell_, folder_), ExportEnd::NotStarted);
    EXPECT_EQ(view_->OperationStatus(), kExportStartText);
    EXPECT_EQ(view_->InstallStatus(), "");
    EXPECT_EQ(FoldersOpened(), 0u);
}

TEST_F(PackageExportTest, ClosedWindowEndsTheExportWithoutOpeningTheFolder) {
    CheckEveryRow();
    view_->CloseWindow();
    EXPECT_EQ(Export(), ExportEnd::WindowGone);
    EXPECT_TRUE(adb_.Calls().empty());
    EXPECT_EQ(FoldersOpened(), 0u);
}

// "全选" checks every row without marking one; the export must not depend on
// a row having been clicked.
TEST_F(PackageExportTest, CheckedRowsAreExportedWithoutASelectionMark) {
    CheckEveryRow();
    rows_->mark = -1;
    dialogs_.folderAnswers.push_back(folder_);
    EXPECT_EQ(Backup(), BackupStart::Started);
    ASSERT_TRUE(workers_.WaitIdle(kBound));
    EXPECT_EQ(adb_.Calls().size(), 3u);
    EXPECT_EQ(view_->OperationStatus(), kExportDoneText);
}

TEST_F(PackageExportTest, CancelledChooserDoesNothingMore) {
    CheckEveryRow();
    dialogs_.folderAnswers.push_back(std::nullopt);
    dialogs_.folderAnswers.push_back("");
    for (int i = 0; i < 2; ++i) EXPECT_EQ(Backup(), BackupStart::NoFolder);
    ASSERT_EQ(dialogs_.shown.size(), 2u);
    EXPECT_EQ(dialogs_.shown[0].title, ExportFolderPrompt());
    EXPECT_TRUE(view_->Writes().empty());
    EXPECT_EQ(platform::GetCurrentDirectory(), savedDir_);
}

TEST_F(PackageExportTest, NothingCheckedSaysSoAfterMovingIntoTheFolder) {
    dialogs_.folderAnswers.push_back(folder_);
    EXPECT_EQ(Backup(), BackupStart::NothingChecked);
    using Line = test::FakeWindow::Line;
    EXPECT_EQ(view_->Writes(), (std::vector<std::pair<Line, std::string>>{
                                   {Line::OperationStatus, kExportStartText},
                                   {Line::OperationStatus, kNothingCheckedText}}));
    EXPECT_EQ(fs::canonical(platform::GetCurrentDirectory()), fs::canonical(folder_));
    EXPECT_EQ(state_.ExportFolder(), folder_);
    EXPECT_TRUE(adb_.Calls().empty());
}

TEST_F(PackageExportTest, SecondExportWaitsForTheFirstAndKeepsItsOwnFolder) {
    const std::string second = (target_.path() / "second").string();
    fs::create_directories(second);
    CheckEveryRow();
    adb_.Hold();
    dialogs_.folderAnswers.push_back(folder_);
    dialogs_.folderAnswers.push_back(second);
    EXPECT_EQ(Backup(), BackupStart::Started);
    EXPECT_EQ(Backup(), BackupStart::Started);
    EXPECT_EQ(state_.ExportFolder(), second);
    adb_.Release();
    ASSERT_TRUE(workers_.WaitIdle(std::chrono::seconds(60)));

    Calls expected;
    for (const std::string& f : {folder_, second}) {
        for (const char* n : {"com.a-1.apk", "com.b-1.apk", "com.c-1.apk"}) {
            expected.push_back({"pull", std::string("/data/app/") + n, f + "/" + n + ".partial"});
        }
    }
    EXPECT_EQ(adb_.Calls(), expected);
    ASSERT_EQ(FoldersOpened(), 2u);
    EXPECT_EQ(shell_.All()[0].target, folder_);
    EXPECT_EQ(shell_.All()[1].target, second);
    EXPECT_EQ(view_->OperationStatus(), kExportDoneText);
}

TEST_F(PackageExportTest, StopEndsThePullUnderWayAndTheExportWaitingForItsTurn) {
    CheckEveryRow();
    adb_.Hold();  // the first pull never ends by itself
    dialogs_.folderAnswers.push_back(folder_);
    dialogs_.folderAnswers.push_back(folder_);
    EXPECT_EQ(Backup(), BackupStart::Started);
    EXPECT_EQ(Backup(), BackupStart::Started);  // waits for its turn
    ASSERT_TRUE(Eventually([&] { return !adb_.Calls().empty(); }));
    ASSERT_EQ(adb_.Calls().size(), 1u);

    // Both end: the pull is killed, the wait for the turn gives up. Nothing
    // more is pulled, no folder opens, no status changes.
    const size_t writes = view_->Writes().size();
    EXPECT_TRUE(workers_.StopAndJoin(std::chrono::seconds(60)));
    EXPECT_EQ(workers_.Workers().finished, 2);
    EXPECT_EQ(adb_.Calls(), (Calls{Pull("com.a-1.apk")}));
    EXPECT_EQ(FoldersOpened(), 0u);
    EXPECT_EQ(view_->Writes().size(), writes);
    // What the killed pull had written is not left to pass for a backup.
    EXPECT_FALSE(fs::exists(fs::path(folder_) / "com.a-1.apk"));

    // An export whose stop came before it began pulls nothing.
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(ExportWorker(view_, runner_, shell_, folder_, stop.get_token()), ExportEnd::Stopped);
    EXPECT_EQ(adb_.Calls().size(), 1u);
}

TEST(ExportTurnsTest, TurnsGoInTicketOrderAndAGivenBackTicketHoldsNobodyUp) {
    ExportTurns turns;
    const uint64_t first = turns.Take(), second = turns.Take(), third = turns.Take();
    const ExportTurns::Wait now = turns.WaitFor(first, {});
    EXPECT_TRUE(now.served);
    EXPECT_FALSE(now.waited);
    // The second never ran (its thread failed, say) and gives its ticket back
    // before its turn: the third is served right after the first.
    turns.Done(second);
    BoundedThread thirdWaits(
        [&](std::stop_token stop) { EXPECT_TRUE(turns.WaitFor(third, stop).served); });
    turns.Done(first);
    EXPECT_TRUE(thirdWaits.Join());

    // A wait that a stop ends is not served: the fourth export never ends.
    turns.Done(third);
    const uint64_t fourth = turns.Take(), fifth = turns.Take();
    EXPECT_TRUE(turns.WaitFor(fourth, {}).served);
    BoundedThread fifthWaits(
        [&](std::stop_token stop) { EXPECT_FALSE(turns.WaitFor(fifth, stop).served); });
    fifthWaits.RequestStop();
    EXPECT_TRUE(fifthWaits.Join());
}

TEST(RemoveSelectedTest, OneBoxPerCheckedRowNamingTheMarkedRowAndNothingRemoved) {
    test::FakeRows rows;
    for (const char* n : {"c.apk", "b.apk", "a.apk"}) rows.InsertAtTop(n, "");
    rows.SetChecked(0, true);
    rows.SetChecked(2, true);
    rows.mark = 1;
    test::ScriptedDialogs dialogs;
    RemoveSelected(rows, dialogs, "Nimbo");
    const auto boxes = dialogs.MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.text, "b.apk");
        EXPECT_EQ(box.title, "Nimbo");
    }
    EXPECT_EQ(rows.Count(), 3);
}

}  // namespace
}  // namespace nimbo
