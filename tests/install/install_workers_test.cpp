// The install workers against a stand-in adb (a script in the system folder,
// which the launcher searches before PATH): what reaches adb, what reaches the
// status line, and when adb must not run at all.
#include "install/install_workers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "support/fakes.h"
#include "support/test_paths.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kSuccess = "安装成功,请在手机功能表中运行使用";

// Control texts by id; every write to 1008 is kept in order.
class RecordingItems final : public platform::DialogItems {
public:
    void SetDlgItemText(int id, const std::string& text) override {
        std::lock_guard lock(mutex_);
        texts_[id] = text;
        if (id == ids::kInstallStatus) statusWrites_.push_back(text);
    }
    std::string GetDlgItemText(int id) override {
        std::lock_guard lock(mutex_);
        return texts_[id];
    }
    void RunOnUiThread(const std::function<void()>& fn) override { fn(); }

    std::vector<std::string> StatusWrites() const {
        std::lock_guard lock(mutex_);
        return statusWrites_;
    }
    std::string Status() const {
        std::lock_guard lock(mutex_);
        return statusWrites_.empty() ? std::string() : statusWrites_.back();
    }

private:
    mutable std::mutex mutex_;
    std::map<int, std::string> texts_;
    std::vector<std::string> statusWrites_;
};

class NoProgramLauncher final : public platform::ProcessLauncher {
public:
    Result<std::unique_ptr<platform::ChildOutput>, platform::SpawnError> Start(
        const std::vector<std::string>&) override {
        return Err{platform::SpawnError::NotFound};
    }
    Result<bool, platform::SpawnError> LaunchDetached(const std::vector<std::string>&) override {
        return Err{platform::SpawnError::NotFound};
    }
};

class InstallWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Records its arguments (NUL-separated, one call per line) and prints
        // the prepared output; waits for the gate file when one is asked for.
        const fs::path dir = system_.path();
        std::ofstream script(dir / "adb");
        script << "#!/bin/sh\n"
               << "d='" << dir.string() << "'\n"
               << "printf '%s\\0' \"$@\" >> \"$d/calls\"; printf '\\n' >> \"$d/calls\"\n"
               << "while [ -e \"$d/hold\" ] && [ ! -e \"$d/gate\" ]; do sleep 0.01; done\n"
               << "cat \"$d/output\" 2>/dev/null\n";
        script.close();
        ::chmod((dir / "adb").c_str(), 0755);
    }

    void AdbPrints(const std::string& text) { std::ofstream(system_.path() / "output") << text; }

    std::vector<std::vector<std::string>> AdbCalls() const {
        std::ifstream in(system_.path() / "calls", std::ios::binary);
        std::vector<std::vector<std::string>> calls;
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> args;
            std::stringstream fields(line);
            for (std::string arg; std::getline(fields, arg, '\0');) args.push_back(arg);
            calls.push_back(args);
        }
        return calls;
    }

    fs::path MakeFile(const std::string& name) {
        fs::path p = files_.path() / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p) << "PK";
        return p;
    }

    test::TempDir system_;
    test::TempDir files_;
    test::FakeClock clock_;
    std::unique_ptr<platform::ProcessLauncher> launcher_ =
        platform::MakeSystemProcessLauncher(system_.path());
    CommandRunner runner_{*launcher_, clock_, [](const std::string&) {}};
    std::shared_ptr<RecordingItems> items_ = std::make_shared<RecordingItems>();
};

TEST_F(InstallWorkerTest, EmptyOrMissingPathIsReportedWithoutRunningAdb) {
    items_->SetDlgItemText(ids::kApkPathEdit, "");
    EXPECT_EQ(ApkInstallWorker(items_, runner_), InstallEnd::NoFileChosen);
    EXPECT_EQ(items_->Status(), kNoApkChosenText);

    items_->SetDlgItemText(ids::kApkPathEdit, (files_.path() / "gone.apk").string());
    EXPECT_EQ(ApkInstallWorker(items_, runner_), InstallEnd::FileMissing);
    EXPECT_EQ(items_->Status(), kApkMissingText);

    // A path that exists only after trimming is still not there.
    const std::string real = MakeFile("x.apk").string();
    items_->SetDlgItemText(ids::kApkPathEdit, real + " ");
    EXPECT_EQ(ApkInstallWorker(items_, runner_), InstallEnd::FileMissing);
    EXPECT_TRUE(AdbCalls().empty());
}

