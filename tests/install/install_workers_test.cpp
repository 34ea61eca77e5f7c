// The install workers against a stand-in adb (a script in the system folder,
// which the launcher searches before PATH): what reaches adb, what reaches the
// status line, and when adb must not run at all.
#include "install/install_workers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "archive/zip_archive.h"
#include "install/install_test_support.h"
#include "support/fakes.h"
#include "support/phonesim_apk.h"
#include "support/test_paths.h"
#include "support/worker_stand_ins.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kSuccess = "安装成功,请在手机功能表中运行使用";

class InstallWorkerTest : public ::testing::Test {
protected:
    std::string Status() { return view_->Status(); }
    std::vector<std::string> StatusWrites() { return view_->StatusWrites(); }

    fs::path MakeFile(const std::string& name) {
        fs::path p = files_.path() / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p) << "PK";
        return p;
    }

    test::AdbScript adb_;
    test::TempDir files_;
    test::FakeClock clock_;
    std::unique_ptr<platform::ProcessLauncher> launcher_ =
        platform::MakeSystemProcessLauncher(adb_.dir());
    CommandRunner runner_{*launcher_, clock_, [](const std::string&) {}};
    std::shared_ptr<test::RecordingInstallView> view_ =
        std::make_shared<test::RecordingInstallView>();
};

TEST_F(InstallWorkerTest, EmptyOrMissingPathIsReportedWithoutRunningAdb) {
    view_->TypeApkPath("");
    EXPECT_EQ(ApkInstallWorker(view_, runner_), InstallEnd::NoFileChosen);
    EXPECT_EQ(Status(), kNoApkChosenText);

    view_->TypeApkPath((files_.path() / "gone.apk").string());
    EXPECT_EQ(ApkInstallWorker(view_, runner_), InstallEnd::FileMissing);
    EXPECT_EQ(Status(), kApkMissingText);

    // A path that exists only after trimming is still not there.
    const std::string real = MakeFile("x.apk").string();
    view_->TypeApkPath(real + " ");
    EXPECT_EQ(ApkInstallWorker(view_, runner_), InstallEnd::FileMissing);
    EXPECT_TRUE(adb_.Calls().empty());
}

// A bundle is unpacked for one install-multiple and cleaned up after; several
// APKs go as they are; the phone is named when several are attached.
TEST_F(InstallWorkerTest, BundlesAndSeveralApksGoToInstallMultiple) {
    const auto parts = test::MakeTestSplitApp(files_.path(), "com.s", {"config.xxhdpi"}, 4000);
    ASSERT_EQ(parts.size(), 2u);
    const fs::path bundle = files_.path() / "备份/com.s.apks";
    fs::create_directories(bundle.parent_path());
    ASSERT_TRUE(
        archive::WriteZip(bundle, {{"split_config.xxhdpi.apk", parts[1]}, {"base.apk", parts[0]}}));
    // The stand-in adb checks that the parts are there while it runs.
    adb_.Hook("for f in \"$@\"; do case \"$f\" in *.apk) cmp -s \"$f\" \"" + parts[0].string() +
              "\" && touch \"" + adb_.dir().string() + "/base-seen\";; esac; done");
    adb_.Prints("Success\n");
    view_->TypeApkPath(bundle.string());
    EXPECT_EQ(ApkInstallWorker(view_, runner_, {}, "emulator-5556"), InstallEnd::Finished);
    ASSERT_EQ(adb_.Calls().size(), 1u);
    const auto call = adb_.Calls()[0];
    ASSERT_EQ(call.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(call.begin(), call.begin() + 4),
              (std::vector<std::string>{"-s", "emulator-5556", "install-multiple", "-r"}));
    EXPECT_EQ(fs::path(call[4]).filename(), "base.apk");
    EXPECT_EQ(fs::path(call[5]).filename(), "split_config.xxhdpi.apk");
    EXPECT_TRUE(fs::exists(adb_.dir() / "base-seen"));
    EXPECT_FALSE(fs::exists(fs::path(call[4]).parent_path()));  // removed after
    EXPECT_EQ(Status(), std::string("emulator-5556: ") + kSuccess);

    fs::remove(adb_.dir() / "calls");
    view_->TypeApkPath("\"" + parts[0].string() + "\" \"" + parts[1].string() + "\"");
    EXPECT_EQ(ApkInstallWorker(view_, runner_), InstallEnd::Finished);
    EXPECT_EQ(adb_.Calls()[0], (std::vector<std::string>{"install-multiple", "-r",
                                                         parts[0].string(), parts[1].string()}));
}

