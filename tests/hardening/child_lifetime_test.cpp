// Children that would outlive whoever reads them: an adb that never ends its
// output must not stay behind when the worker reading it, or the whole
// program, goes away.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/process.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;

bool Gone(pid_t pid) {
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < end) {
        if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

// Starts `sh -c "echo $$; exec sleep 600"` and returns the child's pid as it
// printed it.
pid_t StartSleeper(platform::ProcessLauncher& launcher,
                   std::unique_ptr<platform::ChildOutput>& out) {
    auto child = launcher.Start({"sh", "-c", "echo $$; exec sleep 600"});
    if (!child) return -1;
    out = std::move(*child);
    std::string text;
    char buffer[32];
    while (text.find('\n') == std::string::npos) {
        const long n = out->Read(buffer);
        if (n <= 0) return -1;
        text.append(buffer, static_cast<size_t>(n));
    }
    return static_cast<pid_t>(std::atol(text.c_str()));
}

TEST(ChildLifetime, ChildDiesWithTheWorkerThatStartedIt) {
    auto launcher = platform::MakeSystemProcessLauncher({});
    pid_t pid = -1;
    std::thread worker([&] {
        std::unique_ptr<platform::ChildOutput> out;
        pid = StartSleeper(*launcher, out);
        // The worker ends without reading to the end and without cancelling,
        // as a detached worker does when the program is on its way out.
    });
    worker.join();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(Gone(pid)) << "child " << pid << " outlived the thread that started it";
}

TEST(ChildLifetime, ChildDiesWithTheProgram) {
    // A forked copy of this test plays the program: it starts the sleeper,
    // reports its pid through a pipe and exits mid-read.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        ::close(fds[0]);
        auto launcher = platform::MakeSystemProcessLauncher({});
        std::unique_ptr<platform::ChildOutput> out;
        const pid_t pid = StartSleeper(*launcher, out);
        (void)!::write(fds[1], &pid, sizeof pid);
        ::_exit(0);
    }
    ::close(fds[1]);
    pid_t pid = -1;
    ASSERT_EQ(::read(fds[0], &pid, sizeof pid), static_cast<ssize_t>(sizeof pid));
    ::close(fds[0]);
    ::waitpid(program, nullptr, 0);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(Gone(pid)) << "child " << pid << " outlived the program";
}

TEST(ChildLifetime, ChildKeepsRunningWhileItsWorkerReads) {
    auto launcher = platform::MakeSystemProcessLauncher({});
    std::unique_ptr<platform::ChildOutput> out;
    const pid_t pid = StartSleeper(*launcher, out);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(::kill(pid, 0), 0);
    out->Cancel();
    EXPECT_EQ(out->Read(std::span<char>()), -1);
    out.reset();  // reaps it
    EXPECT_TRUE(Gone(pid));
}

}  // namespace
}  // namespace nimbo
