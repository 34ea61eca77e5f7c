// The Windows process launcher: arguments reach the child exactly (blanks,
// quotes, backslashes, Chinese), stdout and stderr share one pipe, a missing
// program is told apart from one that cannot start, and Cancel ends a read
// that waits on a child that never ends.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/win/command_line.h"
#include "support/test_paths.h"

namespace nimbo::platform {
namespace {

std::filesystem::path Helper() {
    return test::BinaryDir() / "bin" / "windows_args_echo.exe";
}

std::string ReadAll(ChildOutput& out) {
    std::string text;
    char buffer[256];
    for (;;) {
        long n = out.Read(buffer);
        if (n <= 0) return text;
        text.append(buffer, static_cast<size_t>(n));
    }
}

std::string RunHelper(const std::vector<std::string>& args) {
    auto launcher = MakeSystemProcessLauncher({});
    std::vector<std::string> argv{Helper().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    auto child = launcher->Start(argv);
    EXPECT_TRUE(child.ok());
    return child ? ReadAll(**child) : "";
}

TEST(WindowsCommandLine, QuotesOnlyWhatNeedsIt) {
    using win::QuoteArgument;
    EXPECT_EQ(QuoteArgument(L"install"), L"install");
    EXPECT_EQ(QuoteArgument(L""), L"\"\"");
    EXPECT_EQ(QuoteArgument(L"a b"), L"\"a b\"");
    EXPECT_EQ(QuoteArgument(L"say \"hi\""), L"\"say \\\"hi\\\"\"");
    // Backslashes stay single unless a quote follows them.
    EXPECT_EQ(QuoteArgument(L"C:\\dir with blank\\"), L"\"C:\\dir with blank\\\\\"");
    EXPECT_EQ(QuoteArgument(L"C:\\plain\\path"), L"C:\\plain\\path");
}

TEST(WindowsProcess, ArgumentsArriveExactly) {
    std::vector<std::string> args{"install", "-r", "D:\\我的 文件\\应用.apk", "say \"hi\"",
                                  "trailing\\", "dir with blank\\", "", "a\\\\\"b"};
    std::string expected;
    for (const auto& a : args) expected += "[" + a + "]\n";
    std::string got = RunHelper(args);
    // The C runtime writes text mode: each line ends in CR LF.
    std::string normalised;
    for (char c : got) {
        if (c != '\r') normalised += c;
    }
    EXPECT_EQ(normalised, expected);
}

TEST(WindowsProcess, StdoutAndStderrShareOnePipe) {
    std::string got = RunHelper({"--stderr", "from stderr"});
    EXPECT_NE(got.find("from stderr"), std::string::npos);
    EXPECT_NE(got.find("[from stderr]"), std::string::npos);
}

TEST(WindowsProcess, MissingAndBrokenProgramsAreToldApart) {
    test::TempDir dir;
    auto launcher = MakeSystemProcessLauncher(dir.path());
    auto missing = launcher->Start({"nimbo-no-such-program"});
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), SpawnError::NotFound);

    // Found in the system directory (with .exe added), but not a program.
    std::ofstream(dir.path() / "broken.exe") << "not a program";
    auto broken = launcher->Start({"broken"});
    ASSERT_FALSE(broken.ok());
    EXPECT_EQ(broken.error(), SpawnError::CouldNotStart);
}

TEST(WindowsProcess, BareNamesAreFoundInTheSystemDirectoryFirst) {
    test::TempDir dir;
    std::filesystem::copy_file(Helper(), dir.path() / "adb.exe");
    auto launcher = MakeSystemProcessLauncher(dir.path());
    auto child = launcher->Start({"adb", "devices"});
    ASSERT_TRUE(child.ok());
    EXPECT_NE(ReadAll(**child).find("[devices]"), std::string::npos);
}

TEST(WindowsProcess, CancelEndsAReadThatWaitsForAChildThatNeverEnds) {
    auto launcher = MakeSystemProcessLauncher({});
    auto child = launcher->Start({Helper().string(), "--wait"});
    ASSERT_TRUE(child.ok());
    ChildOutput& out = **child;
    char first[64];
    ASSERT_GT(out.Read(first), 0);  // "[--wait]": the child runs
    auto pending = std::async(std::launch::async, [&] {
        char buffer[64];
        return out.Read(buffer);
    });
    // The read waits; no time limit is asserted, only that Cancel ends it.
    out.Cancel();
    EXPECT_EQ(pending.get(), -1);
    char after[8];
    EXPECT_EQ(out.Read(after), -1);
}

}  // namespace
}  // namespace nimbo::platform
