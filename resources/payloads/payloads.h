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
// The embedded bytes of a resource id; empty when the build left it out.
std::span<const unsigned char> FindPayloadBytes(int resourceId);

}  // namespace nimbo::payloads
