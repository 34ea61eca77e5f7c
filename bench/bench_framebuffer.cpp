// Throughput of one framebuffer read, 1080 x 2400 RGB565, from the simulated
// phone through the real adb server's host socket, as a screenshot takes it.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "support/phone_fixture.h"
#include "support/phonesim_host.h"

namespace {

using nimbo::test::PhoneFixture;

constexpr int kWidth = 1080;
constexpr int kHeight = 2400;

void BM_FramebufferThroughAdb(benchmark::State& state) {
    PhoneFixture phones;
    nimbo::test::PhoneOptions options;
    options.width = kWidth;
    options.height = kHeight;
    if (!phones.Start(1, options)) {
        state.SkipWithError(phones.error().c_str());
        return;
    }
    const size_t expected = 16 + size_t(kWidth) * kHeight * 2;
    for (auto _ : state) {
        auto frame = nimbo::test::ReadFramebuffer(phones.adbPort(), phones.serial(), 16);
        if (frame.bytes.size() != expected) {
            state.SkipWithError("short frame");
            break;
        }
        benchmark::DoNotOptimize(frame.bytes.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(expected));
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    if (!phones.Stop()) std::fprintf(stderr, "%s\n", phones.error().c_str());
}
BENCHMARK(BM_FramebufferThroughAdb)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

}  // namespace

BENCHMARK_MAIN();
