#pragma once
// What the install workers see of the window: the APK path field and the
// install status line. The workers run on threads of their own and may
// outlive the window, so an implementation must be callable from any thread
// (a call off the window's thread waits until the window has carried it out)
// and must stay safe once the window is gone: then ApkPath() gives "" and
// ShowInstallStatus() does nothing.
#include <string>

namespace nimbo {

class InstallView {
public:
    virtual ~InstallView() = default;
    // The path field as it reads now.
    virtual std::string ApkPath() = 0;
    // Replaces the text of the install status line.
    virtual void ShowInstallStatus(const std::string& text) = 0;
};

}  // namespace nimbo
