// Which adb the program runs: the copy it carries and writes into the system
// directory, or, when it carries none (the Debian package), the system's own,
// even with an old copy still lying in the system directory.
#include "adbtool/adb_program.h"

#include <gtest/gtest.h>

#include <span>

namespace nimbo {
namespace {

std::span<const unsigned char> EverythingButAdb(int resourceId) {
    static const unsigned char kBytes[] = {'P', 'K'};
    if (resourceId == payloads::FindPayload(1)->resourceId) return {};
    return kBytes;
}

std::span<const unsigned char> OnlyAdb(int resourceId) {
    static const unsigned char kElf[] = {0x7f, 'E', 'L', 'F'};
    if (resourceId == payloads::FindPayload(1)->resourceId) return kElf;
    return {};
}

platform::Paths SomePaths() {
    platform::Paths paths;
    paths.systemDir = "/home/u/.local/share/nimbo/system";
    paths.systemAdbDir = "/usr/bin";
    return paths;
}

TEST(AdbProgram, ACarriedAdbIsRunFromTheSystemDirectory) {
    EXPECT_TRUE(CarriesAdb(&OnlyAdb));
    EXPECT_EQ(ProgramSearchDir(SomePaths(), &OnlyAdb), "/home/u/.local/share/nimbo/system");
}

TEST(AdbProgram, WithoutOneTheSystemsAdbFolderComesFirst) {
    EXPECT_FALSE(CarriesAdb(&EverythingButAdb));
    EXPECT_FALSE(CarriesAdb(nullptr));
    EXPECT_EQ(ProgramSearchDir(SomePaths(), &EverythingButAdb), "/usr/bin");
    // Where the system has no adb folder of its own, PATH alone decides.
    platform::Paths noSystemAdb = SomePaths();
    noSystemAdb.systemAdbDir.clear();
    EXPECT_EQ(ProgramSearchDir(noSystemAdb, &EverythingButAdb), "");
}

TEST(AdbProgram, TheBuildTreeProgramCarriesTheAdbItWasBuiltWith) {
    // This test program is linked like the build tree's nimbo.
    EXPECT_TRUE(CarriesAdb());
    EXPECT_EQ(platform::DefaultPaths().systemAdbDir, "/usr/bin");
}

}  // namespace
}  // namespace nimbo
