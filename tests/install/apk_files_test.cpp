// What the path field holds for one file or several, which choices it takes,
// and how a bundle is unpacked for adb install-multiple.
#include "install/apk_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "archive/zip_archive.h"
#include "support/phonesim_apk.h"
#include "support/test_paths.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

TEST(ApkPathFieldTest, OnePathAsItIsSeveralQuotedAndBack) {
    EXPECT_EQ(FormatApkPathField({"/home/u/我的 app.apk"}), "/home/u/我的 app.apk");
    const auto several = FormatApkPathField({"/a b/base.apk", "/a b/split_x.apk"});
    EXPECT_EQ(several, "\"/a b/base.apk\" \"/a b/split_x.apk\"");
    EXPECT_EQ(ParseApkPathField(*several), (Paths{"/a b/base.apk", "/a b/split_x.apk"}));
    EXPECT_EQ(ParseApkPathField("/home/u/我的 app.apk"), (Paths{"/home/u/我的 app.apk"}));
    EXPECT_TRUE(ParseApkPathField("").empty());
    // A quote among several could not be read back.
    EXPECT_FALSE(FormatApkPathField({"/a\".apk", "/b.apk"}));
    // An unclosed quote is one path as typed.
    EXPECT_EQ(ParseApkPathField("\"/x.apk"), (Paths{"\"/x.apk"}));
}

TEST(ApkPathFieldTest, AcceptsOneApkOrBundleOrSeveralApks) {
    test::TempDir dir;
    for (const char* name : {"a.apk", "b.APK", "c.apks", "notes.txt"}) {
        std::ofstream(dir.path() / name) << "x";
    }
    auto at = [&](const char* name) { return (dir.path() / name).string(); };
    EXPECT_TRUE(AcceptableApkChoice({at("a.apk")}));
    EXPECT_TRUE(AcceptableApkChoice({at("c.apks")}));
    EXPECT_TRUE(AcceptableApkChoice({at("a.apk"), at("b.APK")}));
    EXPECT_FALSE(AcceptableApkChoice({at("notes.txt")}));
    EXPECT_FALSE(AcceptableApkChoice({at("a.apk"), at("c.apks")}));
    EXPECT_FALSE(AcceptableApkChoice({at("a.apk"), at("notes.txt")}));
    EXPECT_FALSE(AcceptableApkChoice({at("missing.apk")}));
    EXPECT_FALSE(AcceptableApkChoice({}));
}

TEST(ApkBundleTest, EveryApkOfTheBundleIsUnpackedBaseFirstAndRemovedAfter) {
    test::TempDir dir;
    const auto parts = test::MakeTestSplitApp(dir.path(), "com.s", {"config.xxhdpi", "zh"}, 9000);
    ASSERT_EQ(parts.size(), 3u);
    std::ofstream(dir.path() / "toc.pb") << "not an apk";
    const fs::path bundle = dir.path() / "com.s.apks";
    // Splits first and a non-APK entry: the base still comes first.
    ASSERT_TRUE(archive::WriteZip(bundle, {{"split_zh.apk", parts[2]},
                                           {"toc.pb", dir.path() / "toc.pb"},
                                           {"apks/base.apk", parts[0]},
                                           {"split_config.xxhdpi.apk", parts[1]}}));
    const fs::path scratch = dir.path() / "scratch";
    fs::create_directories(scratch);
    auto extracted = ExtractBundle(bundle, scratch);
    ASSERT_TRUE(extracted);
    ASSERT_EQ(extracted->parts.size(), 3u);
    EXPECT_EQ(fs::path(extracted->parts[0]).filename(), "base.apk");
    EXPECT_EQ(test::ReadFileBytes(extracted->parts[0]), test::ReadFileBytes(parts[0]));
    EXPECT_EQ(test::ReadFileBytes(extracted->parts[1]), test::ReadFileBytes(parts[2]));
    RemoveExtractedBundle(*extracted);
    EXPECT_TRUE(fs::is_empty(scratch));
}

TEST(ApkBundleTest, AFileThatIsNoBundleIsRefusedAndLeavesNothing) {
    test::TempDir dir;
    const fs::path scratch = dir.path() / "scratch";
    fs::create_directories(scratch);
    std::ofstream(dir.path() / "fake.apks") << "plain text, no zip";
    BundleError why = BundleError::CannotWrite;
    EXPECT_FALSE(ExtractBundle(dir.path() / "fake.apks", scratch, &why));
    EXPECT_EQ(why, BundleError::NotABundle);
    // A zip without any APK in it.
    std::ofstream(dir.path() / "readme") << "hello";
    ASSERT_TRUE(archive::WriteZip(dir.path() / "empty.apks", {{"readme", dir.path() / "readme"}}));
    EXPECT_FALSE(ExtractBundle(dir.path() / "empty.apks", scratch, &why));
    EXPECT_EQ(why, BundleError::NotABundle);
    EXPECT_TRUE(fs::is_empty(scratch));
}

}  // namespace
}  // namespace nimbo
