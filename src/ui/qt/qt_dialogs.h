#pragma once
// The window system's dialogs on Qt: file-open, file-save, folder chooser, message box.
#include <QWidget>
#include <QPointer>

#include "ui/dialogs.h"

namespace nimbo::ui::qt {

class QtDialogs final : public Dialogs {
public:
    std::optional<std::string> OpenFile(const std::string& title,
                                        const std::vector<FileFilter>& filters,
                                        bool mustExist) override;
    std::optional<std::string> SaveFile(const std::string& title,
                                        const std::vector<FileFilter>& filters,
                                        int filterIndex, const std::string& defaultExtension,
                                        const std::string& initialName) override;
    std::optional<std::string> ChooseFolder(const std::string& prompt) override;
    MessageBoxResult MessageBox(const std::string& text,
                                          const std::string& caption) override;
};

}  // namespace nimbo::ui::qt
