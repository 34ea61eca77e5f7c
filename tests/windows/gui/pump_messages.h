#pragma once
// Runs the window thread's messages until pred holds or the wait ends.
#include <windows.h>

#include <chrono>
#include <functional>

namespace nimbo::test {

inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 60000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (pred()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(5);
    }
}

}  // namespace nimbo::test
