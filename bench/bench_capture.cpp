// One 1080 x 2400 screenshot from the simulated phone through the real adb
// server, three ways, all from the same server and phone:
//   BareRead       the same exchange by a minimal client: plain sockets, no
//                  checks, the block read into a buffer allocated once;
//   CoreCapture    the capture exchange with its header checks and the block;
//   WindowRefresh  the refresh button: the exchange, the kept copy of the
//                  picture, the fields, the size list and the drawing.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bare_frame.h"
#include "capture/capture_framebuffer.h"
#include "capture/gui/screenshot_dialog.h"
#include "support/fakes.h"
#include "support/phone_fixture.h"
#include "templates/control_ids.h"

namespace {

using nimbo::test::PhoneFixture;

constexpr int kWidth = 1080;
constexpr int kHeight = 2400;
constexpr size_t kFrameBytes = 16 + size_t(kWidth) * kHeight * 2;

PhoneFixture* phones = nullptr;

void BM_BareRead(benchmark::State& state) {
    std::vector<char> block;
    for (auto _ : state) {
        if (!nimbo::bench::BareFrame(phones->adbPort(), phones->serial(), block, kFrameBytes)) {
            state.SkipWithError("short frame");
            break;
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}

void BM_CoreCapture(benchmark::State& state) {
    const auto endpoint = nimbo::DefaultAdbEndpoint(nimbo::kCaptureTimeouts);
    for (auto _ : state) {
        auto cap = nimbo::CaptureFramebuffer(phones->serial(), endpoint);
        if (cap.code != nimbo::CaptureResult::Done) {
            state.SkipWithError("capture failed");
            break;
        }
        benchmark::DoNotOptimize(cap.pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}

void BM_WindowRefresh(benchmark::State& state) {
    nimbo::test::ScriptedDialogs dialogs;
    nimbo::test::RecordingShell shell;
    nimbo::test::FakeClock clock;
    nimbo::AppContext context;
    context.dialogs = &dialogs;
    context.shell = &shell;
    context.clock = &clock;
    nimbo::CaptureState capture;
    nimbo::ScreenshotDialog window(context, capture, phones->serial());
    window.Create();
    QApplication::processEvents();
    for (auto _ : state) {
        window.RefreshScreenshot();
        if (window.ItemTextNow(nimbo::ids::kShotStatus) != "成功完成") {
            state.SkipWithError("capture failed");
            break;
        }
        // Lets the window paint what the refresh drew, as the user would see it.
        QApplication::processEvents();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}

BENCHMARK(BM_BareRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_CoreCapture)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_WindowRefresh)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    PhoneFixture fixture;
    nimbo::test::PhoneOptions options;
    options.width = kWidth;
    options.height = kHeight;
    if (!fixture.Start(1, options)) {
        std::fprintf(stderr, "simulated phone: %s\n", fixture.error().c_str());
        return 1;
    }
    phones = &fixture;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    phones = nullptr;
    if (!fixture.Stop()) std::fprintf(stderr, "%s\n", fixture.error().c_str());
    return 0;
}
