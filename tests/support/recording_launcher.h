#pragma once
// A process launcher that starts nothing: it records every argument vector it
// is handed and plays a scripted output for each started command, so a window
// or worker can be driven through its adb paths without any adb.
//
//   RecordingLauncher launcher;
//   launcher.Answer("install", "Performing Streamed Install\r\nSuccess\r\n");
//   launcher.Hold();       // started commands print nothing until Release()
//   ... run the code under test on it ...
//   EXPECT_EQ(launcher.Started().size(), 1u);
//
// A command no answer names prints nothing and ends at once, as an adb that
// found nothing to say would.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/process.h"

namespace nimbo::test {

class RecordingLauncher final : public platform::ProcessLauncher {
public:
    RecordingLauncher();
    ~RecordingLauncher() override;

    // Commands with `word` among their arguments print `output` (in one read);
    // a later answer for the same word replaces the earlier one.
    void Answer(const std::string& word, std::string output);
    // Started commands wait before they print, until Release() or Cancel().
    void Hold();
    void Release();

    // Every argument vector, Start and LaunchDetached alike, in order.
    std::vector<std::vector<std::string>> Started() const;
    // Only those handed to LaunchDetached.
    std::vector<std::vector<std::string>> Detached() const;
    // How many started commands have not yet been read to their end or cancelled.
    int Running() const;

    Result<std::unique_ptr<platform::ChildOutput>, platform::SpawnError> Start(
        const std::vector<std::string>& argv) override;
    Result<bool, platform::SpawnError> LaunchDetached(
        const std::vector<std::string>& argv) override;

private:
    class ScriptedChild;
    struct Shared {
        std::mutex mutex;
        std::condition_variable released;
        bool held = false;
        int running = 0;
    };

    std::string OutputFor(const std::vector<std::string>& argv) const;

    std::shared_ptr<Shared> shared_;
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, std::string>> answers_;
    std::vector<std::vector<std::string>> started_;
    std::vector<std::vector<std::string>> detached_;
};

}  // namespace nimbo::test
