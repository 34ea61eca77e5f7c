#pragma once
// Runs adb commands hidden and hands their output (stdout and stderr in one
// stream) to a sink, piece by piece or as one text at the end; and starts the
// fire-and-forget commands of start-up.
#include <chrono>
#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

#include "adbtool/adb_commands.h"
#include "platform/clock.h"
#include "platform/process.h"

namespace nimbo {

enum class DeliveryMode {
    PerChunk,     // each read goes to the sink as it arrives
    Accumulated,  // one delivery of everything once the output has ended
};

// The bytes of one read, or in accumulated mode the whole output.
using OutputChunk = std::string_view;
using OutputSink = std::function<void(OutputChunk)>;
// Receives one line per failure; may be called from several workers at once.
using LogSink = std::function<void(const std::string&)>;

enum class RunOutcome {
    Completed,   // the output ended and everything read was delivered
    NotStarted,  // the program could not be started; the sink was not called
    Cancelled,   // stopped on request; accumulated output is not delivered
};

inline constexpr size_t kChunkReadSize = 4095;
inline constexpr size_t kAccumulatedReadSize = 4096;
// In accumulated mode the runner pauses once, after the first read that
// brought output, so the rest of a short output is in the pipe by the next
// read. Once per run, not per read: a pause after every read would grow with
// the output (a 1,500-package listing is about 43 reads), and the delivery
// waits for the end of the output anyway.
inline constexpr std::chrono::milliseconds kAccumulatedPause{100};
// A program that has closed its output is about to end; one that takes longer
// than this is reported as ended in an unknown way.
inline constexpr std::chrono::milliseconds kExitWait{5000};

// Writes "nimbo: <line>" to stderr.
LogSink StderrLog();

class CommandRunner {
public:
    // launcher, clock and log must outlive the runner and every worker using it.
    CommandRunner(platform::ProcessLauncher& launcher, platform::Clock& clock,
                  LogSink log = StderrLog());

    // Blocks until every writer of the output pipe is gone or stop is requested
    // (the child is then killed); run it on a worker thread. With stop already
    // requested nothing is started. The sink is called on the calling thread.
    // Safe to call from several threads at once. When exit is given and the
    // run completed, it receives how the program ended (waited for at most
    // kExitWait after its output closed). When whyNotStarted is given and the
    // outcome is NotStarted, it receives why the program could not be started.
    RunOutcome RunCommand(const AdbCommand& command, DeliveryMode mode, const OutputSink& sink,
                          std::stop_token stop = {}, platform::ExitStatus* exit = nullptr,
                          platform::SpawnError* whyNotStarted = nullptr) const;

    // Runs the command hidden and waits for it to end, at most bound: a command
    // still running then is killed. True when it ran to its end.
    bool RunAndWait(const AdbCommand& command, std::chrono::milliseconds bound) const;

    // Starts the command with no pipe and returns at once; nothing waits for it.
    void LaunchHidden(const AdbCommand& command) const;

private:
    platform::ProcessLauncher& launcher_;
    platform::Clock& clock_;
    LogSink log_;
};

}  // namespace nimbo
