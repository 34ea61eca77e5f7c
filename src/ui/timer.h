#pragma once
// A repeating timer on the window's thread, made by a window or a control.
// Destroying it stops it.
#include <chrono>

namespace nimbo::ui {

class Timer {
public:
    virtual ~Timer() = default;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    virtual void SetInterval(std::chrono::milliseconds interval) = 0;
    // A name that tests and tools can find the timer by; no effect on behaviour.
    virtual void SetName(const char* name) = 0;
};

}  // namespace nimbo::ui
