// The window system of the Windows build: common controls (version 6 look
// where the system has it), the kit's window classes, and the thread that
// runs the windows.
#include "ui/win/window_system.h"

#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "platform/win/wide.h"
#include "ui/win/hwnd_control.h"
#include "ui/win/win_classes.h"

namespace nimbo::ui::win {
namespace {

HINSTANCE instance = nullptr;

}  // namespace

HINSTANCE Instance() {
    return instance ? instance : GetModuleHandleW(nullptr);
}

WindowSystem::WindowSystem(HINSTANCE inst) {
    instance = inst;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES |
                                             ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    // The folder chooser is a shell object: COM on the window thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    RegisterKitClasses();
    MarkWindowThread(true);
}

WindowSystem::~WindowSystem() {
    MarkWindowThread(false);
    CoUninitialize();
}

Control* ControlOf(HWND hwnd) {
    return static_cast<Control*>(GetPropW(hwnd, kControlProperty));
}

std::string WindowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return platform::win::Narrow(text);
}

}  // namespace nimbo::ui::win
