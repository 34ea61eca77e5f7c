// The USB driver package, the help window and the web links.
#include <QCoreApplication>

#include "app/gui/main_dialog.h"
#include "adbtool/web_addresses.h"
#include "driver/usb_driver_package.h"
#include "help/gui/help_dialog.h"
#include "platform/driver_store.h"

namespace nimbo {
namespace {

// The caption of the driver messages: the title the program gives itself,
// else its executable's base name (which Qt answers when no title is set).
std::string ApplicationName() {
    return QCoreApplication::applicationName().toStdString();
}

void OpenAddress(platform::ShellOpener* shell, const char* address) {
    // A failed start of the browser is not reported.
    if (shell) shell->OpenUrl(address, true);
}

}  // namespace

void MainDialog::InstallUsbDriver() {
    const std::unique_ptr<platform::DriverStore> store = platform::MakeDriverStore();
    InstallUsbDriverPackage(
        context_.paths, *store,
        [this](const std::string& text, const std::string& caption) {
            context_.dialogs->MessageBox(text, caption);
        },
        ApplicationName());
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
