#pragma once
// The USB driver package: written into the driver folder on request, then
// handed to the platform's driver store (on Linux: the udev rule notice).
#include <string>

#include "app/payloads.h"
#include "platform/driver_store.h"
#include "platform/paths.h"

namespace nimbo {

// Our own resource beside the numbered payloads (see payloads.cmake): the
// udev rule that lets the logged-in user open Android phones' USB devices.
inline constexpr int kUdevRulesResourceId = 161;
inline constexpr const char* kUdevRulesFileName = "51-android.rules";
inline constexpr const char* kSetupInfoFileName = "android_winusb.inf";

// Creates the package folder, writes payloads 4 and 5, creates i386, writes
// payloads 6, 7 and 8, then the udev rule file. Every file is rewritten from
// scratch; a folder or file that cannot be made does not stop the rest, and
// is listed in the result.
platform::DriverPackage WriteUsbDriverPackage(
    const platform::Paths& paths, PayloadBytesLookup lookup = &payloads::FindPayloadBytes);

// The whole button: writes the package, then lets the store install it and
// tell the user (message boxes captioned appName).
void InstallUsbDriverPackage(const platform::Paths& paths, platform::DriverStore& store,
                             platform::Dialogs& dialogs, const std::string& appName,
                             PayloadBytesLookup lookup = &payloads::FindPayloadBytes);

}  // namespace nimbo
