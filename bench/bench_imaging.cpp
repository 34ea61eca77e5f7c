// Saving a 1080 x 2400 screenshot: quantising (ours and the step-by-step
// reference), the whole save in each format, and `convert` doing the same job.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "capture/image_save.h"
#include "capture/octree_reference.h"
#include "capture/test_pictures.h"
#include "imaging/octree_quantizer.h"

namespace {

using nimbo::imaging::Bitmap;

constexpr int kWidth = 1080;
constexpr int kHeight = 2400;

const Bitmap& Picture(int kind) {
    static const Bitmap screenshot = nimbo::test::ScreenshotLike(kWidth, kHeight, 1);
    static const Bitmap photo = nimbo::test::PhotoLike(kWidth, kHeight, 2);
    return kind == 0 ? screenshot : photo;
}
const char* PictureName(int kind) {
    return kind == 0 ? "screenshot" : "photo";
}

const std::filesystem::path& WorkDir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() /
                 ("nimbo-bench-imaging-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// The picture as a binary PPM, the cheapest input for convert to read.
std::string PpmOf(int kind) {
    static std::map<int, std::string> written;
    auto& path = written[kind];
    if (!path.empty()) return path;
    path = (WorkDir() / (std::string(PictureName(kind)) + ".ppm")).string();
    const Bitmap rgb = *Picture(kind).ToRgb24();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fprintf(f, "P6\n%d %d\n255\n", rgb.Width(), rgb.Height());
    std::vector<std::uint8_t> row(rgb.Width() * 3);
    for (int y = 0; y < rgb.Height(); ++y) {
        for (int x = 0; x < rgb.Width(); ++x) {
            row[3 * x] = rgb.Row(y)[3 * x + 2];
            row[3 * x + 1] = rgb.Row(y)[3 * x + 1];
            row[3 * x + 2] = rgb.Row(y)[3 * x];
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    std::fclose(f);
    return path;
}

void BM_QuantizeProduct(benchmark::State& state) {
    const Bitmap& picture = Picture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto out = nimbo::imaging::OctreeQuantizer().Quantize(picture, 256);
        benchmark::DoNotOptimize(out);
    }
    state.SetLabel(PictureName(static_cast<int>(state.range(0))));
}

void BM_QuantizeReference(benchmark::State& state) {
    // The reference reads 24-bit rows; the widening is done once, outside the timing.
    const Bitmap rgb = *Picture(static_cast<int>(state.range(0))).ToRgb24();
    for (auto _ : state) {
        auto out = nimbo::test::ReferenceOctree::Quantize(rgb.Row(0), rgb.Width(), rgb.Height(),
                                                          rgb.Stride(), 256);
        benchmark::DoNotOptimize(out);
    }
    state.SetLabel(PictureName(static_cast<int>(state.range(0))));
}

class NoDialogs final : public nimbo::ui::Dialogs {
public:
    std::optional<std::string> OpenFile(const std::string&,
                                        const std::vector<nimbo::ui::FileFilter>&, bool) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFile(const std::string&,
                                        const std::vector<nimbo::ui::FileFilter>&, int,
                                        const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
    nimbo::ui::MessageBoxResult MessageBox(const std::string&, const std::string&) override {
        return nimbo::ui::MessageBoxResult::Ok;
    }
};

class FixedClock final : public nimbo::platform::Clock {
public:
    nimbo::platform::LocalTime Now() override { return {2010, 1, 6, 14, 5, 9}; }
    void Sleep(std::chrono::milliseconds) override {}
};

const char* const kFormats[] = {"BMP", "JPG", "PNG", "GIF"};

// range(0): picture, range(1): format, range(2): 0 full size, 1 the 0.8 entry.
void BM_SaveScreenshot(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const Bitmap& picture = Picture(kind);
    NoDialogs dialogs;
    FixedClock clock;
    nimbo::platform::Paths paths;
    paths.documentsDir = WorkDir();
    nimbo::CaptureState capture;
    nimbo::SaveContext context{dialogs, clock, paths, capture};
    nimbo::SaveRequest request;
    request.capturedImage = &picture;
    request.formatText = kFormats[state.range(1)];
    request.sizeText = state.range(2) ? "864x1920" : "1080x2400";
    request.qualityText = "100";
    for (auto _ : state) {
        const auto result = nimbo::SaveScreenshot(request, context);
        if (result.outcome != nimbo::SaveOutcome::Saved) state.SkipWithError("save failed");
    }
    state.SetLabel(std::string(PictureName(kind)) + " " + kFormats[state.range(1)] +
                   (state.range(2) ? " 864x1920" : " full size"));
}

double ChildCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_ImageMagickConvert(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    static const char* const options[] = {"", "-quality 100", "", "-colors 256"};
    static const char* const extensions[] = {"bmp", "jpg", "png", "gif"};
    const std::string command = "convert '" + PpmOf(kind) + "' " + options[state.range(1)] + " '" +
                                (WorkDir() / "convert.").string() + extensions[state.range(1)] +
                                "'";
    // The machine may be shared, so besides the wall time the iteration time is
    // the CPU time that convert itself used (all its threads).
    double wallMs = 0;
    for (auto _ : state) {
        const double before = ChildCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) state.SkipWithError("convert failed");
        wallMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        state.SetIterationTime(ChildCpuSeconds() - before);
    }
    state.counters["wall_ms"] = wallMs / static_cast<double>(state.iterations());
    state.SetLabel(std::string(PictureName(kind)) + " " + kFormats[state.range(1)]);
}

BENCHMARK(BM_QuantizeProduct)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuantizeReference)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveScreenshot)
    ->ArgsProduct({{0, 1}, {0, 1, 2, 3}, {0}})
    ->Args({0, 1, 1})
    ->Args({0, 2, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagickConvert)
    ->ArgsProduct({{0, 1}, {0, 1, 2, 3}})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(WorkDir());
    return 0;
}
