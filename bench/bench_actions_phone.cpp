// The actions that need a phone, through a private adb server and the
// simulated phone: "刷新" of the package list, "备份选中" of 50 packages, and a
// screenshot refresh; beside the bare adb commands and a bare frame read.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "bare_frame.h"
#include "bench_actions.h"
#include "capture/gui/screenshot_dialog.h"
#include "packages/package_export.h"
#include "packages/package_listing.h"
#include "platform/clock.h"
#include "support/phone_fixture.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"

namespace nimbo::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Runs the event loop until pred holds; false after the time-out. The
// loop sleeps until an event comes, as the program's own does, so it takes
// no processor from adb and the phone while they work; the ticker wakes it
// for conditions that no event announces.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 180000) {
    QTimer ticker;
    ticker.start(20);
    const auto start = Clock::now();
    while (!pred()) {
        if (MsSince(start) > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The phone's installed APKs: exactly `count` files of `size` bytes.
void FillAppFolder(const fs::path& appDir, int count, size_t size, const std::string& stem) {
    fs::remove_all(appDir);
    fs::create_directories(appDir);
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
    for (int i = 0; i < count; ++i) {
        std::ofstream(appDir / (stem + std::to_string(i) + "-1.apk"), std::ios::binary) << bytes;
    }
}

class PhoneBench {
public:
    PhoneBench() {
        window_ = std::make_unique<test::MainWindowHarness>(test::MainWindowHarness::Adb::Real);
        // The product's runner with the real clock: its pause is part of the action.
        runner_ = std::make_unique<CommandRunner>(*window_->Context().launcher, *clock_);
        window_->Context().runner = runner_.get();
        window_->Open();
    }
    ~PhoneBench() {
        PumpUntil([&] { return window_->Workers().Workers().running == 0; }, 60000);
        if (!phones_.Stop()) std::fprintf(stderr, "%s\n", phones_.error().c_str());
        window_.reset();
    }
    bool Start(int width, int height) {
        test::PhoneOptions options;
        options.width = width;
        options.height = height;
        if (!phones_.Start(1, options)) {
            std::fprintf(stderr, "simulated phone: %s\n", phones_.error().c_str());
            return false;
        }
        return true;
    }
    fs::path AppDir() const { return phones_.stateDir() / "data" / "app"; }
    test::MainWindowHarness& Window() { return *window_; }
    test::PhoneFixture& Phones() { return phones_; }

    int Rows() {
        return test::MainWindowHarness::QtList(window_->Window().PackageList()).rowCount();
    }

    // Click on "刷新" to "列表完成" with every row in the list and painted.
    double Refresh(int expectedRows) {
        const auto start = Clock::now();
        window_->Click(ids::kRefreshPackagesButton);
        if (!PumpUntil([&] {
                return window_->Text(ids::kOperationStatus) == kListingDoneText &&
                       Rows() == expectedRows;
            })) {
            return -1;
        }
        QApplication::processEvents();
        return MsSince(start);
    }

    // Click on "备份选中" to "导出完成" with every checked APK in `folder`.
    double Export(const fs::path& folder) {
        window_->Dialogs().folderAnswers.push_back(folder.string());
        const auto start = Clock::now();
        window_->Click(ids::kExportButton);
        if (!PumpUntil([&] {
                return window_->Workers().Workers().running == 0 &&
                       window_->Text(ids::kOperationStatus) == kExportDoneText;
            })) {
            return -1;
        }
        return MsSince(start);
    }

private:
    std::unique_ptr<platform::Clock> clock_ = platform::MakeSystemClock();
    std::unique_ptr<CommandRunner> runner_;  // outlives the window's workers
    std::unique_ptr<test::MainWindowHarness> window_;
    test::PhoneFixture phones_;
};

double BareListing() {
    const auto start = Clock::now();
    std::string out;
    if (!RunToEnd({"adb", "shell", "pm", "list", "packages", "-f"}, &out)) return -1;
    return out.find("package:") == std::string::npos ? -1 : MsSince(start);
}

void BenchListing(PhoneBench& phone, const Options& options, std::vector<Row>& rows) {
    struct Case {
        int packages;
        Budget budget;
    } cases[] = {
        {100, {0, 0, "-"}},
        {1500, {0, 300, "<= 300 ms"}},
        {15000, {0, 3000, "<= 3000 ms"}},
    };
    for (const Case& c : cases) {
        FillAppFolder(phone.AppDir(), c.packages, 16, "com.vendor.bulk.application");
        rows.push_back(Measure(
            "刷新, " + std::to_string(c.packages) + " packages (click to all rows)",
            "adb shell pm list packages -f", options.rounds,
            [&] { return phone.Refresh(c.packages); }, BareListing, c.budget));
    }
}

void BenchExport(PhoneBench& phone, const Options& options, std::vector<Row>& rows) {
    constexpr int kPackages = 50;
    const std::string stem = "com.vendor.export.app";
    FillAppFolder(phone.AppDir(), kPackages, 1 << 20, stem);
    if (phone.Refresh(kPackages) < 0) {
        std::fprintf(stderr, "export: the list did not fill\n");
        return;
    }
    // The export starts only from a chosen row; then every checked row goes.
    test::MainWindowHarness::QtList(phone.Window().Window().PackageList()).SetSelectionMark(0);
    phone.Window().Click(ids::kSelectAllButton);
    const fs::path root = phone.Window().Root() / "exports";
    int round = 0;
    auto freshFolder = [&] {
        const fs::path f = root / std::to_string(round++);
        fs::remove_all(f);
        fs::create_directories(f);
        return f;
    };
    auto filesIn = [](const fs::path& f) {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(f)) ++n;
        return n;
    };
    auto ours = [&] {
        const fs::path folder = freshFolder();
        const double ms = phone.Export(folder);
        const bool whole = filesIn(folder) == kPackages;
        fs::remove_all(folder);
        return whole ? ms : -1;
    };
    auto bare = [&] {
        const fs::path folder = freshFolder();
        const auto start = Clock::now();
        for (int i = 0; i < kPackages; ++i) {
            const std::string name = stem + std::to_string(i) + "-1.apk";
            if (!RunToEnd({"adb", "pull", "/data/app/" + name, folder.string()})) return -1.0;
        }
        const double ms = MsSince(start);
        const bool whole = filesIn(folder) == kPackages;
        fs::remove_all(folder);
        return whole ? ms : -1.0;
    };
    rows.push_back(Measure("备份选中, 50 packages of 1 MB", "50 x adb pull", options.rounds, ours,
                           bare, {1.1, 0, "<= 1.1x"}));
}

}  // namespace

