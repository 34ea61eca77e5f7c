#pragma once
// ui::Timer on a thread timer of the window thread (SetTimer without a
// window): its ticks arrive through the message loop, like the windows' own.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "ui/timer.h"

namespace nimbo::ui::win {

class WinTimer final : public Timer {
public:
    WinTimer(std::chrono::milliseconds interval, std::function<void()> tick);
    ~WinTimer() override;
    void Start() override;
    void Stop() override;
    bool IsActive() const override { return id_ != 0; }
    void SetInterval(std::chrono::milliseconds interval) override;
    void SetName(const char* name) override { name_ = name ? name : ""; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    std::chrono::milliseconds interval_;
    std::function<void()> tick_;
    UINT_PTR id_ = 0;
    std::string name_;
};

}  // namespace nimbo::ui::win