TEST_F(InstallWorkerTest, ABundleThatIsNoZipOrAMixedChoiceNeverReachesAdb) {
    view_->TypeApkPath(MakeFile("broken.apks").string());
    EXPECT_EQ(ApkInstallWorker(view_, runner_), InstallEnd::BadChoice);
    EXPECT_EQ(Status(), kBadBundleText);
    view_->TypeApkPath("\"" + MakeFile("a.apk").string() + "\" \"" + MakeFile("b.txt").string() +
                       "\"");
    EXPECT_EQ(ApkInstallWorker(view_, runner_), InstallEnd::BadChoice);
    EXPECT_EQ(Status(), kSeveralNotApkText);
    EXPECT_TRUE(adb_.Calls().empty());
}

TEST_F(InstallWorkerTest, PathReachesAdbAsOneArgumentByteForByte) {
    for (const std::string name :
         {"plain.apk", "带 空格/我的 应用.apk", "quote \"a\" and $HOME `x`; 'y'.apk"}) {
        SCOPED_TRACE(name);
        const std::string path = MakeFile(name).string();
        fs::remove(adb_.dir() / "calls");
        view_->TypeApkPath(path);
        adb_.Prints("Success\n");
        EXPECT_EQ(ApkInstallWorker(view_, runner_), InstallEnd::Finished);
        ASSERT_EQ(adb_.Calls().size(), 1u);
        EXPECT_EQ(adb_.Calls()[0], (std::vector<std::string>{"install", "-r", path}));
        EXPECT_EQ(Status(), kSuccess);
    }
}

TEST_F(InstallWorkerTest, StatusLineFollowsWhatAdbSays) {
    view_->TypeApkPath(MakeFile("x.apk").string());
    view_->ShowInstallStatus(kApkInstallStartText);

    adb_.Prints(
        "Performing Push Install\n"
        "x.apk: 1 file pushed. 3.1 MB/s (1234 bytes in 0.001s)\n"
        "\tpkg: /data/local/tmp/x.apk\n"
        "Failure [INSTALL_FAILED_OLDER_SDK]\n");
    ApkInstallWorker(view_, runner_);
    EXPECT_EQ(Status(), "安装失败,该软件版本过老,联系APK文件的开发商");

    // An end without a verdict (a complaint the table does not know, or no
    // output at all, as when the adb server dies mid-install) says the install
    // broke off, instead of leaving the start text or an older verdict.
    view_->ShowInstallStatus("安装成功,请在手机功能表中运行使用");
    adb_.Prints("adb: usage: unknown option --frobnicate\n");
    EXPECT_EQ(ApkInstallWorker(view_, runner_), InstallEnd::NoVerdict);
    EXPECT_EQ(Status(), kInstallNoVerdictText);
    view_->ShowInstallStatus(kApkInstallStartText);
    adb_.Prints("");
    EXPECT_EQ(ApkInstallWorker(view_, runner_), InstallEnd::NoVerdict);
    EXPECT_EQ(Status(), kInstallNoVerdictText);
}

TEST_F(InstallWorkerTest, CompanionInstallsFromTheSystemFolderWhateverThePathField) {
    view_->TypeApkPath("");
    adb_.Prints("adb: error: cannot stat '" + (adb_.dir() / "quillet.apk").string() +
                "': No such file or directory\n");
    EXPECT_EQ(CompanionInstallWorker(view_, runner_, adb_.dir()), InstallEnd::Finished);
    ASSERT_EQ(adb_.Calls().size(), 1u);
    EXPECT_EQ(adb_.Calls()[0],
              (std::vector<std::string>{"install", "-r", (adb_.dir() / "quillet.apk").string()}));
    // The file was missing: adb's complaint is judged like any other output.
    EXPECT_EQ(Status(), "安装失败,APK文件意外丢失");
}

// With no adb to run, the start text must not stay as if adb were at work:
// the line says whether none was found or the one found would not start.
TEST_F(InstallWorkerTest, AdbThatCannotRunIsNamedOnTheStatusLine) {
    view_->TypeApkPath(MakeFile("x.apk").string());
    test::NoProgramLauncher none;
    CommandRunner nowhere(none, clock_, [](const std::string&) {});
    view_->ShowInstallStatus(kApkInstallStartText);
    EXPECT_EQ(ApkInstallWorker(view_, nowhere), InstallEnd::NotStarted);
    EXPECT_EQ(CompanionInstallWorker(view_, nowhere, adb_.dir(), {}, "emulator-5556"),
              InstallEnd::NotStarted);
    EXPECT_EQ(StatusWrites(),
              (std::vector<std::string>{kApkInstallStartText, kAdbNotFoundText,
                                        std::string("emulator-5556: ") + kAdbNotFoundText}));
    EXPECT_NE(std::string(kAdbNotFoundText), kAdbCannotStartText);

    // An adb that is found (first, in the system folder) but is no program.
    test::TempDir system;
    std::ofstream(system.path() / "adb") << "neither a script nor a program\n";
    fs::permissions(system.path() / "adb", fs::perms::owner_all);
    auto launcher = platform::MakeSystemProcessLauncher(system.path());
    CommandRunner broken(*launcher, clock_, [](const std::string&) {});
    EXPECT_EQ(ApkInstallWorker(view_, broken), InstallEnd::NotStarted);
    EXPECT_EQ(Status(), kAdbCannotStartText);
}

