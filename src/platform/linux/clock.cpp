// Local wall-clock time and sleeping.
#include <ctime>
#include <thread>

#include "platform/clock.h"

namespace nimbo::platform {
namespace {

class SystemClock final : public Clock {
public:
    LocalTime Now() override {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    }
    void Sleep(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }
};

}  // namespace

std::unique_ptr<Clock> MakeSystemClock() { return std::make_unique<SystemClock>(); }

}  // namespace nimbo::platform
