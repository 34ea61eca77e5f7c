// What each checked row becomes on the PC: the phone shell that asks for
// every file of the folder rows' packages, how its answer is read (verbatim
// adb 29 output), and the pulls and bundle of one row.
#include "packages/export_plan.h"

#include <gtest/gtest.h>

namespace nimbo {
namespace {

using Argv = std::vector<std::string>;

TEST(ExportPlanTest, OneShellAsksForEveryPackageAndSkipsNamesUnfitForAShell) {
    const auto command = PackagePathsCommand({"com.a", "com.b; rm -rf /", "", "com.c_1"});
    ASSERT_TRUE(command);
    EXPECT_EQ(command->argv, (Argv{"adb", "shell",
                                   "echo '== com.a'; pm path com.a; echo '== com.c_1'; pm path "
                                   "com.c_1"}));
    EXPECT_FALSE(PackagePathsCommand({"$(reboot)", "a b"}));

    // Long selections go in several shells, none longer than the limit.
    std::vector<std::string> many;
    for (int i = 0; i < 300; ++i) many.push_back("com.example.package" + std::to_string(i));
    const auto batches = BatchForPathQueries(many);
    ASSERT_GT(batches.size(), 1u);
    size_t total = 0;
    for (const auto& batch : batches) {
        total += batch.size();
        EXPECT_LE(PackagePathsCommand(batch)->argv.back().size(), kPathScriptLimit);
    }
    EXPECT_EQ(total, many.size());
}

TEST(ExportPlanTest, TheShellsAnswerIsReadPerPackage) {
    const PackagePaths paths = ParsePackagePaths(
        "== com.split\r\n"
        "package:/data/app/~~Q1==/com.split-Zz==/base.apk\r\n"
        "package:/data/app/~~Q1==/com.split-Zz==/split_config.arm64_v8a.apk\r\n"
        "package:/data/app/~~Q1==/com.split-Zz==/split_config.xxhdpi.apk\r\n"
        "== com.gone\r\n"
        "== com.sneaky\r\n"
        "package:/data/app/../../etc/passwd.apk\r\n"
        "package:/sdcard/x.apk\r\n"
        "package:/data/app/com.sneaky-1/base.apk\r\n"
        "noise: not a path\r\n"
        "== com.one\r\n"
        "package:/data/app/~~k==/com.one-m==/base.apk");
    ASSERT_EQ(paths.size(), 4u);
    EXPECT_EQ(
        paths.at("com.split"),
        (std::vector<std::string>{"/data/app/~~Q1==/com.split-Zz==/base.apk",
                                  "/data/app/~~Q1==/com.split-Zz==/split_config.arm64_v8a.apk",
                                  "/data/app/~~Q1==/com.split-Zz==/split_config.xxhdpi.apk"}));
    EXPECT_TRUE(paths.at("com.gone").empty());
    EXPECT_EQ(paths.at("com.sneaky"),
              (std::vector<std::string>{"/data/app/com.sneaky-1/base.apk"}));
    EXPECT_EQ(paths.at("com.one").size(), 1u);
}

TEST(ExportPlanTest, SingleFilesKeepTheirOldPulls) {
    // The old layout: the file keeps its name in the folder.
    ExportPlan flat = PlanExport("com.a-1.apk", "com.a", "/b", {});
    ASSERT_EQ(flat.pulls.size(), 1u);
    EXPECT_FALSE(flat.bundle);
    // Every pull writes beside its file first; the file takes its name once
    // the pull is judged whole.
    EXPECT_EQ(PulledFile(flat.pulls[0]), "/b/com.a-1.apk");
    EXPECT_EQ(PullCommand(flat.pulls[0]).argv,
              (Argv{"adb", "pull", "/data/app/com.a-1.apk", "/b/com.a-1.apk.partial"}));
    // A folder of its own and one file: FOLDER/PACKAGE.apk, from where the
    // phone says it is now.
    ExportPlan one = PlanExport("~~x==/com.a-y==/base.apk", "com.a", "/b/",
                                {"/data/app/~~n==/com.a-w==/base.apk"});
    EXPECT_FALSE(one.bundle);
    EXPECT_EQ(PullCommand(one.pulls[0]).argv,
              (Argv{"adb", "pull", "/data/app/~~n==/com.a-w==/base.apk", "/b/com.a.apk.partial"}));
    // Nothing said about it: the listed path.
    EXPECT_EQ(PullCommand(PlanExport("~~x==/com.a-y==/base.apk", "com.a", "/b", {}).pulls[0]).argv,
              (Argv{"adb", "pull", "/data/app/~~x==/com.a-y==/base.apk", "/b/com.a.apk.partial"}));
}

TEST(ExportPlanTest, ASplitAppIsPulledIntoPartsAndBundledAsPackageApks) {
    const ExportPlan plan = PlanExport(
        "~~x==/com.s-y==/base.apk", "com.s", "/备份 1",
        {"/data/app/~~x==/com.s-y==/base.apk", "/data/app/~~x==/com.s-y==/split_config.xxhdpi.apk",
         "/data/app/~~x==/com.s-y==/split_config.xxhdpi.apk"});  // said twice
    ASSERT_TRUE(plan.bundle);
    EXPECT_EQ(plan.bundle->archive, "/备份 1/com.s.apks");
    EXPECT_EQ(plan.bundle->partsFolder, "/备份 1/com.s.apks.parts");
    ASSERT_EQ(plan.pulls.size(), 2u);
    EXPECT_EQ(PullCommand(plan.pulls[1]).argv,
              (Argv{"adb", "pull", "/data/app/~~x==/com.s-y==/split_config.xxhdpi.apk",
                    "/备份 1/com.s.apks.parts/split_config.xxhdpi.apk.partial"}));
    ASSERT_EQ(plan.bundle->parts.size(), 2u);
    EXPECT_EQ(plan.bundle->parts[0].entryName, "base.apk");
    EXPECT_EQ(plan.bundle->parts[0].localFile, "/备份 1/com.s.apks.parts/base.apk");
    EXPECT_EQ(plan.bundle->parts[1].entryName, "split_config.xxhdpi.apk");
}

}  // namespace
}  // namespace nimbo
