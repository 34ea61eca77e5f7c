#pragma once
// The platform dialogs on Qt: file-open, file-save, folder chooser, message box.
#include <QWidget>
#include <QPointer>

#include "ui/dialogs.h"

namespace nimbo::ui {

class QtDialogs final : public ui::Dialogs {
public:
    std::optional<std::string> OpenFile(const std::string& title,
                                        const std::vector<ui::FileFilter>& filters,
                                        bool mustExist) override;
    std::optional<std::string> SaveFile(const std::string& title,
                                        const std::vector<ui::FileFilter>& filters,
                                        int filterIndex, const std::string& defaultExtension,
                                        const std::string& initialName) override;
    std::optional<std::string> ChooseFolder(const std::string& prompt) override;
    ui::MessageBoxResult MessageBox(const std::string& text,
                                          const std::string& caption) override;
};

}  // namespace nimbo::ui
