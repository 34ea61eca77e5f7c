#pragma once
// The file transfer service behind adb push, pull and ls.
#include "device_fs.h"

namespace nimbo::phonesim {

class Stream;

void ServeSync(Stream& stream, const DeviceFs& fs);

}  // namespace nimbo::phonesim
