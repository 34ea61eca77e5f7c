#pragma once
// What the listing and export workers see of the window: its two status
// lines and the package list. The workers run on threads of their own and may
// outlive the window, so an implementation must be callable from any thread,
// the window's own included, and must stay safe once the window is gone: then
// the Show calls do nothing and OnWindowThread runs nothing.
#include <functional>
#include <string>

#include "packages/package_rows.h"

namespace nimbo {

class PackagesView {
public:
    virtual ~PackagesView() = default;
    // Replaces the text of the operation status line (listing and export).
    virtual void ShowOperationStatus(const std::string& text) = 0;
    // Replaces the text of the install status line (an export that lost its
    // folder reports there).
    virtual void ShowInstallStatus(const std::string& text) = 0;
    // Runs fn with the package list on the window's thread and waits until it
    // has run; on that thread it runs at once. fn may call the Show functions.
    // False, without running fn, once the window is gone.
    virtual bool OnWindowThread(const std::function<void(PackageRows&)>& fn) = 0;
};

}  // namespace nimbo
