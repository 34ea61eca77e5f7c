#pragma once
// The window system's dialogs on Qt: file-open, file-save, folder chooser, message box.
#include <QPointer>
#include <QWidget>

#include "ui/dialogs.h"

namespace nimbo::ui::qt {

class QtDialogs final : public Dialogs {
public:
    std::optional<std::string> OpenFile(const std::string& title,
                                        const std::vector<FileFilter>& filters,
                                        bool mustExist) override;
    std::optional<std::string> SaveFile(const std::string& title,
                                        const std::vector<FileFilter>& filters, int filterIndex,
                                        const std::string& defaultExtension,
                                        const std::string& initialName) override;
    std::vector<std::string> OpenFiles(const std::string& title,
                                       const std::vector<FileFilter>& filters) override;
    std::optional<std::string> AskText(const std::string& title,
                                       const std::string& prompt) override;
    std::optional<int> PopupMenu(const std::vector<std::string>& items) override;
    std::optional<std::string> ChooseFolder(const std::string& prompt) override;
    MessageBoxResult MessageBox(const std::string& text, const std::string& caption) override;
};

}  // namespace nimbo::ui::qt
