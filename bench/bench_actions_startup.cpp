// Start-up, from exec to the main window mapped on a private X server, and
// the peak memory, beside a bare Qt dialog with the same font. Each program
// runs in a fresh home with the adb server port pointed at a private port;
// whatever the program leaves running (its hidden adb commands and the server
// they start) comes to this process as the child subreaper and is ended here.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "bench_actions.h"
#include "support/phonesim_process.h"
#include "support/process_tree.h"

namespace nimbo::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

fs::path ProgramBesideThis(const std::string& name) {
    return fs::read_symlink("/proc/self/exe").parent_path() / name;
}

struct Launch {
    double mappedMs = -1;
    double peakMb = -1;
};

class PrivateDisplay {
public:
    bool Start() {
        for (int d = 90; d < 140; ++d) {
            if (fs::exists("/tmp/.X11-unix/X" + std::to_string(d)) ||
                fs::exists("/tmp/.X" + std::to_string(d) + "-lock")) {
                continue;
            }
            display_ = ":" + std::to_string(d);
            pid_ = test::SpawnChild(
                {"Xvfb", display_, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, -1, -1);
            if (pid_ < 0) return false;
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(d);
            for (int i = 0; i < 200 && !fs::exists(socket); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            }
            connection_ = xcb_connect(display_.c_str(), nullptr);
            if (xcb_connection_has_error(connection_)) return false;
            root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
            const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
            xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
            xcb_flush(connection_);
            return true;
        }
        return false;
    }
    ~PrivateDisplay() {
        if (connection_) xcb_disconnect(connection_);
        if (pid_ > 0) test::KillAndReap(pid_);
    }
    const std::string& Name() const { return display_; }
    pid_t Pid() const { return pid_; }

    // Waits until a top-level window is mapped; false after the time-out.
    bool WaitForMap(int timeoutMs) {
        const auto start = Clock::now();
        while (MsSince(start) < timeoutMs) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(connection_)) {
                const bool mapped =
                    (e->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                    !reinterpret_cast<xcb_map_notify_event_t*>(e)->override_redirect;
                std::free(e);
                if (mapped) return true;
            }
            pollfd p{xcb_get_file_descriptor(connection_), POLLIN, 0};
            ::poll(&p, 1, 5);
        }
        return false;
    }
    void Drain() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(connection_)) std::free(e);
    }

private:
    std::string display_;
    pid_t pid_ = -1;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
};

// Ends everything below this process that is not one of `keep`.
void EndLeftovers(const std::vector<pid_t>& keep) {
    for (int pass = 0; pass < 3; ++pass) {
        for (const auto& p : test::Descendants(::getpid())) {
            if (std::find(keep.begin(), keep.end(), p.pid) != keep.end()) continue;
            ::kill(p.pid, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        test::ReapZombieChildren(keep);
    }
}

Launch Run(PrivateDisplay& display, const fs::path& program, const fs::path& home, uint16_t adbPort,
           const std::vector<pid_t>& keep) {
    fs::remove_all(home);
    fs::create_directories(home);
    std::vector<std::string> env = test::EnvironmentWith({
        "DISPLAY=" + display.Name(),
        "QT_QPA_PLATFORM=xcb",
        "HOME=" + home.string(),
        "XDG_DATA_HOME=" + (home / ".local/share").string(),
        "XDG_CONFIG_HOME=" + (home / ".config").string(),
        "ANDROID_ADB_SERVER_PORT=" + std::to_string(adbPort),
        "ADB_EMU=0",
    });
    std::vector<char*> envp, argv = {const_cast<char*>(program.c_str()), nullptr};
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    display.Drain();
    Launch result;
    const auto start = Clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
        return result;
    }
    if (display.WaitForMap(20000)) result.mappedMs = MsSince(start);
    // What the program does just after its window shows counts toward its
    // peak memory too.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    ::kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.peakMb = usage.ru_maxrss / 1024.0;
    EndLeftovers(keep);
    return result;
}

}  // namespace

void BenchStartup(const Options& options, std::vector<Row>& rows) {
    const fs::path nimbo = ProgramBesideThis("nimbo");
    const fs::path bare = ProgramBesideThis("bench_bare_dialog");
    if (!fs::exists(nimbo) || !fs::exists(bare)) {
        std::fprintf(stderr, "start-up: %s or %s missing\n", nimbo.c_str(), bare.c_str());
        return;
    }
    test::BecomeChildSubreaper();
    PrivateDisplay display;
    if (!display.Start()) {
        std::fprintf(stderr, "start-up: no private X server\n");
        return;
    }
    const std::vector<pid_t> keep = {display.Pid()};
    const uint16_t adbPort = test::FreeLoopbackPort();
    const fs::path home =
        fs::temp_directory_path() / ("nimbo-bench-home-" + std::to_string(::getpid()));
    std::vector<double> oursMem, bareMem;
    auto ours = [&] {
        const Launch l = Run(display, nimbo, home, adbPort, keep);
        oursMem.push_back(l.peakMb);
        return l.mappedMs;
    };
    auto reference = [&] {
        const Launch l = Run(display, bare, home, adbPort, keep);
        bareMem.push_back(l.peakMb);
        return l.mappedMs;
    };
    // One of each first, so both start with the libraries in the page cache.
    ours();
    reference();
    oursMem.clear();
    bareMem.clear();
    rows.push_back(Measure("start-up, exec to main window mapped", "bare Qt dialog, same font",
                           options.rounds, ours, reference, {1.3, 0, "<= 1.3x"}));
    Row memory{"start-up, peak memory", "bare Qt dialog, same font", Median(oursMem),
               Median(bareMem),         {1.2, 0, "<= 1.2x"},         "MB"};
    rows.push_back(memory);
    fs::remove_all(home);
}

}  // namespace nimbo::bench
