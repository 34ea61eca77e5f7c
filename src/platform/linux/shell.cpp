// Folders and web addresses go to the desktop's own opener, xdg-open, which
// picks the file manager or browser the user has chosen.
#include "platform/shell.h"

#include "platform/process.h"

namespace nimbo::platform {
namespace {

class DesktopShellOpener final : public ShellOpener {
public:
    explicit DesktopShellOpener(ProcessLauncher& launcher) : launcher_(launcher) {}

    bool OpenFolder(const std::string& folder) override { return Open(folder); }

    // The desktop decides the browser window's size; a maximised request has no
    // portable counterpart and is dropped.
    bool OpenUrl(const std::string& url, bool /*maximised*/) override { return Open(url); }

private:
    bool Open(const std::string& target) {
        if (target.empty()) return false;
        return launcher_.LaunchDetached({"xdg-open", target}).ok();
    }

    ProcessLauncher& launcher_;
};

}  // namespace

std::unique_ptr<ShellOpener> MakeDesktopShellOpener(ProcessLauncher& launcher) {
    return std::make_unique<DesktopShellOpener>(launcher);
}

}  // namespace nimbo::platform
