// App bundles as zip archives: what is written reads back byte for byte, other
// tools' deflated bundles open, and a damaged archive is refused without
// leaving files behind.
#include "archive/zip_archive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "support/phonesim_apk.h"
#include "support/test_paths.h"

namespace nimbo::archive {
namespace {

namespace fs = std::filesystem;

std::string Deterministic(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ZipArchiveTest : public ::testing::Test {
protected:
    fs::path At(const std::string& name) const { return dir_.path() / name; }
    test::TempDir dir_;
};

TEST_F(ZipArchiveTest, WrittenEntriesReadBackByteForByteInOrder) {
    const std::string base = Deterministic(700 * 1024, 1);  // several copy chunks
    const std::string split = Deterministic(3, 2);
    WriteFile(At("b"), base);
    WriteFile(At("s"), split);
    WriteFile(At("empty"), "");
    const fs::path bundle = At("com.x.apks");
    ASSERT_TRUE(WriteZip(bundle, {{"base.apk", At("b")},
                                  {"split_config.xxhdpi.apk", At("s")},
                                  {"split_名字.apk", At("empty")}}));
    EXPECT_FALSE(fs::exists(At("com.x.apks.partial")));

    auto entries = ReadZipDirectory(bundle);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].name, "base.apk");
    EXPECT_EQ((*entries)[1].name, "split_config.xxhdpi.apk");
    EXPECT_EQ((*entries)[2].name, "split_名字.apk");
    const std::string expected[] = {base, split, ""};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ((*entries)[i].method, 0);
        ASSERT_TRUE(ExtractZipEntry(bundle, (*entries)[i], At("out")));
        EXPECT_EQ(test::ReadFileBytes(At("out")), expected[i]) << i;
    }
    // The system's unzip agrees that the archive is sound.
    EXPECT_EQ(std::system(("unzip -tqq '" + bundle.string() + "' >/dev/null").c_str()), 0);
}

TEST_F(ZipArchiveTest, DeflatedBundlesOfOtherToolsOpen) {
    const std::string text(300 * 1024, 'a');  // compresses to a few hundred bytes
    WriteFile(At("base.apk"), text + Deterministic(5000, 3));
    const std::string zipped = At("other.apks").string();
    ASSERT_EQ(
        std::system(("cd '" + dir_.path().string() + "' && zip -q -9 other.apks base.apk").c_str()),
        0);
    auto entries = ReadZipDirectory(zipped);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].method, 8);
    ASSERT_TRUE(ExtractZipEntry(zipped, (*entries)[0], At("out.apk")));
    EXPECT_EQ(test::ReadFileBytes(At("out.apk")), test::ReadFileBytes(At("base.apk")));
}

TEST_F(ZipArchiveTest, DamagedOrForeignFilesAreRefused) {
    WriteFile(At("notes.txt"), "just some text, no zip at all");
    auto notZip = ReadZipDirectory(At("notes.txt"));
    ASSERT_FALSE(notZip);
    EXPECT_EQ(notZip.error(), ZipError::NotAZip);
    EXPECT_EQ(ReadZipDirectory(At("missing.apks")).error(), ZipError::CannotRead);

    // A flipped byte in the stored data fails the CRC; nothing is left behind.
    const std::string payload = Deterministic(4096, 9);
    WriteFile(At("p"), payload);
    ASSERT_TRUE(WriteZip(At("x.apks"), {{"base.apk", At("p")}}));
    std::string bytes = test::ReadFileBytes(At("x.apks"));
    bytes[30 + 8 + 100] ^= 0x55;  // inside the data, after the header and its name
    WriteFile(At("x.apks"), bytes);
    auto entries = ReadZipDirectory(At("x.apks"));
    ASSERT_TRUE(entries);
    auto extracted = ExtractZipEntry(At("x.apks"), (*entries)[0], At("out"));
    ASSERT_FALSE(extracted);
    EXPECT_EQ(extracted.error(), ZipError::Corrupt);
    EXPECT_FALSE(fs::exists(At("out")));

    // A source that cannot be read leaves no archive, not even a partial one.
    auto written = WriteZip(At("y.apks"), {{"base.apk", At("p")}, {"s.apk", At("gone")}});
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), ZipError::CannotRead);
    EXPECT_FALSE(fs::exists(At("y.apks")));
    EXPECT_FALSE(fs::exists(At("y.apks.partial")));
}

}  // namespace
}  // namespace nimbo::archive
