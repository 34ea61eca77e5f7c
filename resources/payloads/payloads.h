#pragma once
// The eight payloads the program carries and writes out: number, resource id,
// file name and the folder each one goes to.
#include <cstddef>
#include <span>

namespace nimbo::payloads {

enum class Folder { System, Driver, DriverI386 };

struct PayloadInfo {
    int number;
    int resourceId;
    const char* fileName;
    Folder folder;
};

// All rows, numbers 1 to 8 in order.
std::span<const PayloadInfo> PayloadTable();
// The row of a payload number; nullptr outside 1 to 8.
const PayloadInfo* FindPayload(int number);
// Files that go beside adb into the system directory without a number of
// their own: adb's WinUSB library, which a Windows build embeds together with
// adb.exe. A build that left a file out has no bytes for it.
struct CompanionFile {
    int resourceId;
    const char* fileName;
};
std::span<const CompanionFile> SystemCompanionFiles();

// The embedded bytes of a resource id; empty when the build left it out.
std::span<const unsigned char> FindPayloadBytes(int resourceId);

}  // namespace nimbo::payloads
