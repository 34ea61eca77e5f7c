#pragma once
// The main window's "安装USB驱动" button: writes the driver package, hands it
// to this system's driver store and tells the user in message boxes.
#include "platform/paths.h"
#include "ui/dialogs.h"

namespace nimbo {

void OnInstallUsbDriver(const platform::Paths& paths, ui::Dialogs& dialogs);

}  // namespace nimbo
