#include "packages/package_list_parser.h"

#include <gtest/gtest.h>

namespace nimbo {
namespace {

std::vector<std::string> Names(const std::vector<PackageRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.name);
    return out;
}

TEST(ParsePackageList, RowsComeInDisplayOrderLastPackageOnTop) {
    const auto rows = ParsePackageList(
        "package:/data/app/com.a-1.apk=com.a\r\npackage:/data/app/com.b.apk=com.b\r\n");
    ASSERT_EQ(Names(rows), (std::vector<std::string>{"com.b.apk", "com.a-1.apk"}));
    EXPECT_EQ(rows[1].packageName, "com.a");
    EXPECT_EQ(rows[1].sourcePath, "/data/app/com.a-1.apk");
    EXPECT_EQ(rows[1].targetFileName, "");
}

TEST(ParsePackageList, OnlyLinesBeginningWithTheAppFolderCount) {
    const auto rows = ParsePackageList(
        "package:/system/app/Browser.apk=com.android.browser\n"
        "Package:/data/app/com.cap.apk=com.cap\n"
        " package:/data/app/com.blank.apk=com.blank\n"
        "package:/data/app-private/com.p.apk=com.p\n"
        "WARNING: linker: libdvm.so has text relocations.\n"
        "package:/data/app/com.ok.apk=com.ok\n"
        "package:/data/app/\n"
        "package:/data/app/=com.nameless\n"
        "package:/data/ap");
    EXPECT_EQ(Names(rows), std::vector<std::string>{"com.ok.apk"});
}

TEST(ParsePackageList, LineEndingsAndRunsOfThemLeaveNoStrayCharacters) {
    EXPECT_EQ(Names(ParsePackageList("\r\n\r\npackage:/data/app/a.apk=a\r\r\n\n"
                                     "package:/data/app/b.apk=b\rpackage:/data/app/c.apk=c")),
              (std::vector<std::string>{"c.apk", "b.apk", "a.apk"}));
    EXPECT_TRUE(ParsePackageList("").empty());
    EXPECT_TRUE(ParsePackageList("\r\n\n").empty());
    EXPECT_TRUE(ParsePackageList("error: no devices/emulators found\n").empty());
}

TEST(ParsePackageList, NewerLayoutKeepsThePathWholeAndThePackageName) {
    const auto rows = ParsePackageList(
        "package:/data/app/~~Xq1A-bC_dE==/com.example.app-Zz9_yY==/base.apk=com.example.app\n"
        "package:/data/app/com.old-2/base.apk=com.old\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "com.old-2/base.apk");
    EXPECT_EQ(rows[0].packageName, "com.old");
    EXPECT_EQ(rows[0].targetFileName, "com.old.apk");
    EXPECT_EQ(rows[1].name, "~~Xq1A-bC_dE==/com.example.app-Zz9_yY==/base.apk");
    EXPECT_EQ(rows[1].packageName, "com.example.app");
    EXPECT_EQ(rows[1].sourcePath, "/data/app/~~Xq1A-bC_dE==/com.example.app-Zz9_yY==/base.apk");
    EXPECT_EQ(rows[1].targetFileName, "com.example.app.apk");
}

TEST(ParsePackageList, LineWithoutPackageNameKeepsItsWholePath) {
    const auto rows = ParsePackageList(
        "package:/data/app/com.plain.apk\n"
        "package:/data/app/~~ab==/com.x-cd==/base.apk\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "~~ab==/com.x-cd==/base.apk");
    EXPECT_EQ(rows[0].packageName, "");
    EXPECT_EQ(rows[0].targetFileName, "com.x.apk");  // named after its folder, not base.apk
    EXPECT_EQ(rows[1].name, "com.plain.apk");
    EXPECT_EQ(rows[1].packageName, "");
    EXPECT_EQ(rows[1].targetFileName, "");
}

TEST(ExportTargetFileName, EveryPackageInAFolderGetsAFileOfItsOwn) {
    EXPECT_EQ(ExportTargetFileName("com.a-1.apk", "com.a"), "");
    EXPECT_EQ(ExportTargetFileName("com.a-1/base.apk", "com.a"), "com.a.apk");
    EXPECT_EQ(ExportTargetFileName("~~r-_==/com.b-x-y_==/base.apk", ""), "com.b.apk");
    EXPECT_EQ(ExportTargetFileName("com.c/base.apk", ""), "com.c.apk");
    // A name that gives no usable folder keeps the file's own name.
    EXPECT_EQ(ExportTargetFileName("-x/base.apk", ""), "base.apk");
    EXPECT_EQ(ExportTargetFileName("../base.apk", ""), "base.apk");
}

TEST(ParsePackageList, ChineseBytesPassThroughUntouched) {
    // GBK and UTF-8 trail bytes never equal CR or LF, so names survive whole.
    const std::string gbk = "\xC8\xED\xBC\xFE.apk";  // 软件.apk in GBK
    const auto rows = ParsePackageList("package:/data/app/" + gbk + "=com.cn\r\n");
    EXPECT_EQ(Names(rows), std::vector<std::string>{gbk});
}

TEST(ParsePackageList, FifteenHundredPackagesAllArrive) {
    std::string output;
    for (int i = 0; i < 1500; ++i) {
        output += "package:/data/app/~~r" + std::to_string(i) + "AbCdEfGh==/com.vendor.app" +
                  std::to_string(i) + "-XyZ==/base.apk=com.vendor.app" + std::to_string(i) + "\n";
    }
    ASSERT_GT(output.size(), 40959u);
    const auto rows = ParsePackageList(output);
    ASSERT_EQ(rows.size(), 1500u);
    EXPECT_EQ(rows.front().packageName, "com.vendor.app1499");
    EXPECT_EQ(rows.back().packageName, "com.vendor.app0");
}

}  // namespace
}  // namespace nimbo
