// APK recognition and the package store on a real folder.
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>

#include "apk_reader.h"
#include "framebuffer_service.h"
#include "package_store.h"
#include "support/phonesim_apk.h"
#include "support/phonesim_host.h"
#include "support/test_paths.h"

namespace nimbo::phonesim {
namespace {

using nimbo::test::MakeTestApk;
using nimbo::test::ReadFileBytes;
using nimbo::test::TempDir;

// A one-entry zip whose entry is deflated, as most real APKs are.
std::string DeflatedZip(const std::string& name, const std::string& text) {
    std::string packed(compressBound(text.size()) + 64, '\0');
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(text.data()), uInt(text.size()));
    auto le = [](std::string& s, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) s.push_back(char((v >> (8 * i)) & 0xff));
    };
    std::string local, central, end;
    auto common = [&](std::string& s) {
        le(s, 20, 2), le(s, 0, 2), le(s, 8, 2), le(s, 0, 4), le(s, crc, 4);
        le(s, uint32_t(packed.size()), 4), le(s, uint32_t(text.size()), 4);
        le(s, uint32_t(name.size()), 2), le(s, 0, 2);
    };
    le(local, 0x04034b50, 4), common(local), local += name + packed;
    le(central, 0x02014b50, 4), le(central, 20, 2), common(central);
    le(central, 0, 2), le(central, 0, 2), le(central, 0, 2), le(central, 0, 4), le(central, 0, 4);
    central += name;
    le(end, 0x06054b50, 4), le(end, 0, 4), le(end, 1, 2), le(end, 1, 2);
    le(end, uint32_t(central.size()), 4), le(end, uint32_t(local.size()), 4), le(end, 0, 2);
    return local + central + end;
}

TEST(ApkReader, PackageFromStoredAndDeflatedManifestsElseFileName) {
    TempDir dir;
    auto stored = dir.path() / "first.apk";
    ASSERT_TRUE(MakeTestApk(stored, "com.example.stored", 70000));
    ApkInfo info = InspectApk(stored, "first.apk");
    EXPECT_TRUE(info.isZip);
    EXPECT_EQ(info.package, "com.example.stored");

    std::string deflated = DeflatedZip("AndroidManifest.xml",
                                       "<manifest xmlns:android=\"x\" android:versionName=\"1\"\n  "
                                       "package = 'org.deflated.app' />");
    info = InspectApkBytes(deflated, "other.apk");
    EXPECT_TRUE(info.isZip);
    EXPECT_EQ(info.package, "org.deflated.app");

    info = InspectApkBytes(DeflatedZip("classes.dex", "dex"), "/x/My.Game.apk");
    EXPECT_TRUE(info.isZip);
    EXPECT_EQ(info.package, "My.Game");

    // Broken archives are not zips; nothing is read past their end.
    std::string cut = ReadFileBytes(stored);
    EXPECT_FALSE(InspectApkBytes(cut.substr(0, cut.size() - 30), "a.apk").isZip);
    EXPECT_FALSE(InspectApkBytes("PK\x05\x06", "a.apk").isZip);
    EXPECT_FALSE(InspectApkBytes("", "a.apk").isZip);
    std::string lying = cut;
    lying[lying.size() - 6] = '\x7f';  // central directory offset far past the end
    EXPECT_FALSE(InspectApkBytes(lying, "a.apk").isZip);
}

TEST(ApkReader, ManifestPackageAttribute) {
    EXPECT_EQ(PackageFromManifest("<manifest package=\"a.b\">"), "a.b");
    EXPECT_EQ(PackageFromManifest("<x android:package=\"no\" package=\"yes.it\"/>"), "yes.it");
    EXPECT_FALSE(PackageFromManifest("<manifest package=\"bad name\">"));
    EXPECT_FALSE(PackageFromManifest("<manifest package=\"../../x\">"));
    EXPECT_FALSE(PackageFromManifest("<manifest package=\"unterminated>"));
    EXPECT_FALSE(PackageFromManifest("<manifest>"));
}

