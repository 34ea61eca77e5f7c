#pragma once
// The few commands of the phone's shell that adb and Nimbo use.
#include <string>

#include "device_fs.h"
#include "package_store.h"
#include "phone_settings.h"

namespace nimbo::phonesim {

class Stream;

struct ShellContext {
    const DeviceFs& fs;
    PackageStore& packages;
    const PhoneSettings& settings;
    // Read again by held answers, which may be released while they wait.
    const PhoneControl& control;
    // The request's stream: a streamed install reads the APK from it, a held
    // answer waits on it. Null when there is none.
    Stream* stream = nullptr;
};

// Runs one command line ("a; b" runs a, then b) and returns everything it
// prints, with LF endings.
std::string RunShellCommand(const std::string& commandLine, ShellContext& context);
// One command of such a line, with its redirections.
std::string RunOneCommand(const std::string& commandLine, ShellContext& context);

}  // namespace nimbo::phonesim
