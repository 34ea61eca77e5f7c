// Files named outside the chooser (command line, drops) reach the path field
// the way the chooser's would: absolute, and only when they are files. The
// folders are made from char8_t names, which every system reads as UTF-8.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "install/install_workers.h"
#include "platform/utf8_path.h"
#include "support/test_paths.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

class ApkPathForFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_.path() / u8"下载" / u8"旧");
        std::ofstream(dir_.path() / u8"下载" / u8"游戏 1.apk") << "PK";
        before_ = fs::current_path();
        fs::current_path(dir_.path());
    }
    void TearDown() override { fs::current_path(before_); }

    test::TempDir dir_;
    fs::path before_;
};

TEST_F(ApkPathForFieldTest, RelativeNamesBecomeAbsoluteFromTheCurrentFolder) {
    const std::string want = platform::Utf8FromPath(dir_.path() / u8"下载" / u8"游戏 1.apk");
    EXPECT_EQ(ApkPathForField("下载/游戏 1.apk"), want);
    EXPECT_EQ(ApkPathForField("./下载/旧/../游戏 1.apk"), want);
    EXPECT_EQ(ApkPathForField(want), want);
}

TEST_F(ApkPathForFieldTest, NothingThatIsNotAFileReachesTheField) {
    EXPECT_EQ(ApkPathForField(""), std::nullopt);
    EXPECT_EQ(ApkPathForField("下载/missing.apk"), std::nullopt);
    EXPECT_EQ(ApkPathForField("下载"), std::nullopt);
    EXPECT_EQ(ApkPathForField("/dev/null"), std::nullopt);
}

}  // namespace
}  // namespace nimbo
