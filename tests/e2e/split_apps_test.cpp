// Split apps through the real adb 29 and two simulated phones: a split app on
// phone A is exported as one PACKAGE.apks holding every part byte for byte,
// and installed from that file on phone B, which then holds every part; a
// single-file app beside it is exported as before. Each command reaches only
// the current phone, as the phones' own logs show.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/zip_archive.h"
#include "install/install_workers.h"
#include "packages/package_export.h"
#include "packages/package_listing.h"
#include "support/phonesim_apk.h"
#include "support_gui/device_rows.h"
#include "support_gui/window_with_phones.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using test::MainWindowHarness;

constexpr const char* kSplitPackage = "com.example.split";
const std::vector<std::string> kSplits = {"config.arm64_v8a", "config.xxhdpi", "zh"};

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class SplitAppsTest : public test::WindowWithPhonesTest {
protected:
    // The phone's files of a package, base first, as `pm path` names them.
    std::vector<fs::path> PhoneFiles(int phone, const std::string& package) {
        const std::string out =
            phones_.RunAdb({"-s", phones_.serial(phone), "shell", "pm", "path", package}).output;
        std::vector<fs::path> files;
        for (size_t at = out.find("package:"); at != std::string::npos;
             at = out.find("package:", at + 1)) {
            const size_t end = out.find_first_of("\r\n", at);
            const std::string path = out.substr(at + 8, end - at - 8);
            files.push_back(phones_.stateDir(phone) / path.substr(1));
        }
        return files;
    }

    void WaitForDone(int id, const std::string& text) {
        ASSERT_TRUE(WaitForWorkers());
        ASSERT_TRUE(MainWindowHarness::WaitUntil([&] { return window_->Text(id) == text; }))
            << window_->Text(id);
    }

    test::TempDir files_;
};

TEST_F(SplitAppsTest, ExportedFromOnePhoneAsApksAndInstalledOnTheOther) {
    test::PhoneOptions options;
    options.modernLayout = true;
    ASSERT_TRUE(phones_.Start(2, options)) << phones_.error();
    const auto parts = test::MakeTestSplitApp(files_.path(), kSplitPackage, kSplits, 40000);
    ASSERT_EQ(parts.size(), 4u);
    std::vector<std::string> install = {"-s", phones_.serial(0), "install-multiple", "-r"};
    for (const auto& p : parts) install.push_back(p.string());
    ASSERT_NE(phones_.RunAdb(install).output.find("Success"), std::string::npos);
    const fs::path single = files_.path() / "one.apk";
    ASSERT_TRUE(test::MakeTestApk(single, "com.example.one", 12345));
    ASSERT_NE(phones_.RunAdb({"-s", phones_.serial(0), "install", "-r", single.string()})
                  .output.find("Success"),
              std::string::npos);

    // Phone A current: list and export everything it has.
    window_->Click(ids::kRefreshDevicesButton);
    ASSERT_EQ(test::ListedSerials(*window_).size(), 2u);
    ASSERT_TRUE(test::ClickDevice(*window_, phones_.serial(0)));
    window_->Click(ids::kRefreshPackagesButton);
    WaitForDone(ids::kOperationStatus, kListingDoneText);
    ASSERT_EQ(window_->Window().PackageList()->GetItemCount(), 2);
    window_->Click(ids::kSelectAllButton);
    const fs::path folder = files_.path() / "导出 A";
    fs::create_directories(folder);
    window_->Dialogs().folderAnswers.push_back(folder.string());
    window_->Click(ids::kExportButton);
    WaitForDone(ids::kOperationStatus, kExportDoneText);

    // One bundle for the split app, one APK for the other, nothing else left.
    const fs::path bundle = folder / "com.example.split.apks";
    ASSERT_TRUE(fs::exists(bundle));
    EXPECT_EQ(test::ReadFileBytes(folder / "com.example.one.apk"),
              test::ReadFileBytes(PhoneFiles(0, "com.example.one").at(0)));
    size_t inFolder = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++inFolder;
    EXPECT_EQ(inFolder, 2u);
    const auto phoneA = PhoneFiles(0, kSplitPackage);
    ASSERT_EQ(phoneA.size(), 4u);
    auto entries = archive::ReadZipDirectory(bundle);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ((*entries)[i].name, phoneA[i].filename().string());
        const fs::path out = files_.path() / ("entry" + std::to_string(i));
        ASSERT_TRUE(archive::ExtractZipEntry(bundle, (*entries)[i], out));
        EXPECT_EQ(test::ReadFileBytes(out), test::ReadFileBytes(phoneA[i])) << i;
    }

    // Phone B current: install the bundle there.
    ASSERT_TRUE(test::ClickDevice(*window_, phones_.serial(1)));
    EXPECT_EQ(window_->Text(ids::kCurrentDevice), phones_.serial(1));
    ASSERT_TRUE(window_->Window().FillApkPath({bundle.string()}));
    window_->Click(ids::kStartInstallButton);
    WaitForDone(ids::kInstallStatus,
                InstallStatusText("安装成功,请在手机功能表中运行使用", phones_.serial(1)));
    const auto phoneB = PhoneFiles(1, kSplitPackage);
    ASSERT_EQ(phoneB.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(phoneB[i].filename(), phoneA[i].filename());
        EXPECT_EQ(test::ReadFileBytes(phoneB[i]), test::ReadFileBytes(phoneA[i])) << i;
    }

    // What each phone was asked: the listing and the export went to A, the
    // bundle's install session to B.
    const std::string logA = phones_.PhoneLog(0);
    const std::string logB = phones_.PhoneLog(1);
    EXPECT_EQ(Count(logA, "pm list packages"), 1u);
    EXPECT_EQ(Count(logA, "pm path com.example.split"), 2u);  // the window's and ours
    EXPECT_EQ(Count(logA, "install-create"), 1u);             // the set-up's
    EXPECT_EQ(Count(logB, "pm list packages"), 0u);
    EXPECT_EQ(Count(logB, "install-create"), 1u);
    EXPECT_EQ(Count(logB, "install-write"), 4u);
}

TEST_F(SplitAppsTest, TheBaseAloneIsRefusedWithAClearMessage) {
    ASSERT_TRUE(phones_.Start(1)) << phones_.error();
    const auto parts = test::MakeTestSplitApp(files_.path(), kSplitPackage, kSplits, 5000);
    ASSERT_EQ(parts.size(), 4u);
    window_->Click(ids::kRefreshDevicesButton);
    ASSERT_TRUE(window_->Window().FillApkPath({parts[0].string()}));
    window_->Click(ids::kStartInstallButton);
    WaitForDone(ids::kInstallStatus,
                "安装失败,缺少该软件的拆分安装包,请选择完整的APKS文件或同时选择它的全部APK文件");

    // Every part chosen together installs in one go; one phone, no -s.
    ASSERT_TRUE(window_->Window().FillApkPath(
        {parts[0].string(), parts[1].string(), parts[2].string(), parts[3].string()}));
    window_->Click(ids::kStartInstallButton);
    WaitForDone(ids::kInstallStatus, "安装成功,请在手机功能表中运行使用");
    EXPECT_EQ(PhoneFiles(0, kSplitPackage).size(), 4u);
}

}  // namespace
}  // namespace nimbo
