// One 1080 x 2400 screenshot from the simulated phone through the real adb
// server, three ways, all from the same server and phone:
//   BareRead       the same exchange by a minimal client: plain sockets, no
//                  checks, the block read into a buffer allocated once;
//   CoreCapture    the capture exchange with its header checks and the block;
//   WindowRefresh  the refresh button: the exchange, the kept copy of the
//                  picture, the fields, the size list and the drawing.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

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

// The frame exchange with nothing around it; false when anything is off.
bool BareFrame(uint16_t port, const std::string& serial, std::vector<char>& block) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    char request[64];
    const std::string transport = "host:transport:" + serial;
    std::snprintf(request, sizeof request, "%04X%s", unsigned(transport.size()), transport.c_str());
    char status[4];
    uint32_t header[4];
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
              ::send(fd, request, std::strlen(request), 0) > 0 &&
              ::recv(fd, status, 4, MSG_WAITALL) == 4 &&
              ::send(fd, "000cframebuffer:", 16, 0) == 16 &&
              ::recv(fd, status, 4, MSG_WAITALL) == 4 &&
              ::recv(fd, header, 16, MSG_WAITALL) == 16 && ::send(fd, "0", 1, 0) == 1;
    if (ok) {
        if (block.size() < header[1]) block.resize(header[1]);
        ok = ::recv(fd, block.data(), header[1], MSG_WAITALL) == ssize_t(header[1]) &&
             header[1] + 16 == kFrameBytes;
    }
    ::close(fd);
    return ok;
}

void BM_BareRead(benchmark::State& state) {
    std::vector<char> block;
    for (auto _ : state) {
        if (!BareFrame(phones->adbPort(), phones->serial(), block)) {
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