class PackageStoreTest : public ::testing::Test {
protected:
    PackageStoreTest() : fs_(dir_.path()), store_(fs_) {
        std::filesystem::create_directories(dir_.path() / "data/app");
    }
    std::string ListUser() {
        std::string out;
        for (const auto& p : store_.List()) {
            if (p.devicePath.rfind("/data/", 0) == 0) out += p.devicePath + "=" + p.package + "\n";
        }
        return out;
    }
    TempDir dir_;
    DeviceFs fs_;
    PackageStore store_;
};

TEST_F(PackageStoreTest, LegacyInstallReplaceAndRefusals) {
    auto apk = dir_.path() / "in.apk";
    ASSERT_TRUE(MakeTestApk(apk, "com.a"));
    EXPECT_EQ(store_.Install(apk, "/x/in.apk", false, PackageLayout::Legacy), "Success");
    EXPECT_EQ(ListUser(), "/data/app/com.a-1.apk=com.a\n");
    EXPECT_EQ(store_.Install(apk, "/x/in.apk", false, PackageLayout::Legacy),
              "Failure [INSTALL_FAILED_ALREADY_EXISTS]");
    EXPECT_EQ(store_.Install(apk, "/x/in.apk", true, PackageLayout::Legacy), "Success");
    EXPECT_EQ(ListUser(), "/data/app/com.a-2.apk=com.a\n");
    EXPECT_EQ(store_.Install(apk, "/x/in.apk", true, PackageLayout::Legacy), "Success");
    EXPECT_EQ(ListUser(), "/data/app/com.a-1.apk=com.a\n");

    { std::ofstream(dir_.path() / "text.apk") << "hello"; }
    EXPECT_EQ(
        store_.Install(dir_.path() / "text.apk", "/sdcard/text.apk", true, PackageLayout::Legacy),
        "Failure [INSTALL_PARSE_FAILED_NOT_APK: Failed to parse /sdcard/text.apk: not a "
        "zip archive]");
    EXPECT_EQ(store_.Install(dir_.path() / "none.apk", "/none.apk", true, PackageLayout::Legacy),
              "Failure [INSTALL_FAILED_INVALID_URI]");
    EXPECT_EQ(ListUser(), "/data/app/com.a-1.apk=com.a\n");
}

TEST_F(PackageStoreTest, ModernLayoutAndSwitchingBack) {
    auto apk = dir_.path() / "in.apk";
    ASSERT_TRUE(MakeTestApk(apk, "com.b"));
    EXPECT_EQ(store_.Install(apk, "/in.apk", false, PackageLayout::Modern), "Success");
    auto apps = store_.List();
    ASSERT_EQ(apps.back().package, "com.b");
    const std::string& path = apps.back().devicePath;
    // /data/app/~~<22>==/com.b-<22>==/base.apk
    ASSERT_EQ(path.size(), std::string("/data/app/~~==/com.b-==/base.apk").size() + 44) << path;
    EXPECT_EQ(path.rfind("/data/app/~~", 0), 0u);
    EXPECT_EQ(path.substr(34, 8), "==/com.b");
    EXPECT_EQ(ReadFileBytes(*fs_.Map(path)), ReadFileBytes(apk));

    // A replace on the old layout leaves no empty folders of the new one.
    EXPECT_EQ(store_.Install(apk, "/in.apk", true, PackageLayout::Legacy), "Success");
    EXPECT_EQ(ListUser(), "/data/app/com.b-1.apk=com.b\n");
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir_.path() / "data/app")) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

