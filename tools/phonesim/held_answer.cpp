#include "held_answer.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "log.h"
#include "stream.h"

namespace nimbo::phonesim {
namespace {

// How often a held answer looks at the control file again.
constexpr std::chrono::milliseconds kRecheck{50};

}  // namespace

bool HoldAnswer(Stream* stream, const PhoneControl& control, int PhoneSettings::*delay,
                const std::string& what) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    int ms = control.Current().*delay;
    if (ms <= 0) return true;
    const std::string id = stream ? "stream " + std::to_string(stream->localId()) + ": " : "";
    Log(id + "holding the answer to '" + what + "' for " + std::to_string(ms) + " ms");
    for (;;) {
        const auto left = start + std::chrono::milliseconds(ms) - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        const auto wait = std::min<std::chrono::milliseconds>(
            kRecheck, std::chrono::ceil<std::chrono::milliseconds>(left));
        if (!stream) {
            std::this_thread::sleep_for(wait);
        } else if (!stream->StayOpenFor(wait)) {
            Log(id + "the host closed the stream while '" + what + "' was held; dropped");
            return false;
        }
        ms = control.Current().*delay;
    }
}

}  // namespace nimbo::phonesim
