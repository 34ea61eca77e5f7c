#pragma once
// Wall-clock time and sleeping, handed in so tests can fix both.
#include <chrono>
#include <memory>

namespace nimbo::platform {

struct LocalTime {
    int year, month, day, hour, minute, second;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

std::unique_ptr<Clock> MakeSystemClock();

}  // namespace nimbo::platform
