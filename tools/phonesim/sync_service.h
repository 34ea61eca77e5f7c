#pragma once
// The file transfer service behind adb push, pull and ls.
#include "device_fs.h"
#include "phone_settings.h"

namespace nimbo::phonesim {

class Stream;

// The control is read again at every file: a test may slow down a pull under way.
void ServeSync(Stream& stream, const DeviceFs& fs, const PhoneControl& control);

}  // namespace nimbo::phonesim
