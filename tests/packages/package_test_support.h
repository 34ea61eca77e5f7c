#pragma once
// Stand-ins for the package workers' surroundings: an in-memory package list,
// control texts that remember every write, and an adb script in a private
// system folder (searched before PATH) that records its arguments.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/command_runner.h"
#include "packages/package_rows.h"
#include "packages/package_worker_threads.h"
#include "platform/dialog_items.h"
#include "support/fakes.h"
#include "support/test_paths.h"

namespace nimbo::test {

class FakeRows final : public PackageRows {
public:
    struct Row {
        std::string name, packageName;
        bool checked = false;
    };
    std::vector<Row> rows;
    int mark = -1;
    std::set<int> selected;

    int Count() const override { return static_cast<int>(rows.size()); }
    void DeleteAll() override {
        rows.clear();
        mark = -1;
        selected.clear();
    }
    void InsertAtTop(const std::string& name, const std::string& packageName) override {
        rows.insert(rows.begin(), Row{name, packageName, false});
    }
    std::string Name(int row) const override { return rows.at(row).name; }
    std::string PackageName(int row) const override { return rows.at(row).packageName; }
    bool IsChecked(int row) const override { return rows.at(row).checked; }
    void SetChecked(int row, bool checked) override { rows.at(row).checked = checked; }
    int SelectionMark() const override { return mark; }
    bool IsSelected(int row) const override { return selected.count(row) > 0; }

    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (const auto& r : rows) out.push_back(r.name);
        return out;
    }
};

// Control texts by id with every write kept; "UI thread" calls are serialised
// by one lock and skipped once the window is marked gone.
class RecordingItems final : public platform::DialogItems {
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

// Waits (without assuming any speed) until no package worker runs.
inline bool WaitForPackageWorkers(std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (PackageWorkers().running > 0) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace nimbo::test
