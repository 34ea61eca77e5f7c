#pragma once
// The platform's modal dialogs as seen by the logic: file-open, file-save,
// folder chooser and message box. The Qt implementation lives in ui/; tests hand
// in scripted answers.
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
    virtual std::optional<std::string> SaveFile(const std::string& title,
                                                const std::vector<FileFilter>& filters,
                                                int filterIndex,
                                                const std::string& defaultExtension,
                                                const std::string& initialName) = 0;
    virtual std::optional<std::string> ChooseFolder(const std::string& prompt) = 0;
    virtual MessageBoxResult MessageBox(const std::string& text, const std::string& caption) = 0;
};

}  // namespace nimbo::ui
