// Child programs started for real: lookup order, the shared output pipe, what
// the child inherits, error kinds, cancelling and reaping.
#include "platform/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/test_paths.h"

namespace nimbo::platform {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& p, const std::string& text, fs::perms perms) {
    std::ofstream(p, std::ios::binary) << text;
    fs::permissions(p, perms);
}

constexpr auto kExecutable = fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read |
                             fs::perms::group_exec | fs::perms::others_exec;
constexpr auto kPlain = fs::perms::owner_read | fs::perms::owner_write;

std::string ReadAll(ChildOutput& child) {
    std::string all;
    char buffer[512];
    for (;;) {
        long n = child.Read(buffer);
        if (n <= 0) break;
        all.append(buffer, static_cast<size_t>(n));
    }
    return all;
}

std::string RunToEnd(ProcessLauncher& launcher, const std::vector<std::string>& argv) {
    auto child = launcher.Start(argv);
    EXPECT_TRUE(child.ok()) << argv[0];
    return child ? ReadAll(**child) : "";
}

// Children of this process, zombies included, from /proc.
int CountOwnChildren() {
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        int ppid = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) == 2 &&
            ppid == getpid()) {
            ++count;
        }
    }
    return count;
}

bool EventuallyNoChildren() {
    for (int i = 0; i < 500; ++i) {
        if (CountOwnChildren() == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class ProcessTest : public ::testing::Test {
protected:
    test::TempDir systemDir_;
    std::unique_ptr<ProcessLauncher> launcher_ = MakeSystemProcessLauncher(systemDir_.path());
};

TEST_F(ProcessTest, BareNamesAreLookedUpInTheSystemDirectoryBeforePath) {
    WriteFile(systemDir_.path() / "echo", "#!/bin/sh\nprintf 'from the system directory'\n",
              kExecutable);
    EXPECT_EQ(RunToEnd(*launcher_, {"echo", "x"}), "from the system directory");
    // Found in PATH when the system directory lacks it.
    EXPECT_EQ(RunToEnd(*launcher_, {"printf", "%s", "from PATH"}), "from PATH");
    // A path with a slash is taken as it stands.
    EXPECT_EQ(RunToEnd(*launcher_, {"/bin/echo", "direct"}), "direct\n");
}

TEST_F(ProcessTest, MissingProgramIsNotFoundAndUnrunnableFileCouldNotStart) {
    auto missing = launcher_->Start({"nimbo-no-such-program-here"});
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), SpawnError::NotFound);
    auto missingPath = launcher_->Start({(systemDir_.path() / "absent").string()});
    ASSERT_FALSE(missingPath.ok());
    EXPECT_EQ(missingPath.error(), SpawnError::NotFound);
    EXPECT_FALSE(launcher_->Start({}).ok());

    // No execute bit: found, but exec is refused.
    WriteFile(systemDir_.path() / "nimbo-plain", "#!/bin/sh\necho hi\n", kPlain);
    auto refused = launcher_->Start({"nimbo-plain"});
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), SpawnError::CouldNotStart);
    // Executable but in no format the kernel runs.
    WriteFile(systemDir_.path() / "garbage", "\x01\x02 not a program", kExecutable);
    auto garbage = launcher_->Start({"garbage"});
    ASSERT_FALSE(garbage.ok());
    EXPECT_EQ(garbage.error(), SpawnError::CouldNotStart);
    // An executable of the same name further down PATH is preferred to it.
    WriteFile(systemDir_.path() / "sh", "not executable", kPlain);
    EXPECT_EQ(RunToEnd(*launcher_, {"sh", "-c", "printf ok"}), "ok");
    EXPECT_STRNE(ToText(SpawnError::NotFound), ToText(SpawnError::CouldNotStart));

    auto detached = launcher_->LaunchDetached({"garbage"});
    ASSERT_FALSE(detached.ok());
    EXPECT_EQ(detached.error(), SpawnError::CouldNotStart);
    EXPECT_EQ(launcher_->LaunchDetached({"nimbo-no-such-program-here"}).error(),
              SpawnError::NotFound);
    EXPECT_TRUE(EventuallyNoChildren());
}

TEST_F(ProcessTest, ChildSeesOnePipeForBothStreamsNullStdinAndNoInheritedDescriptors) {
    // A descriptor opened without O_CLOEXEC, as a library might leave one.
    int leaked = open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 3);
    std::string script =
        "echo out; echo err >&2; echo out2; readlink /proc/self/fd/0; "
        "[ -e /proc/self/fd/" +
        std::to_string(leaked) + " ] && echo leaked; ls /proc/$$/fd";
    // No pipeline for the listing: the shell would hold the pipe's read end
    // while ls looks, and a slow machine then lists it.
    std::string out = RunToEnd(*launcher_, {"sh", "-c", script});
    close(leaked);
    EXPECT_EQ(out, "out\nerr\nout2\n/dev/null\n0\n1\n2\n");
}

TEST_F(ProcessTest, CancelUnblocksAReadOnAChildThatNeverEnds) {
    auto child = launcher_->Start({"sh", "-c", "echo ready; exec sleep 1000"});
    ASSERT_TRUE(child.ok());
    char buffer[64];
    ASSERT_GT((*child)->Read(buffer), 0);
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        (*child)->Cancel();
    });
    EXPECT_EQ((*child)->Read(buffer), -1);  // would block for 1000 s otherwise
    canceller.join();
    EXPECT_EQ((*child)->Read(buffer), -1);
    child.value().reset();
    EXPECT_TRUE(EventuallyNoChildren());
}

TEST_F(ProcessTest, CancelAlsoEndsHelpersThatHoldThePipe) {
    // The shell exits at once but leaves a background job writing into the pipe.
    auto child = launcher_->Start({"sh", "-c", "(echo ready; exec sleep 1000) &"});
    ASSERT_TRUE(child.ok());
    char buffer[64];
    ASSERT_GT((*child)->Read(buffer), 0);
    (*child)->Cancel();
    EXPECT_EQ((*child)->Read(buffer), -1);
    child.value().reset();
    EXPECT_TRUE(EventuallyNoChildren());
}

TEST_F(ProcessTest, DestroyingWhileTheChildRunsNeitherBlocksNorLeavesAZombie) {
    auto child = launcher_->Start({"yes"});
    ASSERT_TRUE(child.ok());
    char buffer[64];
    ASSERT_GT((*child)->Read(buffer), 0);
    child.value().reset();  // yes dies of the closed pipe; nobody here waits
    EXPECT_TRUE(EventuallyNoChildren());
}

TEST_F(ProcessTest, LaunchDetachedRunsTheProgramWithoutLeavingAChild) {
    fs::path marker = systemDir_.path() / "ran with blanks $HOME";
    auto launched = launcher_->LaunchDetached(
        {"sh", "-c", "echo \"$1\" > \"$2\"", "sh", "参数 \"x\"", marker.string()});
    ASSERT_TRUE(launched.ok());
    EXPECT_EQ(CountOwnChildren(), 0);  // the middle process is gone already
    std::string text;
    for (int i = 0; i < 500 && text.empty(); ++i) {
        std::ifstream in(marker);
        std::getline(in, text);
        if (text.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(text, "参数 \"x\"");
}

}  // namespace
}  // namespace nimbo::platform
