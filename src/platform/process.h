#pragma once
// Starting child programs: hidden, stdin from /dev/null, stdout and stderr on
// ONE pipe. Program names without a slash are looked up in the system
// directory first, then in PATH.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/result.h"

namespace nimbo::platform {

enum class SpawnError {
    NotFound,       // no such program in the system directory or PATH
    CouldNotStart,  // found, but exec failed (permissions, bad format, ...)
    PipeFailed,     // the pipe or the fork could not be made
};
const char* ToText(SpawnError e);

// How a child ended, as far as its launcher can tell.
struct ExitStatus {
    enum class Kind {
        Unknown,    // not ended within the wait, or the launcher cannot tell
        Exited,     // code holds its exit code
        Signalled,  // code holds the number of the signal that ended it
    };
    Kind kind = Kind::Unknown;
    int code = 0;
    bool Succeeded() const { return kind == Kind::Exited && code == 0; }
};

// The signal that ends a program writing past the file size limit (SIGXFSZ);
// 0 where the system has no such signal (Windows).
int FileSizeLimitSignal();

// The running child and the read end of its output pipe. Destroying it closes
// the pipe and reaps the child without blocking the caller.
class ChildOutput {
public:
    virtual ~ChildOutput() = default;
    // Blocks until some output arrives. Returns the number of bytes read, 0 when
    // every writer has closed the pipe, or -1 on a read error or after Cancel().
    virtual long Read(std::span<char> buffer) = 0;
    // Ends a pending or later Read (kills the child); callable from any thread.
    virtual void Cancel() = 0;
    // Once Read has given 0: waits at most bound for the child to end and says
    // how it did. The child is left for the destructor to reap, so its pid
    // stays its own until then. Launchers that cannot tell give Unknown.
    virtual ExitStatus WaitForExit(std::chrono::milliseconds bound) {
        (void)bound;
        return {};
    }
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual Result<std::unique_ptr<ChildOutput>, SpawnError> Start(
        const std::vector<std::string>& argv) = 0;
    // Fire and forget: no pipe, nothing waits, output goes to /dev/null.
    virtual Result<bool, SpawnError> LaunchDetached(const std::vector<std::string>& argv) = 0;
};

// The real thing. systemDir is searched before PATH for bare program names
// (the program passes the folder of the adb it runs).
std::unique_ptr<ProcessLauncher> MakeSystemProcessLauncher(std::filesystem::path systemDir);

// This program's process id: no other running program has it, so it makes a
// temporary file name that a second copy of the program cannot also pick.
std::int64_t CurrentProcessId();

}  // namespace nimbo::platform
