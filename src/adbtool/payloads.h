#pragma once
// Writing the embedded payloads (adb, its companion files, the driver package)
// to their fixed places.
#include <filesystem>
#include <span>

#include "payloads/payloads.h"
#include "platform/paths.h"

namespace nimbo {

// Where the embedded bytes of a resource id come from; empty when missing.
using PayloadBytesLookup = std::span<const unsigned char> (*)(int resourceId);

// The folder of the payload's row followed by its file name.
std::filesystem::path PayloadPath(const payloads::PayloadInfo& row, const platform::Paths& paths);

// Replaces the payload's file with its exact bytes. Returns 1 when the whole
// payload was written, 0 for a number outside 1 to 8, a missing payload, a file
// that cannot be created (missing folder, no rights, a running program holding
// it) or a failed write. Creates no folders.
int ExtractPayload(int number, const platform::Paths& paths,
                   PayloadBytesLookup lookup = &payloads::FindPayloadBytes);

// Writes every system companion file the build embedded (SystemCompanionFiles)
// into the system directory, with the same care as ExtractPayload; returns how
// many were written. None on a build that embeds none.
int ExtractSystemCompanions(const platform::Paths& paths,
                            PayloadBytesLookup lookup = &payloads::FindPayloadBytes);

}  // namespace nimbo
