// Installing from the main window with the real adb and simulated phones: the
// user picks a file through the (scripted) file dialog, presses "开始安装" or
// the companion button, and reads the outcome in the install status line.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "install/install_workers.h"
#include "support/phone_fixture.h"
#include "support/phonesim_apk.h"
#include "support_gui/main_window_harness.h"
#include "support_gui/window_with_phones.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using test::MainWindowHarness;
using test::PhoneFixture;
using test::PhoneOptions;

constexpr const char* kSuccess = "安装成功,请在手机功能表中运行使用";
constexpr const char* kOlderSdk = "安装失败,该软件版本过老,联系APK文件的开发商";

PhoneOptions Modern() {
    PhoneOptions o;
    o.modern = true;  // adb streams its installs to this phone
    return o;
}

class InstallFromWindowTest : public test::WindowWithPhonesTest {
protected:
    void StartPhones(int count, const PhoneOptions& options = {}) {
        ASSERT_TRUE(phones_.Start(count, options)) << phones_.error();
    }

    void Choose(const fs::path& apk) {
        window_->Dialogs().openFileAnswers.push_back(apk.string());
        window_->Click(ids::kChooseFileButton);
        ASSERT_EQ(window_->Text(ids::kApkPathEdit), apk.string());
    }

    // Presses the button and returns what 1008 says once the worker is done.
    std::string Press(int button) {
        window_->Click(button);
        // Written by the click itself, before any worker could answer.
        EXPECT_EQ(window_->Text(ids::kInstallStatus), button == ids::kCompanionInstallButton
                                                          ? kCompanionInstallStartText
                                                          : kApkInstallStartText);
        EXPECT_TRUE(WaitForWorkers());
        return window_->Text(ids::kInstallStatus);
    }

    std::string ChooseAndInstall(const fs::path& apk) {
        Choose(apk);
        return Press(ids::kStartInstallButton);
    }

    std::string Packages(int phone = 0) {
        return phones_
            .RunAdb({"-s", phones_.serial(phone), "shell", "pm", "list", "packages", "-f"})
            .output;
    }

    // Requests for an install that reached the phone (push or streamed).
    int InstallRequests(int phone = 0) {
        const std::string log = phones_.PhoneLog(phone);
        int n = 0;
        for (size_t at = log.find("opens '"); at != std::string::npos;
             at = log.find("opens '", at + 1)) {
            const std::string line = log.substr(at, log.find('\n', at) - at);
            if (line.find("install") != std::string::npos) ++n;
        }
        return n;
    }

    fs::path Apk(const std::string& name, const std::string& package) {
        fs::path p = files_.path() / name;
        fs::create_directories(p.parent_path());
        EXPECT_TRUE(test::MakeTestApk(p, package));
        return p;
    }

    test::TempDir files_;
};

TEST_F(InstallFromWindowTest, ChosenFileEndsOnThePhoneWithTheSuccessMessage) {
    StartPhones(1);
    EXPECT_EQ(ChooseAndInstall(Apk("x.apk", "com.example.x")), kSuccess);
    EXPECT_NE(Packages().find("=com.example.x\n"), std::string::npos) << Packages();
    EXPECT_EQ(InstallRequests(), 1) << phones_.PhoneLog();
}

TEST_F(InstallFromWindowTest, PathWithBlanksAndChineseInstalls) {
    StartPhones(1, Modern());
    EXPECT_EQ(ChooseAndInstall(Apk("我的 文件/新 应用 (2).apk", "com.example.cn")), kSuccess);
    EXPECT_NE(Packages().find("=com.example.cn\n"), std::string::npos) << Packages();
}

TEST_F(InstallFromWindowTest, FailuresEndWithTheirMessages) {
    StartPhones(1);
    const fs::path notZip = files_.path() / "broken.apk";
    std::ofstream(notZip) << "this is not a zip archive";
    EXPECT_EQ(ChooseAndInstall(notZip), "安装失败,请选择一个有效的APK文件");

    const fs::path apk = Apk("old.apk", "com.example.old");
    phones_.SetInstallOutcome(0, "Failure [INSTALL_FAILED_OLDER_SDK]");
    EXPECT_EQ(ChooseAndInstall(apk), kOlderSdk);
    EXPECT_EQ(Packages().find("com.example.old"), std::string::npos);
}

TEST_F(InstallFromWindowTest, StreamedInstallFailureNamesItsCode) {
    // Today's adb words it "adb: failed to install FILE: Failure [CODE]".
    StartPhones(1, Modern());
    phones_.SetInstallOutcome(0, "Failure [INSTALL_FAILED_OLDER_SDK]");
    EXPECT_EQ(ChooseAndInstall(Apk("old.apk", "com.example.old")), kOlderSdk);
    EXPECT_EQ(Packages().find("com.example.old"), std::string::npos);
}

