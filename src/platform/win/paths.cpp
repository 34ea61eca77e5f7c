// The Windows folder mapping. The system directory is a per-user folder,
// %LOCALAPPDATA%\Nimbo\system: the Windows system folder needs administrator
// rights, which the program does not ask for. The driver package goes to
// D:\android_usb_windows, the folder the driver messages name; pictures to
// the user's Documents folder.
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>

// windows.h names its A/W pairs by macros; ours are plain functions.
#undef SetCurrentDirectory
#undef GetCurrentDirectory

#include "platform/paths.h"
#include "platform/win/wide.h"

namespace nimbo::platform {
namespace {

std::filesystem::path KnownFolder(REFKNOWNFOLDERID id, const wchar_t* fallbackVariable) {
    PWSTR raw = nullptr;
    std::filesystem::path found;
    if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &raw) == S_OK && raw) found = raw;
    CoTaskMemFree(raw);
    if (found.empty()) {
        if (const wchar_t* v = _wgetenv(fallbackVariable); v && *v) found = v;
    }
    return found;
}

}  // namespace

Paths DefaultPaths() {
    Paths p;
    std::filesystem::path local = KnownFolder(FOLDERID_LocalAppData, L"LOCALAPPDATA");
    if (local.empty()) local = std::filesystem::temp_directory_path();
    p.systemDir = local / L"Nimbo" / L"system";
    p.driverDir = L"D:\\android_usb_windows";
    p.driverI386Dir = p.driverDir / L"i386";
    p.documentsDir = KnownFolder(FOLDERID_Documents, L"USERPROFILE");
    // Windows has no system adb: a build without one of its own runs the
    // adb.exe put beside nimbo.exe (then PATH).
    std::wstring self(MAX_PATH, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (n > 0 && n < self.size()) p.systemAdbDir = std::filesystem::path(self.substr(0, n)).parent_path();
    return p;
}

bool PathFileExists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(win::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SetCurrentDirectory(const std::string& path) {
    return !path.empty() && ::SetCurrentDirectoryW(win::Widen(path).c_str()) != 0;
}

std::string GetCurrentDirectory() {
    DWORD n = ::GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return {};
    std::wstring buffer(n, L'\0');
    n = ::GetCurrentDirectoryW(n, buffer.data());
    buffer.resize(n);
    return win::Narrow(buffer);
}

}  // namespace nimbo::platform
