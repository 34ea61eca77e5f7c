// Nimbo: installs APK files on an Android phone over adb, lists and backs up
// its packages, lists devices and takes screenshots.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/gui/installer_app.h"
#include "install/install_workers.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
    // --help and --version are answered before the window system starts, so
    // they work without a display.
    nimbo::CommandLine line = nimbo::ParseCommandLine(Arguments(argc, argv));
    if (line.action == nimbo::CommandLine::Action::Help) {
        std::fputs(nimbo::HelpText().c_str(), stdout);
        return 0;
    }
    if (line.action == nimbo::CommandLine::Action::Version) {
        std::printf("%s\n", nimbo::VersionText().c_str());
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbo"));
    // Qt has taken out its own options (-platform, -style, ...): what is left
    // is ours alone.
    line = nimbo::ParseCommandLine(Arguments(argc, argv));
    if (line.action == nimbo::CommandLine::Action::Error) {
        std::fprintf(stderr, "nimbo: %s\n用 nimbo --help 查看用法\n", line.error.c_str());
        return 2;
    }
    // A relative name means the folder the program was started in; the field
    // gets the absolute path, or stays empty when the name is no file.
    std::string apkPath;
    if (!line.apkFile.empty()) {
        auto path = nimbo::ApkPathForField(line.apkFile);
        if (!path) std::fprintf(stderr, "nimbo: %s: 文件不存在\n", line.apkFile.c_str());
        apkPath = path.value_or("");
    }
    nimbo::InstallerApp installer;
    installer.SetStartApkFile(apkPath);
    return installer.InitInstance();
}
