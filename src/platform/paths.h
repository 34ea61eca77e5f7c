#pragma once
// The folders the program uses, after the Linux folder mapping:
//   system directory   $XDG_DATA_HOME/nimbo/system/ (~/.local/share/nimbo/system/)
//   driver package     ~/android_usb_windows/ and its i386/
//   documents          xdg-user-dir DOCUMENTS, else ~/Documents
//   system adb         /usr/bin (Debian's adb package)
#include <filesystem>
#include <string>

namespace nimbo::platform {

struct Paths {
    std::filesystem::path systemDir;
    std::filesystem::path driverDir;
    std::filesystem::path driverI386Dir;
    std::filesystem::path documentsDir;
    // The folder of the system's own adb, run by a program that carries none
    // (adbtool/adb_program.h); empty where the system has no such folder.
    std::filesystem::path systemAdbDir;
};

// Reads HOME, XDG_DATA_HOME and the user-dirs file; creates nothing.
Paths DefaultPaths();
// Creates the system directory if it is missing; false when that fails.
bool EnsureSystemDirectory(const Paths& paths);

bool PathFileExists(const std::string& path);
bool SetCurrentDirectory(const std::string& path);
std::string GetCurrentDirectory();

}  // namespace nimbo::platform
