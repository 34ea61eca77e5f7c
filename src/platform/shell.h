#pragma once
// Handing a folder to the file manager or an address to the browser.
#include <memory>
#include <string>

namespace nimbo::platform {

class ProcessLauncher;

class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // Both return false when the opener could not be started; callers that
    // report nothing on failure simply ignore it.
    virtual bool OpenFolder(const std::string& folder) = 0;
    virtual bool OpenUrl(const std::string& url, bool maximised) = 0;
};

// xdg-open through the given launcher.
std::unique_ptr<ShellOpener> MakeDesktopShellOpener(ProcessLauncher& launcher);

}  // namespace nimbo::platform
