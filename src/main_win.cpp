// Nimbo for Windows: installs APK files on an Android phone over adb, lists
// and backs up its packages, lists devices and takes screenshots.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/gui/installer_app.h"
#include "install/install_workers.h"
#include "platform/win/wide.h"
#include "ui/win/window_system.h"

namespace {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(nimbo::platform::win::Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

// A program without a console says what --help and --version print in a box.
void Tell(const std::string& text, UINT icon) {
    MessageBoxW(nullptr, nimbo::platform::win::Widen(text).c_str(), L"Nimbo", MB_OK | icon);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const nimbo::CommandLine line = nimbo::ParseCommandLine(Arguments());
    switch (line.action) {
        case nimbo::CommandLine::Action::Help:
            Tell(nimbo::HelpText(), MB_ICONINFORMATION);
            return 0;
        case nimbo::CommandLine::Action::Version:
            Tell(nimbo::VersionText(), MB_ICONINFORMATION);
            return 0;
        case nimbo::CommandLine::Action::Error:
            Tell(line.error + "\n用 nimbo --help 查看用法", MB_ICONERROR);
            return 2;
        case nimbo::CommandLine::Action::Run:
            break;
    }
    // A file given (as Explorer passes it) goes into the install path field
    // when it names a file.
    std::string apkPath;
    if (!line.apkFile.empty()) apkPath = nimbo::ApkPathForField(line.apkFile).value_or("");
    nimbo::ui::win::WindowSystem windows(instance);
    nimbo::InstallerApp installer;
    installer.SetStartApkFile(apkPath);
    return installer.InitInstance();
}
