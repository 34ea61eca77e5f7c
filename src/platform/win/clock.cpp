// Local wall-clock time (the system's own clock, in the user's time zone) and sleeping.
#include <windows.h>

#include <thread>

#include "platform/clock.h"

namespace nimbo::platform {
namespace {

class SystemClock final : public Clock {
public:
    LocalTime Now() override {
        SYSTEMTIME t{};
        GetLocalTime(&t);
        return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    }
    void Sleep(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }
};

}  // namespace

std::unique_ptr<Clock> MakeSystemClock() { return std::make_unique<SystemClock>(); }

}  // namespace nimbo::platform
