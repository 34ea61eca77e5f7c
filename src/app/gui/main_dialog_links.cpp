// The USB driver package, the help window and the web links.
#include "adbtool/web_addresses.h"
#include "app/gui/main_dialog.h"
#include "driver/gui/driver_button.h"
#include "help/gui/help_dialog.h"

namespace nimbo {
namespace {

void OpenAddress(platform::ShellOpener* shell, const char* address) {
    // A failed start of the browser is not reported.
    if (shell) shell->OpenUrl(address, true);
}

}  // namespace

void MainDialog::InstallUsbDriver() {
    OnInstallUsbDriver(context_.paths, *context_.dialogs);
}

void MainDialog::OnHelp() {
    // Owned by the main window, so it sits over it and the main window is
    // disabled while it is up; nothing of it outlives the press.
    HelpDialog help(context_.shell, this);
    help.DoModal();
}

void MainDialog::OnFirstMakerSite() {
    OpenAddress(context_.shell, web::kFirstMakerSite);
}

void MainDialog::OnSecondMakerSite() {
    OpenAddress(context_.shell, web::kSecondMakerSite);
}

}  // namespace nimbo
