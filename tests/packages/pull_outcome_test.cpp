// Judging one `adb pull` from adb 29's own words (recorded without a
// terminal, as Nimbo runs it), its exit and the file it left; and what a
// failed pull may remove.
#include "packages/pull_outcome.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "support/phonesim_apk.h"
#include "support/test_paths.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using Kind = platform::ExitStatus::Kind;

constexpr platform::ExitStatus kExited0{Kind::Exited, 0};
constexpr platform::ExitStatus kExited1{Kind::Exited, 1};
constexpr char kPulled[] =
    "/data/app/com.x-1.apk: 1 file pulled, 0 skipped. 5.2 MB/s (300245 bytes in 0.056s)\n";

platform::FileIdentity FileOf(std::uint64_t size) {
    platform::FileIdentity f;
    f.exists = f.regular = true;
    f.inode = 7;
    f.size = size;
    return f;
}
const platform::FileIdentity kNothing{};

TEST(JudgePullTest, OnlyAReportedPullWithTheWholeFileCounts) {
    EXPECT_TRUE(JudgePull(kExited0, kPulled, FileOf(300245)).Pulled());
    // A launcher that cannot tell the exit leaves the words and the file to judge.
    EXPECT_TRUE(JudgePull({}, kPulled, FileOf(300245)).Pulled());

    // Words of success, but not the file they speak of.
    EXPECT_FALSE(JudgePull(kExited0, kPulled, FileOf(100000)).Pulled());
    EXPECT_FALSE(JudgePull(kExited0, kPulled, kNothing).Pulled());
    platform::FileIdentity folder = FileOf(4096);
    folder.regular = false;
    folder.directory = true;
    EXPECT_FALSE(JudgePull(kExited0, kPulled, folder).Pulled());
    // A file, but adb never said it finished (exit unknown, output lost).
    EXPECT_FALSE(JudgePull({}, "", FileOf(300245)).Pulled());
    // Exit 0 cannot outweigh an error line.
    EXPECT_FALSE(
        JudgePull(kExited0, std::string(kPulled) + "adb: error: x\n", FileOf(300245)).Pulled());
}

TEST(JudgePullTest, EachWayAPullWasSeenToFailGivesItsCause) {
    // The phone killed, or the adb server killed, while the file was on its
    // way: adb says nothing at all and exits 1.
    const PullJudgement silent = JudgePull(kExited1, "", kNothing);
    EXPECT_EQ(silent.failure, PullFailure::Connection);
    EXPECT_EQ(silent.reason, "adb ended with code 1");
    // The next pull after the phone went.
    EXPECT_EQ(
        JudgePull(kExited1, "adb: error: failed to get feature set: device offline\n", kNothing)
            .failure,
        PullFailure::Connection);
    // A full disk under the folder (a 64 KiB tmpfs).
    EXPECT_EQ(JudgePull(kExited1,
                        "adb: error: cannot write 'out/com.x-1.apk': No space left on device\n"
                        "[ 21%] /data/app/com.x-1.apk\n",
                        kNothing)
                  .failure,
              PullFailure::FolderFull);
    // A file-size limit: adb is killed by SIGXFSZ and leaves what it wrote.
    const PullJudgement limited = JudgePull({Kind::Signalled, SIGXFSZ}, "", FileOf(100000));
    EXPECT_EQ(limited.failure, PullFailure::FolderFull);
    EXPECT_EQ(limited.reason, "adb was ended by signal " + std::to_string(SIGXFSZ));
    // A read-only folder, and one without the right to write.
    EXPECT_EQ(
        JudgePull(kExited1, "adb: error: cannot create 'out/com.x-1.apk': Read-only file system\n",
                  kNothing)
            .failure,
        PullFailure::FolderReadOnly);
    EXPECT_EQ(
        JudgePull(kExited1, "adb: error: cannot create 'o/a.apk': Permission denied\n", kNothing)
            .failure,
        PullFailure::FolderReadOnly);
    // Killed from outside: nothing said, the file cut short.
    EXPECT_EQ(JudgePull({Kind::Signalled, SIGKILL}, "", FileOf(65536)).failure,
              PullFailure::Connection);
}

class DiscardFailedPullTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path p = dir_.path() / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    test::TempDir dir_;
};

TEST_F(DiscardFailedPullTest, WhatThePullWroteGoesAndAnEarlierBackupItNeverTouchedStays) {
    // Nothing there before: the part the pull wrote goes.
    const std::string fresh = (dir_.path() / "a.apk").string();
    const platform::FileIdentity none = platform::IdentifyFile(fresh);
    Write("a.apk", "half");
    EXPECT_TRUE(DiscardFailedPull(fresh, none));
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_TRUE(DiscardFailedPull(fresh, none));  // nothing left is fine too

    // Yesterday's backup, which adb never reached (the phone was gone before).
    const std::string old = Write("b.apk", "whole old backup");
    const platform::FileIdentity before = platform::IdentifyFile(old);
    EXPECT_TRUE(DiscardFailedPull(old, before));
    EXPECT_EQ(test::ReadFileBytes(old), "whole old backup");

    // Yesterday's backup replaced by a part of today's: the part goes.
    fs::remove(old);
    Write("b.apk", "par");
    EXPECT_TRUE(DiscardFailedPull(old, before));
    EXPECT_FALSE(fs::exists(old));

    // A folder under the name is nobody's partial file.
    fs::create_directory(dir_.path() / "c.apk");
    EXPECT_TRUE(DiscardFailedPull((dir_.path() / "c.apk").string(), none));
    EXPECT_TRUE(fs::is_directory(dir_.path() / "c.apk"));
}

}  // namespace
}  // namespace nimbo
