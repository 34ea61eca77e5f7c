// Writing the USB driver package and what the user is told afterwards, on
// Linux (udev rule notice) and on a platform with a driver store.
#include "driver/usb_driver_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/child_faults.h"
#include "support/fakes.h"
#include "support/test_paths.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

ShowMessage ShowIn(test::ScriptedDialogs& dialogs) {
    return [&dialogs](const std::string& text, const std::string& caption) {
        dialogs.MessageBox(text, caption);
    };
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Bytes(int resourceId) {
    auto b = payloads::FindPayloadBytes(resourceId);
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

// Relative path in the package -> resource id of its bytes.
const std::pair<const char*, int> kPackageFiles[] = {
    {"android_winusb.inf", 141},           {"androidwinusb86.cat", 142},
    {"i386/WdfCoInstaller01007.dll", 145}, {"i386/WinUSBCoInstaller.dll", 159},
    {"i386/WUDFUpdate_01007.dll", 160},    {"51-android.rules", kUdevRulesResourceId},
};

std::vector<int> lookedUp;
std::span<const unsigned char> RecordingLookup(int resourceId) {
    lookedUp.push_back(resourceId);
    return payloads::FindPayloadBytes(resourceId);
}

class DriverPackageTest : public ::testing::Test {
protected:
    void SetUp() override { UseHome(root_.path()); }
    void UseHome(const fs::path& home) {
        paths_.systemDir = home / ".local/share/nimbo/system";
        paths_.driverDir = home / "android_usb_windows";
        paths_.driverI386Dir = paths_.driverDir / "i386";
        paths_.documentsDir = home / "Documents";
    }
    std::vector<std::string> FilesUnderRoot() const {
        std::vector<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(root_.path())) {
            if (e.is_regular_file()) {
                out.push_back(e.path().lexically_relative(paths_.driverDir).generic_string());
            }
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    test::TempDir root_;
    platform::Paths paths_;
    test::ScriptedDialogs dialogs_;
};

TEST_F(DriverPackageTest, EveryFileLandsWithItsExactBytesAndAgainIdentically) {
    DriverPackage first = WriteUsbDriverPackage(paths_);
    EXPECT_TRUE(first.Complete());
    EXPECT_EQ(first.folder, paths_.driverDir);
    EXPECT_EQ(first.setupInfo, paths_.driverDir / "android_winusb.inf");
    EXPECT_EQ(first.udevRules, paths_.driverDir / "51-android.rules");
    for (const auto& [name, id] : kPackageFiles) {
        ASSERT_FALSE(Bytes(id).empty()) << name;
        EXPECT_EQ(ReadFile(paths_.driverDir / name), Bytes(id)) << name;
    }
    std::vector<std::string> expected;
    for (const auto& f : kPackageFiles) expected.push_back(f.first);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesUnderRoot(), expected);

    // A second press over longer, stale files leaves the same bytes, no tails.
    for (const auto& f : kPackageFiles) {
        std::ofstream(paths_.driverDir / f.first) << std::string(50000, 'x');
    }
    EXPECT_TRUE(WriteUsbDriverPackage(paths_).Complete());
    for (const auto& [name, id] : kPackageFiles) {
        EXPECT_EQ(ReadFile(paths_.driverDir / name), Bytes(id)) << name;
    }
    EXPECT_EQ(FilesUnderRoot(), expected);
}

TEST_F(DriverPackageTest, PayloadsAreWrittenInOrderThenTheRule) {
    lookedUp.clear();
    EXPECT_TRUE(WriteUsbDriverPackage(paths_, &RecordingLookup).Complete());
    EXPECT_EQ(lookedUp, (std::vector<int>{141, 142, 145, 159, 160, kUdevRulesResourceId}));
}

TEST_F(DriverPackageTest, UnwritableHomeListsEveryFileAndStillTellsTheUser) {
    // A file where the home folder should be defeats even root.
    std::ofstream(root_.path() / "home") << "not a folder";
    UseHome(root_.path() / "home");
    DriverPackage package = WriteUsbDriverPackage(paths_);
    EXPECT_EQ(package.failed,
              (std::vector<std::string>{
                  "android_winusb.inf", "androidwinusb86.cat", "i386/WdfCoInstaller01007.dll",
                  "i386/WinUSBCoInstaller.dll", "i386/WUDFUpdate_01007.dll", "51-android.rules"}));

    auto store = platform::MakeDriverStore();
    InstallUsbDriverPackage(paths_, *store, ShowIn(dialogs_), "Nimbo");
    auto boxes = dialogs_.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Nimbo");
    const std::string folder = paths_.driverDir.string();
    EXPECT_EQ(boxes[0].text,
              "USB驱动文件没有全部写入 " + folder +
                  " 文件夹，以下文件写入失败：\n"
                  "    android_winusb.inf\n    androidwinusb86.cat\n"
                  "    i386/WdfCoInstaller01007.dll\n    i386/WinUSBCoInstaller.dll\n"
                  "    i386/WUDFUpdate_01007.dll\n    51-android.rules\n"
                  "请检查该文件夹的写入权限和磁盘空间，然后再次单击“安装USB驱动”。");
}

TEST_F(DriverPackageTest, ReadOnlyOrFullDriverFolderNamesEveryFileNotWritten) {
    ASSERT_TRUE(WriteUsbDriverPackage(paths_).Complete());
    // Read-only: nothing is opened, so the files of the earlier press stay whole.
    const int readOnly = test::RunInChild([&] {
        if (!test::MakeFolderReadOnly(paths_.driverDir.string())) return test::kFaultUnavailable;
        return WriteUsbDriverPackage(paths_).failed.size() == std::size(kPackageFiles) ? 0 : 1;
    });
    if (readOnly == test::kFaultUnavailable) GTEST_SKIP() << "no mount namespaces here";
    EXPECT_EQ(readOnly, 0);
    for (const auto& [name, id] : kPackageFiles) {
        EXPECT_EQ(ReadFile(paths_.driverDir / name), Bytes(id)) << name;
    }
    // Full: every file larger than the room left is named in the message, and
    // the files of the earlier press stay whole (each is written beside and
    // moved over), with no part left beside them.
    const int full = test::RunInChild([&] {
        if (!test::LimitFileSize(64)) return test::kFaultUnavailable;
        const DriverPackage package = WriteUsbDriverPackage(paths_);
        const std::string text = UdevRuleMessage(package);
        return !package.failed.empty() && text.find("写入失败") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(full, 0);
    for (const auto& [name, id] : kPackageFiles) {
        EXPECT_EQ(ReadFile(paths_.driverDir / name), Bytes(id)) << name;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(paths_.driverDir)) {
        EXPECT_NE(entry.path().extension(), ".partial") << entry.path();
    }
}

TEST_F(DriverPackageTest, MissingRuleBytesAreReportedButTheRestIsWritten) {
    auto withoutRule = [](int id) {
        return id == kUdevRulesResourceId ? std::span<const unsigned char>()
                                          : payloads::FindPayloadBytes(id);
    };
    DriverPackage package = WriteUsbDriverPackage(paths_, withoutRule);
    EXPECT_EQ(package.failed, std::vector<std::string>{"51-android.rules"});
    EXPECT_EQ(ReadFile(paths_.driverI386Dir / "WUDFUpdate_01007.dll"), Bytes(160));
}

TEST_F(DriverPackageTest, LinuxNoticeSaysWhereTheFilesAreAndHowToInstallTheRule) {
    auto store = platform::MakeDriverStore();
    InstallUsbDriverPackage(paths_, *store, ShowIn(dialogs_), "Nimbo");
    auto boxes = dialogs_.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Nimbo");
    const std::string folder = paths_.driverDir.string();
    EXPECT_EQ(boxes[0].text, "USB驱动文件已经释放到 " + folder +
                                 " 文件夹中。\n\n"
                                 "Linux不需要另外安装驱动，只需允许当前用户访问手机的USB设备。"
                                 "请在终端中运行下面的命令安装设备规则文件 51-android.rules：\n\n"
                                 "sudo cp " +
                                 folder +
                                 "/51-android.rules /etc/udev/rules.d/ && "
                                 "sudo udevadm control --reload-rules\n\n"
                                 "然后重新插拔手机。");
}

TEST_F(DriverPackageTest, RuleCommandQuotesAHomeFolderThatAShellWouldSplit) {
    auto store = platform::MakeDriverStore();
    const fs::path home = root_.path() / "王 小明's $HOME";
    fs::create_directories(home);
    UseHome(home);
    InstallUsbDriverPackage(paths_, *store, ShowIn(dialogs_), "Nimbo");
    ASSERT_EQ(dialogs_.MessageBoxes().size(), 1u);
    const std::string text = dialogs_.MessageBoxes()[0].text;
    const std::string quoted =
        "'" + root_.path().string() + "/王 小明'\\''s $HOME/android_usb_windows/51-android.rules'";
    EXPECT_NE(text.find("sudo cp " + quoted + " /etc/udev/rules.d/"), std::string::npos) << text;
}

TEST_F(DriverPackageTest, StoreShowsTheNoticeThenSuccessOrTheSignedErrorCode) {
    std::vector<std::string> handed;
    std::uint32_t answer = 0;
    auto store = platform::MakeOemInfDriverStore([&](const std::string& inf) {
        handed.push_back(inf);
        return answer;
    });
    InstallUsbDriverPackage(paths_, *store, ShowIn(dialogs_), "Nimbo");
    answer = 0xE000020Bu;  // a setup error: top bit set
    InstallUsbDriverPackage(paths_, *store, ShowIn(dialogs_), "Nimbo");
    answer = 5;
    InstallUsbDriverPackage(paths_, *store, ShowIn(dialogs_), "Nimbo");

    const std::string inf = (paths_.driverDir / "android_winusb.inf").string();
    EXPECT_EQ(handed, (std::vector<std::string>{inf, inf, inf}));
    auto boxes = dialogs_.MessageBoxes();
    ASSERT_EQ(boxes.size(), 6u);
    const std::string notice =
        "驱动文件已经释放到您电脑D盘的android_usb_windows文件夹中,由于Android驱动没有通过微软WHQL"
        "安全认证,请单击是继续安装";
    for (size_t i : {0u, 2u, 4u}) {
        EXPECT_EQ(boxes[i].text, notice);
        EXPECT_EQ(boxes[i].title, "提示");
    }
    EXPECT_EQ(boxes[1].text,
              "驱动已经成功安装，请重新插拔手机如果仍然出现错误可以尝试重启电脑顺利安装");
    EXPECT_EQ(boxes[3].text, "错误代码 -536870389");
    EXPECT_EQ(boxes[5].text, "错误代码 5");
    for (size_t i : {1u, 3u, 5u}) EXPECT_EQ(boxes[i].title, "Nimbo");
}

TEST_F(DriverPackageTest, StoreNoticeComesEvenWhenNothingCouldBeWritten) {
    std::ofstream(root_.path() / "home") << "not a folder";
    UseHome(root_.path() / "home");
    auto store = platform::MakeOemInfDriverStore([](const std::string&) { return 2u; });
    InstallUsbDriverPackage(paths_, *store, ShowIn(dialogs_), "Nimbo");
    auto boxes = dialogs_.MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].title, "提示");
    EXPECT_EQ(boxes[1].text, "错误代码 2");
}

}  // namespace
}  // namespace nimbo
