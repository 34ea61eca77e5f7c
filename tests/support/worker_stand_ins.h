#pragma once
// Stand-ins for what a worker is handed: control texts that remember every
// write, an adb script in a private system folder (searched before PATH) that
// records its arguments, and a launcher that can start nothing.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialog_items.h"
#include "platform/process.h"
#include "support/test_paths.h"

namespace nimbo::test {

// Control texts by id with every write kept; "UI thread" calls are serialised
// by one lock and skipped once the window is marked gone.
class RecordingItems final : public ui::DialogItems {
public:
    void SetDlgItemText(int id, const std::string& text) override {
        RunOnUiThread([&] {
            texts_[id] = text;
            writes_.push_back({id, text});
        });
    }
    std::string GetDlgItemText(int id) override {
        std::string out;
        RunOnUiThread([&] { out = texts_[id]; });
        return out;
    }
    void RunOnUiThread(const std::function<void()>& fn) override {
        std::lock_guard lock(ui_);
        if (alive_) fn();
    }

    void CloseWindow() {
        std::lock_guard lock(ui_);
        alive_ = false;
    }
    std::string Text(int id) {
        std::lock_guard lock(ui_);
        return texts_[id];
    }
    std::vector<std::pair<int, std::string>> Writes() {
        std::lock_guard lock(ui_);
        return writes_;
    }
    // The texts written to one control, in order.
    std::vector<std::string> WritesTo(int id) {
        std::lock_guard lock(ui_);
        std::vector<std::string> out;
        for (const auto& [written, text] : writes_) {
            if (written == id) out.push_back(text);
        }
        return out;
    }

private:
    std::recursive_mutex ui_;
    bool alive_ = true;
    std::map<int, std::string> texts_;
    std::vector<std::pair<int, std::string>> writes_;
};

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