TEST_F(InstallFromWindowTest, FileNamesThatHoldMarkerWordsDoNotMisleadTheVerdict) {
    // adb repeats the file name in its push and failure lines.
    StartPhones(1);
    const fs::path apk = Apk("apps to install/not contained Success.apk", "com.example.words");
    EXPECT_EQ(ChooseAndInstall(apk), kSuccess);
    phones_.SetInstallOutcome(0, "Failure [INSTALL_FAILED_OLDER_SDK]");
    EXPECT_EQ(Press(ids::kStartInstallButton), kOlderSdk);
    EXPECT_TRUE(phones_.Stop()) << phones_.error();

    StartPhones(1, Modern());
    phones_.SetInstallOutcome(0, "Failure [INSTALL_FAILED_OLDER_SDK]");
    EXPECT_EQ(Press(ids::kStartInstallButton), kOlderSdk);
}

TEST_F(InstallFromWindowTest, NoPhoneAndTwoPhonesAreToldApart) {
    const fs::path apk = Apk("x.apk", "com.example.x");
    StartPhones(0);
    EXPECT_EQ(ChooseAndInstall(apk), "安装失败,请确认手机已经连接到电脑上");
    EXPECT_TRUE(phones_.Stop()) << phones_.error();

    StartPhones(2);
    EXPECT_EQ(Press(ids::kStartInstallButton), "安装失败,连接了多台设备,请只保留一台手机");
    EXPECT_EQ(InstallRequests(0) + InstallRequests(1), 0);
}

TEST_F(InstallFromWindowTest, EmptyFieldAndMissingFileNeverReachAdb) {
    StartPhones(1);
    EXPECT_EQ(window_->Text(ids::kApkPathEdit), "");
    EXPECT_EQ(Press(ids::kStartInstallButton), "请先选择APK文件");

    const fs::path apk = Apk("soon-gone.apk", "com.example.gone");
    Choose(apk);
    fs::remove(apk);
    EXPECT_EQ(Press(ids::kStartInstallButton), "请选择的APK文件不存在请重新选择");
    EXPECT_EQ(InstallRequests(), 0) << phones_.PhoneLog();

    // A cancelled or vanished choice keeps the path shown before.
    const fs::path kept = Apk("kept.apk", "com.example.kept");
    Choose(kept);
    window_->Click(ids::kChooseFileButton);  // cancelled: no answer queued
    window_->Dialogs().openFileAnswers.push_back((files_.path() / "nowhere.apk").string());
    window_->Click(ids::kChooseFileButton);
    EXPECT_EQ(window_->Text(ids::kApkPathEdit), kept.string());
}

TEST_F(InstallFromWindowTest, CompanionPackageInstallsWithoutAChosenFile) {
    StartPhones(1);
    EXPECT_EQ(window_->Text(ids::kApkPathEdit), "");
    EXPECT_EQ(Press(ids::kCompanionInstallButton), kSuccess);
    const std::string list = Packages();
    const size_t at = list.find("=com.quillet.installer\n");
    ASSERT_NE(at, std::string::npos) << list;
    // The phone holds exactly the bytes of the companion package we carry.
    const size_t start = list.rfind("package:", at) + 8;
    const std::string onPhone = list.substr(start, at - start);
    EXPECT_EQ(test::ReadFileBytes(phones_.stateDir() / onPhone.substr(1)),
              test::ReadFileBytes(window_->Context().paths.systemDir / "quillet.apk"));
}

TEST_F(InstallFromWindowTest, TwoQuickPressesRunTwoInstallsThatBothFinish) {
    StartPhones(1, Modern());
    Choose(Apk("twice.apk", "com.example.twice"));
    const int finishedBefore = window_->Workers().Workers().finished;
    window_->Click(ids::kStartInstallButton);
    window_->Click(ids::kStartInstallButton);
    EXPECT_EQ(window_->Workers().Workers().running, 2);
    ASSERT_TRUE(WaitForWorkers());
    EXPECT_EQ(window_->Workers().Workers().finished, finishedBefore + 2);
    EXPECT_EQ(InstallRequests(), 2) << phones_.PhoneLog();
    EXPECT_EQ(window_->Text(ids::kInstallStatus), kSuccess);
    EXPECT_NE(Packages().find("=com.example.twice\n"), std::string::npos) << Packages();
}

}  // namespace
}  // namespace nimbo
