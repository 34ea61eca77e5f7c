#pragma once
// Stand-ins for the seams a window or worker is handed: scripted dialogs, a
// shell opener that records, a clock that does not sleep.
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/shell.h"
#include "ui/dialogs.h"

namespace nimbo::test {

class ScriptedDialogs final : public ui::Dialogs {
public:
    // The next answers, taken in order; an empty queue answers "cancelled".
    std::deque<std::optional<std::string>> openFileAnswers, saveFileAnswers, folderAnswers;
    // Answers of a chooser of several files; while empty, it asks OpenFile.
    std::deque<std::vector<std::string>> openFilesAnswers;
    std::deque<std::optional<std::string>> textAnswers;
    std::deque<std::optional<int>> menuAnswers;
    std::vector<std::vector<std::string>> menusShown;

    struct Shown {
        std::string kind, title, text;
        std::vector<ui::FileFilter> filters;
        int filterIndex = 0;
        std::string defaultExtension, initialName;
        bool mustExist = false;
    };
    std::vector<Shown> shown;  // every dialog asked for, in order

    std::optional<std::string> OpenFile(const std::string& title,
                                        const std::vector<ui::FileFilter>& filters,
                                        bool mustExist) override;
    std::optional<std::string> SaveFile(const std::string& title,
                                        const std::vector<ui::FileFilter>& filters, int filterIndex,
                                        const std::string& defaultExtension,
                                        const std::string& initialName) override;
    std::vector<std::string> OpenFiles(const std::string& title,
                                       const std::vector<ui::FileFilter>& filters) override;
    std::optional<std::string> AskText(const std::string& title,
                                       const std::string& prompt) override;
    std::optional<int> PopupMenu(const std::vector<std::string>& items) override;
    std::optional<std::string> ChooseFolder(const std::string& prompt) override;
    ui::MessageBoxResult MessageBox(const std::string& text, const std::string& caption) override;

    std::vector<Shown> MessageBoxes() const;

private:
    static std::optional<std::string> Take(std::deque<std::optional<std::string>>& q);
};

class RecordingShell final : public platform::ShellOpener {
public:
    struct Opened {
        std::string target;
        bool folder;
        bool maximised;
    };
    bool OpenFolder(const std::string& folder) override;
    bool OpenUrl(const std::string& url, bool maximised) override;
    std::vector<Opened> All() const;

private:
    mutable std::mutex mutex_;
    std::vector<Opened> opened_;
};

// Fixed time; Sleep only counts.
class FakeClock final : public platform::Clock {
public:
    platform::LocalTime now{2026, 12, 8, 21, 49, 8};
    platform::LocalTime Now() override { return now; }
    void Sleep(std::chrono::milliseconds d) override {
        std::lock_guard lock(mutex_);
        slept += d;
    }
    std::chrono::milliseconds Slept() const {
        std::lock_guard lock(mutex_);
        return slept;
    }

private:
    mutable std::mutex mutex_;
    std::chrono::milliseconds slept{0};
};

}  // namespace nimbo::test
