#include "driver/gui/driver_button.h"

#include <memory>
#include <string>

#include "driver/usb_driver_package.h"
#include "platform/driver_store.h"

namespace nimbo {

void OnInstallUsbDriver(const platform::Paths& paths, ui::Dialogs& dialogs) {
    const std::unique_ptr<platform::DriverStore> store = platform::MakeDriverStore();
    // The messages are captioned with the name the program gives itself.
    InstallUsbDriverPackage(
        paths, *store,
        [&dialogs](const std::string& text, const std::string& caption) {
            dialogs.MessageBox(text, caption);
        },
        ui::ApplicationName());
}

}  // namespace nimbo
