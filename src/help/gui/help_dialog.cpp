#include "help/gui/help_dialog.h"

#include "adbtool/web_addresses.h"
#include "controls/gradient_button.h"
#include "templates/control_ids.h"
#include "templates/dialog_template.h"

namespace nimbo {

HelpDialog::HelpDialog(platform::ShellOpener* shell, ui::Dialog* owner)
    : ui::Dialog(resources::HelpDialogTemplate(), owner), shell_(shell) {
    BindControl(ids::kHelpOnlineButton, onlineHelpButton_);
    BindControl(ids::kHelpCloseButton, closeButton_);
    OnCommand(ids::kHelpOnlineButton, [this] { OnOnlineHelp(); });
    // "关闭" ends the window as confirmed; Esc and the close box as cancelled.
    OnCommand(ids::kHelpCloseButton, [this] { OnOK(); });
}

bool HelpDialog::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    onlineHelpButton_->SetIconById(137);
    closeButton_->SetIconById(135);
    // Lets tests and tools tell which icon each button shows.
    onlineHelpButton_->Host()->Self().SetTag("iconId", 137);
    closeButton_->Host()->Self().SetTag("iconId", 135);
    return true;
}

void HelpDialog::OnOnlineHelp() {
    // No browser is no news to the user: the press just does nothing visible.
    if (shell_) shell_->OpenUrl(web::kOnlineHelpPage, true);
}

}  // namespace nimbo