void BenchListingAndExport(const Options& options, std::vector<Row>& rows) {
    PhoneBench phone;
    if (!phone.Start(320, 480)) return;
    if (options.Wants("listing")) BenchListing(phone, options, rows);
    if (options.Wants("export")) BenchExport(phone, options, rows);
}

void BenchCapture(const Options& options, std::vector<Row>& rows) {
    constexpr int kWidth = 1080, kHeight = 2400;
    constexpr size_t kFrameBytes = 16 + size_t(kWidth) * kHeight * 2;
    PhoneBench phone;
    if (!phone.Start(kWidth, kHeight)) return;
    test::ScriptedDialogs dialogs;
    test::RecordingShell shell;
    test::FakeClock clock;
    AppContext context;
    context.dialogs = &dialogs;
    context.shell = &shell;
    context.clock = &clock;
    // The frame is read on a worker, as in the program.
    WorkerRuntime workers;
    context.workers = &workers;
    CaptureState capture;
    ScreenshotDialog window(context, capture, phone.Phones().serial());
    window.Create();
    QApplication::processEvents();
    auto ours = [&] {
        const auto start = Clock::now();
        window.RefreshScreenshot();
        while (window.Capturing()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (window.ItemTextNow(ids::kShotStatus) != "成功完成") return -1.0;
        QApplication::processEvents();  // the drawing, as the user sees it
        return MsSince(start);
    };
    std::vector<char> block;
    auto bare = [&] {
        const auto start = Clock::now();
        if (!BareFrame(phone.Phones().adbPort(), phone.Phones().serial(), block, kFrameBytes)) {
            return -1.0;
        }
        return MsSince(start);
    };
    rows.push_back(Measure("screenshot 刷新 1080x2400 RGB565", "bare frame read", options.rounds,
                           ours, bare, {1.1, 0, "<= 1.1x"}));
}

}  // namespace nimbo::bench
