#pragma once
// A slow phone: a service that waits before it answers, on its own stream only.
#include <string>

#include "phone_settings.h"

namespace nimbo::phonesim {

class Stream;

// Holds the answer to `what` for the delay that `delay` picks from the
// current settings (0: answers at once). Each stream has a thread of its own,
// so only this stream waits. The hold is logged when it begins, which tells a
// test the request has arrived. The delay is read again while the answer is
// held: lowering it releases answers already held. False when the host closed
// the stream meanwhile; the caller then drops the request. A null stream
// just waits.
bool HoldAnswer(Stream* stream, const PhoneControl& control, int PhoneSettings::*delay,
                const std::string& what);

}  // namespace nimbo::phonesim
