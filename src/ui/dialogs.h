#pragma once
// The window system's modal dialogs as the program sees them: file-open,
// file-save, folder chooser and message box. The backend implements them
// (MakeSystemDialogs); tests hand in scripted answers.
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nimbo::ui {

struct FileFilter {
    std::string text;     // "APK文件 (*.apk)"
    std::string pattern;  // "*.apk"
};

enum class MessageBoxResult { Ok, Cancel, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Empty when cancelled.
    virtual std::optional<std::string> OpenFile(const std::string& title,
                                                const std::vector<FileFilter>& filters,
                                                bool mustExist) = 0;
    // Existing files, one or several chosen together; empty when cancelled.
    // Dialogs that choose one file only answer with that one.
    virtual std::vector<std::string> OpenFiles(const std::string& title,
                                               const std::vector<FileFilter>& filters) {
        auto one = OpenFile(title, filters, true);
        return one ? std::vector<std::string>{*one} : std::vector<std::string>{};
    }
    // A line of text the user types (e.g. an address); nullopt when cancelled.
    virtual std::optional<std::string> AskText(const std::string& title,
                                               const std::string& prompt) {
        (void)title;
        (void)prompt;
        return std::nullopt;
    }
    // A small menu at the pointer; the index of the item chosen, or nullopt.
    virtual std::optional<int> PopupMenu(const std::vector<std::string>& items) {
        (void)items;
        return std::nullopt;
    }
    virtual std::optional<std::string> SaveFile(const std::string& title,
                                                const std::vector<FileFilter>& filters,
                                                int filterIndex,
                                                const std::string& defaultExtension,
                                                const std::string& initialName) = 0;
    virtual std::optional<std::string> ChooseFolder(const std::string& prompt) = 0;
    virtual MessageBoxResult MessageBox(const std::string& text, const std::string& caption) = 0;
};

// The backend's dialogs, owned by the window that is active when one opens.
std::unique_ptr<Dialogs> MakeSystemDialogs();

// The name the program gives itself (the caption of its message boxes).
std::string ApplicationName();

}  // namespace nimbo::ui
