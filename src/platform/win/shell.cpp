// Folders go to Explorer and web addresses to the user's browser through
// ShellExecuteW, which picks the program the user has chosen for them.
#include <windows.h>
#include <shellapi.h>

#include "platform/process.h"
#include "platform/shell.h"
#include "platform/win/wide.h"

namespace nimbo::platform {
namespace {

// ShellExecute reports success as a value above 32.
bool Succeeded(HINSTANCE h) {
    return reinterpret_cast<INT_PTR>(h) > 32;
}

class WindowsShellOpener final : public ShellOpener {
public:
    bool OpenFolder(const std::string& folder) override {
        if (folder.empty()) return false;
        std::wstring params = L"\"" + win::Widen(folder) + L"\"";
        return Succeeded(ShellExecuteW(nullptr, L"open", L"explorer.exe", params.c_str(), nullptr,
                                       SW_SHOW));
    }

    bool OpenUrl(const std::string& url, bool maximised) override {
        if (url.empty()) return false;
        std::wstring target = win::Widen(url);
        return Succeeded(ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr,
                                       maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL));
    }
};

}  // namespace

// The launcher is for systems whose opener is a program of its own (xdg-open);
// Windows opens both through the shell.
std::unique_ptr<ShellOpener> MakeDesktopShellOpener(ProcessLauncher& /*launcher*/) {
    return std::make_unique<WindowsShellOpener>();
}

}  // namespace nimbo::platform