TEST_F(InstallWorkerTest, ClosedWindowReadsAsAnEmptyFieldAndRunsNoAdb) {
    view_->TypeApkPath(MakeFile("x.apk").string());
    view_->CloseWindow();
    EXPECT_EQ(ApkInstallWorker(view_, runner_), InstallEnd::NoFileChosen);
    EXPECT_TRUE(adb_.Calls().empty());
    EXPECT_EQ(StatusWrites(), std::vector<std::string>{});
}

TEST_F(InstallWorkerTest, LaunchedWorkersRunSideBySideAndAllFinish) {
    view_->TypeApkPath(MakeFile("x.apk").string());
    adb_.Prints("Success\n");
    adb_.Hold();
    WorkerRuntime workers;

    LaunchApkInstallWorker(workers, view_, runner_);
    LaunchCompanionInstallWorker(workers, view_, runner_, adb_.dir());
    // Counted from the moment of the launch, before the thread has run.
    EXPECT_EQ(workers.Workers().running, 2);

    // Both adb runs are under way at once: neither waits for the other.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (adb_.Calls().size() < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(adb_.Calls().size(), 2u);
    EXPECT_EQ(workers.Workers().running, 2);

    adb_.Release();
    EXPECT_TRUE(workers.WaitIdle(60s));
    EXPECT_EQ(workers.Workers().finished, 2);
    EXPECT_EQ(StatusWrites(), (std::vector<std::string>{kSuccess, kSuccess}));
}

TEST_F(InstallWorkerTest, StopEndsARunningInstallAndLeavesTheLineAsItWas) {
    view_->TypeApkPath(MakeFile("x.apk").string());
    view_->ShowInstallStatus(kApkInstallStartText);
    adb_.Prints("Success\n");
    adb_.Hold();  // adb never answers until the stop kills it
    WorkerRuntime workers;
    LaunchApkInstallWorker(workers, view_, runner_);
    LaunchCompanionInstallWorker(workers, view_, runner_, adb_.dir());
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (adb_.Calls().size() < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(adb_.Calls().size(), 2u);

    EXPECT_TRUE(workers.StopAndJoin(60s));
    EXPECT_EQ(workers.Workers().finished, 2);
    EXPECT_EQ(StatusWrites(), std::vector<std::string>{kApkInstallStartText});

    // A worker asked to stop before it begins reads nothing and runs no adb.
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(ApkInstallWorker(view_, runner_, stop.get_token()), InstallEnd::Stopped);
    EXPECT_EQ(CompanionInstallWorker(view_, runner_, adb_.dir(), stop.get_token()),
              InstallEnd::Stopped);
    EXPECT_EQ(adb_.Calls().size(), 2u);
}

TEST(ChooseApkFilePath, OnlyAConfirmedExistingFileIsTaken) {
    test::TempDir dir;
    const std::string apk = (dir.path() / "选中 的.apk").string();
    std::ofstream(apk) << "PK";
    test::ScriptedDialogs dialogs;
    dialogs.openFileAnswers = {std::nullopt, (dir.path() / "gone.apk").string(), apk};

    EXPECT_EQ(ChooseApkFilePath(dialogs), std::nullopt);  // cancelled
    EXPECT_EQ(ChooseApkFilePath(dialogs), std::nullopt);  // vanished after the choice
    EXPECT_EQ(ChooseApkFilePath(dialogs), apk);

    ASSERT_EQ(dialogs.shown.size(), 3u);
    const auto& shown = dialogs.shown[0];
    EXPECT_EQ(shown.kind, "open");
    EXPECT_EQ(shown.title, "请选择Android、Kelvo安装文件");
    ASSERT_EQ(shown.filters.size(), 1u);
    EXPECT_EQ(shown.filters[0].text, "APK文件 (*.apk *.apks)");
    EXPECT_EQ(shown.filters[0].pattern, "*.apk *.apks");
    EXPECT_TRUE(shown.mustExist);
}

}  // namespace
}  // namespace nimbo
