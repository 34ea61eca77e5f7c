// Files and shell commands through the real adb: pull, push, ls, rm, quoting.
#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <thread>

#include "support/phone_fixture.h"
#include "support/phonesim_apk.h"

namespace nimbo::test {
namespace {

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(phones_.Start(1)) << phones_.error(); }
    void TearDown() override { EXPECT_TRUE(phones_.Stop()) << phones_.error(); }
    CommandResult Adb(std::vector<std::string> args) {
        args.insert(args.begin(), {"-s", phones_.serial()});
        return phones_.RunAdb(args);
    }
    PhoneFixture phones_;
    TempDir dir_;
};

TEST_F(TransferTest, PullReturnsIdenticalBytesOfALargeApk) {
    auto apk = dir_.path() / "big.apk";
    ASSERT_TRUE(MakeTestApk(apk, "com.example.big", 5 * 1024 * 1024));
    ASSERT_EQ(std::filesystem::file_size(apk), 5u * 1024 * 1024);
    auto install = Adb({"install", "-r", apk.string()});
    ASSERT_NE(install.output.find("Success"), std::string::npos) << install.output;

    auto back = dir_.path() / "out";
    std::filesystem::create_directories(back);
    auto pull = Adb({"pull", "/data/app/com.example.big-1.apk", back.string()});
    EXPECT_EQ(pull.exitCode, 0) << pull.output;
    EXPECT_EQ(ReadFileBytes(back / "com.example.big-1.apk"), ReadFileBytes(apk));
}

TEST_F(TransferTest, PushThenPullAndErrorsForMissingFiles) {
    auto src = dir_.path() / "odd name 'q' $x.bin";
    {
        std::ofstream out(src, std::ios::binary);
        for (int i = 0; i < 200000; ++i) out.put(static_cast<char>(i * 7));
    }
    auto push = Adb({"push", src.string(), "/sdcard/odd name 'q' $x.bin"});
    EXPECT_EQ(push.exitCode, 0) << push.output;
    EXPECT_EQ(ReadFileBytes(phones_.stateDir() / "sdcard/odd name 'q' $x.bin"), ReadFileBytes(src));

    auto back = dir_.path() / "back.bin";
    EXPECT_EQ(Adb({"pull", "/sdcard/odd name 'q' $x.bin", back.string()}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(back), ReadFileBytes(src));

    // A folder comes back whole (the listing request walks it).
    Adb({"push", src.string(), "/sdcard/sub/inner.bin"});
    auto folder = dir_.path() / "folder";
    auto pulled = Adb({"pull", "/sdcard", folder.string()});
    EXPECT_EQ(pulled.exitCode, 0) << pulled.output;
    EXPECT_EQ(ReadFileBytes(folder / "odd name 'q' $x.bin"), ReadFileBytes(src));
    EXPECT_EQ(ReadFileBytes(folder / "sub/inner.bin"), ReadFileBytes(src));

    auto missing = Adb({"pull", "/data/app/none.apk", (dir_.path() / "none.apk").string()});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.output.find("adb: error: remote object '/data/app/none.apk' does not exist"),
              std::string::npos)
        << missing.output;
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "none.apk"));
}

TEST_F(TransferTest, NothingOutsideTheStateFolderIsReachable) {
    auto outside = dir_.path() / "secret.txt";
    { std::ofstream(outside) << "host file"; }
    std::string climb = "/../../../../../../../../.." + outside.string();
    auto pull = Adb({"pull", climb, (dir_.path() / "got.txt").string()});
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "got.txt")) << pull.output;
    Adb({"shell", "rm", "-f", "'" + climb + "'"});
    EXPECT_TRUE(std::filesystem::exists(outside));
}

TEST_F(TransferTest, ShellLsRmAndUnknownCommands) {
    auto apk = dir_.path() / "a.apk";
    ASSERT_TRUE(MakeTestApk(apk, "com.example.a"));
    Adb({"install", "-r", apk.string()});
    EXPECT_EQ(Adb({"shell", "ls", "/data/app"}).output, "com.example.a-1.apk\n");
    // adb joins the words with blanks; the phone's shell splits and unquotes them.
    EXPECT_EQ(Adb({"shell", "ls", "'/data/app/com.example.a-1.apk'"}).output,
              "/data/app/com.example.a-1.apk\n");
    EXPECT_EQ(Adb({"shell", "ls", "/nowhere"}).output, "ls: /nowhere: No such file or directory\n");
    EXPECT_EQ(Adb({"shell", "rm", "/data/app/none.apk"}).output,
              "rm: /data/app/none.apk: No such file or directory\n");
    EXPECT_EQ(Adb({"shell", "rm", "-f", "/data/app/none.apk"}).output, "");
    EXPECT_EQ(Adb({"shell", "rm", "-f", "\"/data/app/com.example.a-1.apk\""}).output, "");
    EXPECT_EQ(Adb({"shell", "ls", "/data/app"}).output, "");
    EXPECT_EQ(Adb({"shell", "frobnicate", "now"}).output,
              "/system/bin/sh: frobnicate: not found\n");
    EXPECT_EQ(Adb({"shell", "echo 'unterminated"}).output,
              "/system/bin/sh: syntax error: unterminated quoted string\n");
}

TEST_F(TransferTest, ManyTransfersAtOnce) {
    auto apk = dir_.path() / "m.apk";
    ASSERT_TRUE(MakeTestApk(apk, "com.example.m", 1024 * 1024));
    ASSERT_NE(Adb({"install", "-r", apk.string()}).output.find("Success"), std::string::npos);
    const std::string expected = ReadFileBytes(apk);
    std::vector<std::future<bool>> jobs;
    for (int i = 0; i < 4; ++i) {
        jobs.push_back(std::async(std::launch::async, [&, i] {
            auto out = dir_.path() / ("m" + std::to_string(i) + ".apk");
            Adb({"pull", "/data/app/com.example.m-1.apk", out.string()});
            return ReadFileBytes(out) == expected;
        }));
        jobs.push_back(std::async(std::launch::async, [&] {
            return Adb({"shell", "pm", "list", "packages", "-f"})
                       .output.find("package:/data/app/com.example.m-1.apk=com.example.m\n") !=
                   std::string::npos;
        }));
    }
    for (auto& j : jobs) EXPECT_TRUE(j.get());
}

}  // namespace
}  // namespace nimbo::test
