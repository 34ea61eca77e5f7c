// Nimbo for Windows: installs APK files on an Android phone over adb, lists
// and backs up its packages, lists devices and takes screenshots.
#include <windows.h>

#include "app/gui/installer_app.h"
#include "ui/win/window_system.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    nimbo::ui::win::WindowSystem windows(instance);
    nimbo::InstallerApp installer;
    return installer.InitInstance();
}
