// An export into a folder with a Chinese name, file made, found and removed by
// the export's own steps: the target it names and the discard of a
// failed pull. The names on disk are compared with char8_t literals, which
// every system reads as UTF-8.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>

#include "packages/package_export.h"
#include "packages/pull_outcome.h"
#include "platform/file_identity.h"
#include "platform/utf8_path.h"
#include "support/test_paths.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using platform::PathFromUtf8;
using platform::Utf8FromPath;

std::set<fs::path> Listing(const fs::path& folder) {
    std::set<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

TEST(ExportFolderNames, APullIntoAChineseFolderIsFoundAndDiscardedByItsName) {
    test::TempDir temp;
    const fs::path folder = temp.path() / u8"备份 手机";
    fs::create_directory(folder);
    const std::string folderText = Utf8FromPath(folder);

    // A row of the flat layout keeps the phone's file name; one in a folder
    // of its own is named after its package.
    for (const auto& [name, package, leaf] :
         {std::tuple{"旧 应用.apk", "", u8"旧 应用.apk"},
          std::tuple{"com.a-1/base.apk", "com.a", u8"com.a.apk"}}) {
        SCOPED_TRACE(name);
        const std::string target = ExportTargetPath(name, package, folderText);
        std::ofstream(PathFromUtf8(target)) << "PK";  // what the pull wrote
        EXPECT_EQ(Listing(folder), std::set<fs::path>{leaf});

        EXPECT_TRUE(platform::IdentifyFile(target).exists);
        EXPECT_TRUE(DiscardFailedPull(target, platform::FileIdentity{}));
        EXPECT_TRUE(Listing(folder).empty());
    }
}

}  // namespace
}  // namespace nimbo
