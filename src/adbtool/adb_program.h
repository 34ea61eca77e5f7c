#pragma once
// Which adb the program runs, decided by what the build put into it.
//
// The build tree's program carries Debian's adb as payload 1, writes it into
// the system directory at every start and runs that copy. A program built
// without it (-DNIMBO_SYSTEM_ADB=ON, as scripts/package builds the Debian
// package) writes none and runs the system's adb: the package depends on
// Debian's adb, so Nimbo and every other tool on the machine run one adb
// version, and no two versions kill each other's server on port 5037.
#include <filesystem>

#include "adbtool/payloads.h"
#include "platform/paths.h"

namespace nimbo {

// True when the program carries an adb of its own to write out.
bool CarriesAdb(PayloadBytesLookup lookup = &payloads::FindPayloadBytes);

// The folder the process launcher searches before PATH for bare program names:
// the system directory for a program that carries adb; otherwise the system
// adb's folder, so that a copy an earlier build-tree run left in the system
// directory is never the one run.
std::filesystem::path ProgramSearchDir(const platform::Paths& paths,
                                       PayloadBytesLookup lookup = &payloads::FindPayloadBytes);

}  // namespace nimbo
