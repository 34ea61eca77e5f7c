// Actions that need no phone: the GIF quantiser beside the step-by-step
// reference, and saving a screenshot in each format beside ImageMagick's
// `convert` doing the same job as a whole process.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "bench_actions.h"
#include "capture/image_save.h"
#include "capture/octree_reference.h"
#include "capture/test_pictures.h"
#include "imaging/octree_quantizer.h"

namespace nimbo::bench {
namespace {

namespace fs = std::filesystem;
using imaging::Bitmap;
using Clock = std::chrono::steady_clock;

const fs::path& WorkDir() {
    static const fs::path dir = [] {
        auto d = fs::temp_directory_path() / ("nimbo-bench-actions-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// The picture as a binary PPM, the cheapest input for convert to read.
std::string WritePpm(const Bitmap& picture, const std::string& name) {
    const std::string path = (WorkDir() / (name + ".ppm")).string();
    const Bitmap rgb = *picture.ToRgb24();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fprintf(f, "P6\n%d %d\n255\n", rgb.Width(), rgb.Height());
    std::vector<std::uint8_t> row(static_cast<size_t>(rgb.Width()) * 3);
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

class NoDialogs final : public ui::Dialogs {
public:
    std::optional<std::string> OpenFile(const std::string&, const std::vector<ui::FileFilter>&,
                                        bool) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFile(const std::string&, const std::vector<ui::FileFilter>&, int,
                                        const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
    ui::MessageBoxResult MessageBox(const std::string&, const std::string&) override {
        return ui::MessageBoxResult::Ok;
    }
};

class FixedClock final : public platform::Clock {
public:
    platform::LocalTime Now() override { return {2010, 1, 6, 14, 5, 9}; }
    void Sleep(std::chrono::milliseconds) override {}
};

}  // namespace

void BenchQuantiser(const Options& options, std::vector<Row>& rows) {
    struct Size {
        int width, height;
    } sizes[] = {{320, 480}, {1080, 2400}, {2160, 4800}};
    for (const Size& s : sizes) {
        for (int kind = 0; kind < 2; ++kind) {
            // As the phone delivers them: RGB565. The reference reads the same
            // picture widened to 24 bits, widened once outside the timing.
            const Bitmap picture = kind == 0 ? test::ScreenshotLike(s.width, s.height, 1)
                                             : test::PhotoLike(s.width, s.height, 2);
            const Bitmap rgb = *picture.ToRgb24();
            auto ours = [&] {
                const auto start = Clock::now();
                auto out = imaging::OctreeQuantizer().Quantize(picture, 256);
                const double ms = MsSince(start);
                return out ? ms : -1.0;
            };
            auto reference = [&] {
                const auto start = Clock::now();
                auto out = test::ReferenceOctree::Quantize(rgb.Row(0), rgb.Width(), rgb.Height(),
                                                           rgb.Stride(), 256);
                const double ms = MsSince(start);
                return out ? ms : -1.0;
            };
            const std::string name = std::string(kind == 0 ? "screen-like " : "photo-like ") +
                                     std::to_string(s.width) + "x" + std::to_string(s.height);
            rows.push_back(Measure("quantise " + name, "step-by-step reference",
                                   std::max(options.rounds, 9), ours, reference,
                                   {0.5, 0, "<= 0.5x"}));
        }
    }
}

void BenchSave(const Options& options, std::vector<Row>& rows) {
    const Bitmap picture = test::ScreenshotLike(1080, 2400, 1);
    const std::string ppm = WritePpm(picture, "screenshot");
    NoDialogs dialogs;
    FixedClock clock;
    platform::Paths paths;
    paths.documentsDir = WorkDir();
    CaptureState capture;
    SaveContext context{dialogs, clock, paths, capture};
    struct Format {
        const char* text;
        const char* extension;
        const char* convertOptions;
    } formats[] = {{"BMP", "bmp", ""},
                   {"JPG", "jpg", "-quality 100"},
                   {"PNG", "png", ""},
                   {"GIF", "gif", "-colors 256"}};
    for (const Format& f : formats) {
        SaveRequest request;
        request.capturedImage = &picture;
        request.formatText = f.text;
        request.sizeText = "1080x2400";
        request.qualityText = "100";
        auto ours = [&] {
            const auto start = Clock::now();
            const auto result = SaveScreenshot(request, context);
            return result.outcome == SaveOutcome::Saved ? MsSince(start) : -1.0;
        };
        const std::string target = (WorkDir() / "convert.").string() + f.extension;
        std::vector<std::string> argv = {"convert", ppm};
        if (*f.convertOptions) {
            const std::string o = f.convertOptions;
            argv.push_back(o.substr(0, o.find(' ')));
            argv.push_back(o.substr(o.find(' ') + 1));
        }
        argv.push_back(target);
        auto bare = [&] {
            const auto start = Clock::now();
            return RunToEnd(argv) ? MsSince(start) : -1.0;
        };
        rows.push_back(Measure(std::string("save ") + f.text + " 1080x2400 screenshot",
                               "convert (whole process)", options.rounds, ours, bare,
                               {1.0 / 3, 0, "<= 0.333x"}));
    }
    fs::remove_all(WorkDir());
}

}  // namespace nimbo::bench
