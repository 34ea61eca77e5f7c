// The program's UTF-8 text and paths meet only through PathFromUtf8 and
// Utf8FromPath; checked against char8_t literals, which every system reads as
// UTF-8, so a library that reads narrow text in a code page is caught.
#include "platform/utf8_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/test_paths.h"

namespace nimbo::platform {
namespace {

namespace fs = std::filesystem;

TEST(Utf8Path, ChineseNamesCrossOverUnchangedBothWays) {
    const std::string text = "下载/游戏 1 «ü».apk";
    EXPECT_EQ(PathFromUtf8(text), fs::path(u8"下载/游戏 1 «ü».apk"));
    EXPECT_EQ(PathFromUtf8(text).filename(), fs::path(u8"游戏 1 «ü».apk"));
    EXPECT_EQ(Utf8FromPath(fs::path(u8"备份") / u8"微信.apk"),
              std::string("备份") + static_cast<char>(fs::path::preferred_separator) + "微信.apk");
    EXPECT_EQ(Utf8FromPath(PathFromUtf8(text)), text);
    EXPECT_EQ(Utf8FromPath(PathFromUtf8("")), "");
}

TEST(Utf8Path, AFileMadeFromUtf8TextIsFoundUnderItsOwnName) {
    test::TempDir dir;
    const std::string folder = Utf8FromPath(dir.path()) + "/导出 文件夹";
    ASSERT_TRUE(fs::create_directory(PathFromUtf8(folder)));
    std::ofstream(PathFromUtf8(folder + "/应用.apk")) << "PK";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path() / u8"导出 文件夹")) {
        names.push_back(Utf8FromPath(entry.path().filename()));
    }
    EXPECT_EQ(names, std::vector<std::string>{"应用.apk"});
}

}  // namespace
}  // namespace nimbo::platform
