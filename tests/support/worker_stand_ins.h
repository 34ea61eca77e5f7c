#pragma once
// Stand-ins for what a worker is handed: a window whose status lines remember
// every write, an adb script in a private system folder (searched before PATH)
// that records its arguments, and a launcher that can start nothing.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/process.h"
#include "support/test_paths.h"

namespace nimbo::test {

// The window behind a worker's report port, for the port fakes to build on:
// the texts of its lines with every write kept. Calls on its "window thread"
// are serialised by one lock (a call made from inside another runs at once,
// as on the real window's thread) and are skipped once the window is closed,
// after which reads give "" and writes go nowhere.
class FakeWindow {
public:
    enum class Line { ApkPath, InstallStatus, OperationStatus };

    // Runs fn as the window's thread would; false, without running it, once
    // the window is closed.
    bool OnWindow(const std::function<void()>& fn) {
        std::lock_guard lock(ui_);
        if (!alive_) return false;
        fn();
        return true;
    }
    void Show(Line line, const std::string& text) {
        OnWindow([&] {
            texts_[line] = text;
            writes_.push_back({line, text});
        });
    }
    std::string Read(Line line) {
        std::string out;
        OnWindow([&] { out = texts_[line]; });
        return out;
    }

    void CloseWindow() {
        std::lock_guard lock(ui_);
        alive_ = false;
    }
    // What the line shows, read by the test whether or not the window is open.
    std::string Text(Line line) {
        std::lock_guard lock(ui_);
        return texts_[line];
    }
    std::vector<std::pair<Line, std::string>> Writes() {
        std::lock_guard lock(ui_);
        return writes_;
    }
    // The texts written to one line, in order.
    std::vector<std::string> WritesTo(Line line) {
        std::lock_guard lock(ui_);
        std::vector<std::string> out;
        for (const auto& [written, text] : writes_) {
            if (written == line) out.push_back(text);
        }
        return out;
    }

private:
    std::recursive_mutex ui_;
    bool alive_ = true;
    std::map<Line, std::string> texts_;
    std::vector<std::pair<Line, std::string>> writes_;
};

// Names the line in a failed assertion instead of a number.
inline void PrintTo(FakeWindow::Line line, std::ostream* out) {
    switch (line) {
        case FakeWindow::Line::ApkPath:
            *out << "ApkPath";
            return;
        case FakeWindow::Line::InstallStatus:
            *out << "InstallStatus";
            return;
        case FakeWindow::Line::OperationStatus:
            *out << "OperationStatus";
            return;
    }
}

// Each call of the adb script is recorded as one line of NUL-ended
// arguments. Before printing "output" it runs "hook" (a shell snippet that
// sees the arguments), and while "hold" exists it waits for "gate".
class AdbScript {
public:
    AdbScript() {
        const auto dir = system_.path();
        std::ofstream script(dir / "adb");
        script << "#!/bin/sh\n"
               << "d='" << dir.string() << "'\n"
               << "printf '%s\\0' \"$@\" >> \"$d/calls\"; printf '\\n' >> \"$d/calls\"\n"
               << "[ -e \"$d/hook\" ] && . \"$d/hook\"\n"
               << "while [ -e \"$d/hold\" ] && [ ! -e \"$d/gate\" ]; do sleep 0.01; done\n"
               << "cat \"$d/output\" 2>/dev/null\n"
               << "exit 0\n";
        script.close();
        ::chmod((dir / "adb").c_str(), 0755);
    }

    const std::filesystem::path& dir() const { return system_.path(); }
    void Prints(const std::string& text) const { std::ofstream(dir() / "output") << text; }
    void Hook(const std::string& shell) const { std::ofstream(dir() / "hook") << shell << "\n"; }
    void Hold() const { std::ofstream(dir() / "hold").close(); }
    void Release() const { std::ofstream(dir() / "gate").close(); }

    std::vector<std::vector<std::string>> Calls() const {
        std::ifstream in(dir() / "calls", std::ios::binary);
        std::vector<std::vector<std::string>> calls;
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> args;
            std::stringstream fields(line);
            for (std::string arg; std::getline(fields, arg, '\0');) args.push_back(arg);
            calls.push_back(args);
        }
        return calls;
    }

private:
    TempDir system_;
};

// Nothing can be started (adb on PATH would be found otherwise).
class NoProgramLauncher final : public platform::ProcessLauncher {
public:
    Result<std::unique_ptr<platform::ChildOutput>, platform::SpawnError> Start(
        const std::vector<std::string>&) override {
        return Err{platform::SpawnError::NotFound};
    }
    Result<bool, platform::SpawnError> LaunchDetached(const std::vector<std::string>&) override {
        return Err{platform::SpawnError::NotFound};
    }
};

}  // namespace nimbo::test
