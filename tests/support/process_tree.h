#pragma once
// The processes below this one, for tests that check what a program leaves
// behind when it exits. Linux only: reads /proc.
//
//   BecomeChildSubreaper();            // orphans of descendants come to us
//   pid_t pid = SpawnWithEnvironment(argv, env, {{reportPipe, 3}});
//   ...
//   for (const auto& p : Descendants(::getpid())) if (IsAdbClient(p)) ...
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nimbo::test {

struct ProcessInfo {
    pid_t pid = -1;
    pid_t parent = -1;
    char state = '?';               // R, S, D, Z (zombie), ...
    std::vector<std::string> argv;  // empty for a zombie
};

// Makes this process the child subreaper: a process whose parent ends is
// handed to us instead of to init, so what a program leaves running stays
// findable below us. Orphans handed over must be reaped (ReapZombieChildren).
bool BecomeChildSubreaper();

// Every process whose chain of parents reaches root (root not included).
std::vector<ProcessInfo> Descendants(pid_t root);

// An adb client, e.g. "adb install", "adb shell", "adb pull"; not the server.
bool IsAdbClient(const ProcessInfo& p);
// An adb server, as "adb nodaemon server" or as adb's own "fork-server".
bool IsAdbServer(const ProcessInfo& p);

// Reaps the zombies among this process's children, except the pids in keep.
void ReapZombieChildren(const std::vector<pid_t>& keep = {});

// Starts argv[0] (a path) with exactly the environment env ("KEY=value").
// Each pair (fd, target) becomes descriptor target in the child; stdin,
// stdout and stderr not named go to /dev/null, every other descriptor is
// closed. The child is killed when the thread that started it ends.
// Returns the pid, or -1.
pid_t SpawnWithEnvironment(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env,
                           const std::vector<std::pair<int, int>>& fds);

// This process's environment with the given entries replaced or added.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& changes);

struct ChildExit {
    bool exited = false;                       // ended by exit() or by returning from main
    int code = -1;                             // exit code when exited
    int signal = 0;                            // the signal that ended it, else 0
    std::chrono::steady_clock::time_point at;  // when the wait saw it end
};

// Waits for the child to end; nullopt when it still runs after timeout.
std::optional<ChildExit> WaitForChild(pid_t pid, std::chrono::milliseconds timeout);

}  // namespace nimbo::test
