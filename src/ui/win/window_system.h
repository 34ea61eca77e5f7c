#pragma once
// The Win32 window system as the program's entry point starts it: common
// controls, the window classes of the kit, the window thread.
//
//   int WINAPI wWinMain(...) {
//       ui::win::WindowSystem windows(instance);
//       return InstallerApp().InitInstance();
//   }
#include <windows.h>

namespace nimbo::ui::win {

class WindowSystem {
public:
    explicit WindowSystem(HINSTANCE instance);
    ~WindowSystem();
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;
};

// The module the windows belong to.
HINSTANCE Instance();
// Marks the calling thread as the window thread (true) or none (false).
void MarkWindowThread(bool running);

}  // namespace nimbo::ui::win
