// Costs of the command runner and payload writing on this machine.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "adbtool/command_runner.h"
#include "adbtool/payloads.h"

namespace {

using namespace nimbo;

struct NoSleep : platform::Clock {
    platform::LocalTime Now() override { return {}; }
    void Sleep(std::chrono::milliseconds) override {}
};

struct Fixture {
    std::unique_ptr<platform::ProcessLauncher> launcher = platform::MakeSystemProcessLauncher("");
    NoSleep clock;
    CommandRunner runner{*launcher, clock, {}};
};

// Start, run to the end of output and reap a program that prints nothing.
void BM_StartEmptyCommand(benchmark::State& state) {
    Fixture f;
    AdbCommand cmd{{"true"}, "true"};
    for (auto _ : state) f.runner.RunCommand(cmd, DeliveryMode::PerChunk, [](OutputChunk) {});
}
BENCHMARK(BM_StartEmptyCommand)->Unit(benchmark::kMicrosecond);

// Reading 8 MiB of output; the pause of accumulated mode is left out so that
// only the pipe and the copying are measured.
void BM_ReadOutput(benchmark::State& state) {
    Fixture f;
    const auto mode = state.range(0) ? DeliveryMode::Accumulated : DeliveryMode::PerChunk;
    AdbCommand cmd{{"head", "-c", "8388608", "/dev/zero"}, "head"};
    size_t total = 0;
    for (auto _ : state) {
        f.runner.RunCommand(cmd, mode, [&](OutputChunk c) { total += c.size(); });
    }
    state.SetBytesProcessed(static_cast<int64_t>(total));
}
BENCHMARK(BM_ReadOutput)->Arg(0)->Arg(1)->ArgNames({"accumulated"})->Unit(benchmark::kMillisecond);

// Writing payload 1, the adb program.
void BM_ExtractAdb(benchmark::State& state) {
    platform::Paths paths;
    paths.systemDir = std::filesystem::temp_directory_path() / "nimbo-bench-payload";
    std::filesystem::create_directories(paths.systemDir);
    const auto size = payloads::FindPayloadBytes(138).size();
    for (auto _ : state) benchmark::DoNotOptimize(ExtractPayload(1, paths));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
    std::filesystem::remove_all(paths.systemDir);
}
BENCHMARK(BM_ExtractAdb)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