TEST_F(InstallWorkerTest, PathReachesAdbAsOneArgumentByteForByte) {
    for (const std::string name :
         {"plain.apk", "带 空格/我的 应用.apk", "quote \"a\" and $HOME `x`; 'y'.apk"}) {
        SCOPED_TRACE(name);
        const std::string path = MakeFile(name).string();
        fs::remove(system_.path() / "calls");
        items_->SetDlgItemText(ids::kApkPathEdit, path);
        AdbPrints("Success\n");
        EXPECT_EQ(ApkInstallWorker(items_, runner_), InstallEnd::Finished);
        ASSERT_EQ(AdbCalls().size(), 1u);
        EXPECT_EQ(AdbCalls()[0], (std::vector<std::string>{"install", "-r", path}));
        EXPECT_EQ(items_->Status(), kSuccess);
    }
}

TEST_F(InstallWorkerTest, StatusLineFollowsWhatAdbSays) {
    items_->SetDlgItemText(ids::kApkPathEdit, MakeFile("x.apk").string());
    items_->SetDlgItemText(ids::kInstallStatus, kApkInstallStartText);

    AdbPrints(
        "Performing Push Install\n"
        "x.apk: 1 file pushed. 3.1 MB/s (1234 bytes in 0.001s)\n"
        "\tpkg: /data/local/tmp/x.apk\n"
        "Failure [INSTALL_FAILED_OLDER_SDK]\n");
    ApkInstallWorker(items_, runner_);
    EXPECT_EQ(items_->Status(), "安装失败,该软件版本过老,联系APK文件的开发商");

    // A complaint the table does not know leaves the line as it was.
    const size_t writes = items_->StatusWrites().size();
    AdbPrints("adb: usage: unknown option --frobnicate\n");
    EXPECT_EQ(ApkInstallWorker(items_, runner_), InstallEnd::Finished);
    EXPECT_EQ(items_->StatusWrites().size(), writes);

    // No output at all: nothing written either.
    AdbPrints("");
    ApkInstallWorker(items_, runner_);
    EXPECT_EQ(items_->StatusWrites().size(), writes);
}

TEST_F(InstallWorkerTest, CompanionInstallsFromTheSystemFolderWhateverThePathField) {
    items_->SetDlgItemText(ids::kApkPathEdit, "");
    AdbPrints("adb: error: cannot stat '" + (system_.path() / "quillet.apk").string() +
              "': No such file or directory\n");
    EXPECT_EQ(CompanionInstallWorker(items_, runner_, system_.path()), InstallEnd::Finished);
    ASSERT_EQ(AdbCalls().size(), 1u);
    EXPECT_EQ(AdbCalls()[0], (std::vector<std::string>{"install", "-r",
                                                       (system_.path() / "quillet.apk").string()}));
    // The file was missing: adb's complaint is judged like any other output.
    EXPECT_EQ(items_->Status(), "安装失败,APK文件意外丢失");
}

TEST_F(InstallWorkerTest, AdbThatCannotStartLeavesTheStartText) {
    NoProgramLauncher none;
    CommandRunner runner(none, clock_, [](const std::string&) {});
    items_->SetDlgItemText(ids::kApkPathEdit, MakeFile("x.apk").string());
    items_->SetDlgItemText(ids::kInstallStatus, kApkInstallStartText);
    EXPECT_EQ(ApkInstallWorker(items_, runner), InstallEnd::NotStarted);
    EXPECT_EQ(CompanionInstallWorker(items_, runner, system_.path()), InstallEnd::NotStarted);
    EXPECT_EQ(items_->StatusWrites(), std::vector<std::string>{kApkInstallStartText});
}

TEST_F(InstallWorkerTest, LaunchedWorkersRunSideBySideAndAllFinish) {
    items_->SetDlgItemText(ids::kApkPathEdit, MakeFile("x.apk").string());
    AdbPrints("Success\n");
    std::ofstream(system_.path() / "hold").close();
    const InstallWorkerCounts before = InstallWorkers();

    LaunchApkInstallWorker(items_, runner_);
    LaunchCompanionInstallWorker(items_, runner_, system_.path());
    // Counted from the moment of the launch, before the thread has run.
    EXPECT_EQ(InstallWorkers().running, before.running + 2);

    // Both adb runs are under way at once: neither waits for the other.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (AdbCalls().size() < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(AdbCalls().size(), 2u);
    EXPECT_EQ(InstallWorkers().running, before.running + 2);

    std::ofstream(system_.path() / "gate").close();
    while (InstallWorkers().finished < before.finished + 2 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(InstallWorkers().running, before.running);
    EXPECT_EQ(InstallWorkers().finished, before.finished + 2);
    EXPECT_EQ(items_->StatusWrites(), (std::vector<std::string>{kSuccess, kSuccess}));
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
    EXPECT_EQ(shown.filters[0].text, "APK文件 (*.apk)");
    EXPECT_EQ(shown.filters[0].pattern, "*.apk");
    EXPECT_TRUE(shown.mustExist);
}

}  // namespace
}  // namespace nimbo