// What adb's install-multiple does: a session, one write per part, a commit.
TEST_F(PackageStoreTest, SplitAppsInstallInOneSessionAndListOnlyTheirBase) {
    const auto parts =
        nimbo::test::MakeTestSplitApp(dir_.path(), "com.s", {"config.xxhdpi", "de"}, 3000);
    ASSERT_EQ(parts.size(), 3u);
    // The base alone will not install; a split alone has no base.
    EXPECT_EQ(store_.Install(parts[0], "/t/base.apk", true, PackageLayout::Legacy),
              "Failure [INSTALL_FAILED_MISSING_SPLIT: Missing split for com.s]");
    EXPECT_EQ(store_.Install(parts[1], "/t/s.apk", true, PackageLayout::Legacy),
              "Failure [INSTALL_FAILED_INVALID_APK: Full install must include a base package]");

    auto commit = [&](PackageLayout layout) {
        const int session = store_.CreateSession(true);
        for (const auto& part : parts) {
            auto file = store_.SessionFile(session, part.filename().string());
            EXPECT_TRUE(file);
            if (file) std::filesystem::copy_file(part, *file);
        }
        EXPECT_FALSE(store_.SessionFile(session, "../escape.apk"));
        return store_.CommitSession(session, layout);
    };
    EXPECT_EQ(commit(PackageLayout::Legacy), "Success");
    EXPECT_EQ(ListUser(), "/data/app/com.s-1/base.apk=com.s\n");
    EXPECT_EQ(store_.Paths("com.s"),
              (std::vector<std::string>{"/data/app/com.s-1/base.apk",
                                        "/data/app/com.s-1/split_config.xxhdpi.apk",
                                        "/data/app/com.s-1/split_de.apk"}));
    for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(ReadFileBytes(*fs_.Map(store_.Paths("com.s")[i])), ReadFileBytes(parts[i]));
    }
    // Replaced on the new layout: nothing of the old folder is left.
    EXPECT_EQ(commit(PackageLayout::Modern), "Success");
    EXPECT_EQ(store_.Paths("com.s").size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "data/app/com.s-1"));
    EXPECT_TRUE(store_.Paths("com.none").empty());
    EXPECT_EQ(store_.Paths("android"),
              (std::vector<std::string>{"/system/framework/framework-res.apk"}));

    const int abandoned = store_.CreateSession(false);
    EXPECT_TRUE(store_.AbandonSession(abandoned));
    EXPECT_FALSE(store_.AbandonSession(abandoned));
    EXPECT_EQ(
        store_.CommitSession(abandoned, PackageLayout::Legacy),
        "Failure [INSTALL_FAILED_INTERNAL_ERROR: no session " + std::to_string(abandoned) + "]");
}

TEST(TestPicture, HeadersAndPixelsAgreeWithWhatClientsExpect) {
    EXPECT_EQ(TestPictureRgb565(320, 480), nimbo::test::ExpectedPictureRgb565(320, 480));
    EXPECT_EQ(TestPictureRgba8888(33, 17), nimbo::test::ExpectedPictureRgba8888(33, 17));
    EXPECT_EQ(FramebufferHeader(FramebufferMode::Legacy, 320, 480).size(), 16u);
    EXPECT_EQ(FramebufferHeader(FramebufferMode::SplitHeader, 320, 480),
              FramebufferHeader(FramebufferMode::Legacy, 320, 480));
    EXPECT_EQ(FramebufferHeader(FramebufferMode::Version1, 2, 2).size(), 52u);
    EXPECT_EQ(FramebufferHeader(FramebufferMode::Version2, 2, 2).size(), 56u);
    // Corners: black-ish top left, full red top right, full green bottom left.
    Rgb tl = TestPicturePixel(0, 0, 100, 100), tr = TestPicturePixel(99, 0, 100, 100);
    Rgb bl = TestPicturePixel(0, 99, 100, 100);
    EXPECT_EQ(tl.r + tl.g, 0);
    EXPECT_EQ(tr.r, 255);
    EXPECT_EQ(bl.g, 255);
    EXPECT_NE(TestPicturePixel(0, 0, 100, 100).b, TestPicturePixel(32, 0, 100, 100).b);
}

}  // namespace
}  // namespace nimbo::phonesim
