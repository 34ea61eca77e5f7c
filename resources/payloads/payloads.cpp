// The payload table and the bytes that payload_data.S embeds with .incbin.
#include "payloads/payloads.h"

#include <array>

#define NIMBO_PAYLOAD(id)                                        \
    extern "C" const unsigned char nimbo_payload_##id##_begin[]; \
    extern "C" const unsigned char nimbo_payload_##id##_end[];
#include "payload_list.inc"
#undef NIMBO_PAYLOAD

// The adb program's file name: "adb", or "adb.exe" where the build says so.
#ifndef NIMBO_ADB_FILE_NAME
#define NIMBO_ADB_FILE_NAME "adb"
#endif

namespace nimbo::payloads {
namespace {

constexpr std::array<PayloadInfo, 8> kTable{{
    {1, 138, NIMBO_ADB_FILE_NAME, Folder::System},
    {2, 139, "AdbWinApi.dll", Folder::System},
    {3, 140, "quillet.apk", Folder::System},
    {4, 141, "android_winusb.inf", Folder::Driver},
    {5, 142, "androidwinusb86.cat", Folder::Driver},
    {6, 145, "WdfCoInstaller01007.dll", Folder::DriverI386},
    {7, 159, "WinUSBCoInstaller.dll", Folder::DriverI386},
    {8, 160, "WUDFUpdate_01007.dll", Folder::DriverI386},
}};

constexpr std::array<CompanionFile, 1> kCompanions{{
    {162, "AdbWinUsbApi.dll"},
}};

struct Embedded {
    int resourceId;
    const unsigned char* begin;
    const unsigned char* end;
};

#define NIMBO_PAYLOAD(id) {id, nimbo_payload_##id##_begin, nimbo_payload_##id##_end},
const Embedded kEmbedded[] = {
#include "payload_list.inc"
    {0, nullptr, nullptr},
};
#undef NIMBO_PAYLOAD

}  // namespace

std::span<const PayloadInfo> PayloadTable() {
    return kTable;
}

std::span<const CompanionFile> SystemCompanionFiles() {
    return kCompanions;
}

const PayloadInfo* FindPayload(int number) {
    for (const auto& row : kTable) {
        if (row.number == number) return &row;
    }
    return nullptr;
}

std::span<const unsigned char> FindPayloadBytes(int resourceId) {
    for (const auto& e : kEmbedded) {
        if (e.begin && e.resourceId == resourceId) {
            return {e.begin, static_cast<size_t>(e.end - e.begin)};
        }
    }
    return {};
}

}  // namespace nimbo::payloads
