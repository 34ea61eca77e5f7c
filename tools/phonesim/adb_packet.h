#pragma once
// The framing of the adb transport: a 24-byte little-endian header and a payload.
#include <array>
#include <cstdint>
#include <string>

namespace nimbo::phonesim {

constexpr uint32_t kCmdCnxn = 0x4e584e43;  // "CNXN"
constexpr uint32_t kCmdOpen = 0x4e45504f;  // "OPEN"
constexpr uint32_t kCmdOkay = 0x59414b4f;  // "OKAY"
constexpr uint32_t kCmdClse = 0x45534c43;  // "CLSE"
constexpr uint32_t kCmdWrte = 0x45545257;  // "WRTE"
constexpr uint32_t kCmdAuth = 0x48545541;  // "AUTH"

constexpr uint32_t kVersionMin = 0x01000000;
// From this version on both sides may leave the payload checksum at zero.
constexpr uint32_t kVersionSkipChecksum = 0x01000001;
constexpr uint32_t kMaxPayload = 1024 * 1024;
constexpr size_t kHeaderSize = 24;

struct Packet {
    uint32_t command = 0;
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    std::string payload;
};

struct PacketHeader {
    uint32_t command = 0;
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    uint32_t length = 0;
    uint32_t checksum = 0;
    uint32_t magic = 0;
};

// Sum of the payload's bytes, as the older peers expect it.
uint32_t PayloadChecksum(const std::string& payload);
std::string CommandName(uint32_t command);
bool IsKnownCommand(uint32_t command);

PacketHeader DecodeHeader(const std::array<unsigned char, kHeaderSize>& bytes);
// Header and payload, ready for the socket.
std::string EncodePacket(const Packet& packet, bool withChecksum);

// Why a header cannot be accepted, or empty when it can. The payload is
// checked separately once it has been read.
std::string CheckHeader(const PacketHeader& header, uint32_t maxPayload);

}  // namespace nimbo::phonesim
