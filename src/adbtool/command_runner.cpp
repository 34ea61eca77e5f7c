// Nothing is truncated: accumulated output grows as long as the command writes,
// since a fixed cap silently drops the end of a long package listing.
#include "adbtool/command_runner.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nimbo {

LogSink StderrLog() {
    return [](const std::string& line) { std::fprintf(stderr, "nimbo: %s\n", line.c_str()); };
}

CommandRunner::CommandRunner(platform::ProcessLauncher& launcher, platform::Clock& clock,
                             LogSink log)
    : launcher_(launcher), clock_(clock), log_(std::move(log)) {}

RunOutcome CommandRunner::RunCommand(const AdbCommand& command, DeliveryMode mode,
                                     const OutputSink& sink, std::stop_token stop,
                                     platform::ExitStatus* exit,
                                     platform::SpawnError* whyNotStarted) const {
    // A worker stopped before its run starts no child: the program may be
    // ending, and a stop callback would only kill the child again at once.
    if (stop.stop_requested()) return RunOutcome::Cancelled;
    auto started = launcher_.Start(command.argv);
    if (!started) {
        if (log_) log_("cannot run " + command.text + ": " + platform::ToText(started.error()));
        if (whyNotStarted) *whyNotStarted = started.error();
        return RunOutcome::NotStarted;
    }
    platform::ChildOutput& child = **started;
    std::stop_callback onStop(stop, [&child] { child.Cancel(); });

    const bool perChunk = mode == DeliveryMode::PerChunk;
    std::vector<char> buffer(perChunk ? kChunkReadSize : kAccumulatedReadSize);
    std::string accumulated;
    bool paused = false;
    for (;;) {
        long n = child.Read(buffer);
        if (n == 0) break;
        if (n < 0) {
            if (stop.stop_requested()) return RunOutcome::Cancelled;
            if (log_) log_("reading the output of " + command.text + " failed");
            break;  // a read error ends the output like a closed pipe does
        }
        if (perChunk) {
            if (sink) sink(OutputChunk(buffer.data(), static_cast<size_t>(n)));
        } else {
            if (!paused) clock_.Sleep(kAccumulatedPause);
            paused = true;
            accumulated.append(buffer.data(), static_cast<size_t>(n));
        }
    }
    if (stop.stop_requested()) return RunOutcome::Cancelled;
    if (!perChunk && sink) sink(OutputChunk(accumulated));
    if (exit) *exit = child.WaitForExit(kExitWait);
    return RunOutcome::Completed;
}

bool CommandRunner::RunAndWait(const AdbCommand& command, std::chrono::milliseconds bound) const {
    std::stop_source stop;
    // Stops the run once the bound has passed, unless the run ended first.
    std::jthread watchdog([&stop, bound](std::stop_token ended) {
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        if (!wake.wait_for(lock, ended, bound, [&ended] { return ended.stop_requested(); })) {
            stop.request_stop();
        }
    });
    const RunOutcome outcome = RunCommand(command, DeliveryMode::PerChunk, {}, stop.get_token());
    watchdog.request_stop();
    watchdog.join();
    if (outcome == RunOutcome::Cancelled && log_) {
        log_(command.text + " did not end within " + std::to_string(bound.count()) + " ms");
    }
    return outcome == RunOutcome::Completed;
}

void CommandRunner::LaunchHidden(const AdbCommand& command) const {
    auto launched = launcher_.LaunchDetached(command.argv);
    if (!launched && log_) {
        log_("cannot start " + command.text + ": " + platform::ToText(launched.error()));
    }
}

}  // namespace nimbo
