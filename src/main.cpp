// Nimbo: installs APK files on an Android phone over adb, lists and backs up
// its packages, lists devices and takes screenshots.
#include <QApplication>

#include "app/gui/installer_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbo"));
    nimbo::InstallerApp installer;
    return installer.InitInstance();
}
