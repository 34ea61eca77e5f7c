#include "support/fakes.h"

namespace nimbo::test {

std::optional<std::string> ScriptedDialogs::Take(std::deque<std::optional<std::string>>& q) {
    if (q.empty()) return std::nullopt;
    auto v = q.front();
    q.pop_front();
    return v;
}

std::optional<std::string> ScriptedDialogs::OpenFile(const std::string& title,
                                                     const std::vector<ui::FileFilter>& filters,
                                                     bool mustExist) {
    Shown s;
    s.kind = "open";
    s.title = title;
    s.filters = filters;
    s.mustExist = mustExist;
    shown.push_back(s);
    return Take(openFileAnswers);
}

std::vector<std::string> ScriptedDialogs::OpenFiles(const std::string& title,
                                                    const std::vector<ui::FileFilter>& filters) {
    if (openFilesAnswers.empty()) return ui::Dialogs::OpenFiles(title, filters);
    Shown s;
    s.kind = "open";
    s.title = title;
    s.filters = filters;
    s.mustExist = true;
    shown.push_back(s);
    std::vector<std::string> answer = std::move(openFilesAnswers.front());
    openFilesAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedDialogs::AskText(const std::string& title,
                                                    const std::string& prompt) {
    Shown s;
    s.kind = "text";
    s.title = title;
    s.text = prompt;
    shown.push_back(s);
    return Take(textAnswers);
}

std::optional<int> ScriptedDialogs::PopupMenu(const std::vector<std::string>& items) {
    menusShown.push_back(items);
    if (menuAnswers.empty()) return std::nullopt;
    const std::optional<int> answer = menuAnswers.front();
    menuAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedDialogs::SaveFile(const std::string& title,
                                                     const std::vector<ui::FileFilter>& filters,
                                                     int filterIndex,
                                                     const std::string& defaultExtension,
                                                     const std::string& initialName) {
    Shown s;
    s.kind = "save";
    s.title = title;
    s.filters = filters;
    s.filterIndex = filterIndex;
    s.defaultExtension = defaultExtension;
    s.initialName = initialName;
    shown.push_back(s);
    return Take(saveFileAnswers);
}

std::optional<std::string> ScriptedDialogs::ChooseFolder(const std::string& prompt) {
    Shown s;
    s.kind = "folder";
    s.title = prompt;
    shown.push_back(s);
    return Take(folderAnswers);
}

ui::MessageBoxResult ScriptedDialogs::MessageBox(const std::string& text,
                                                 const std::string& caption) {
    Shown s;
    s.kind = "message";
    s.title = caption;
    s.text = text;
    shown.push_back(s);
    return ui::MessageBoxResult::Ok;
}

std::vector<ScriptedDialogs::Shown> ScriptedDialogs::MessageBoxes() const {
    std::vector<Shown> out;
    for (const auto& s : shown)
        if (s.kind == "message") out.push_back(s);
    return out;
}

bool RecordingShell::OpenFolder(const std::string& folder) {
    std::lock_guard lock(mutex_);
    opened_.push_back({folder, true, false});
    return true;
}

bool RecordingShell::OpenUrl(const std::string& url, bool maximised) {
    std::lock_guard lock(mutex_);
    opened_.push_back({url, false, maximised});
    return true;
}

std::vector<RecordingShell::Opened> RecordingShell::All() const {
    std::lock_guard lock(mutex_);
    return opened_;
}

}  // namespace nimbo::test
