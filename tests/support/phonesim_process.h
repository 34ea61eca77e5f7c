#pragma once
// Child processes and loopback ports for the simulated-phone fixture.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace nimbo::test {

struct CommandResult {
    std::string output;  // stdout and stderr as they were interleaved
    int exitCode = -1;   // -1 when the command could not run or was killed
    bool timedOut = false;
};

// Starts argv[0] (looked up in PATH). Its stdin is /dev/null, its stdout goes
// to stdoutFd and its stderr to stderrFd (-1: /dev/null). The child is killed
// when the thread that started it ends, so a killed test leaves nothing behind.
// Returns the pid, or -1.
pid_t SpawnChild(const std::vector<std::string>& argv, int stdoutFd, int stderrFd);

// Runs argv to its end and returns what it printed; killed after timeout.
CommandResult RunCaptured(const std::vector<std::string>& argv, std::chrono::milliseconds timeout);

// Waits for the child to end; false when it is still running after timeout.
bool WaitForExit(pid_t pid, std::chrono::milliseconds timeout);
// SIGKILL and reap. Returns true when the child is gone.
bool KillAndReap(pid_t pid);
bool IsRunning(pid_t pid);

// A port on 127.0.0.1 that was free a moment ago.
uint16_t FreeLoopbackPort();
// True when something accepts TCP connections on 127.0.0.1:port.
bool PortIsListening(uint16_t port);

}  // namespace nimbo::test
