#include "adb_packet.h"

#include <cstdio>

namespace nimbo::phonesim {
namespace {

uint32_t ReadLe32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void AppendLe32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

}  // namespace

uint32_t PayloadChecksum(const std::string& payload) {
    uint32_t sum = 0;
    for (unsigned char c : payload) sum += c;
    return sum;
}

std::string CommandName(uint32_t command) {
    std::string name;
    for (int i = 0; i < 4; ++i) {
        unsigned char c = (command >> (8 * i)) & 0xff;
        if (c >= 0x20 && c < 0x7f) {
            name.push_back(static_cast<char>(c));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            name += hex;
        }
    }
    return name;
}

bool IsKnownCommand(uint32_t command) {
    switch (command) {
        case kCmdCnxn:
        case kCmdOpen:
        case kCmdOkay:
        case kCmdClse:
        case kCmdWrte:
        case kCmdAuth:
            return true;
        default:
            return false;
    }
}

PacketHeader DecodeHeader(const std::array<unsigned char, kHeaderSize>& bytes) {
    PacketHeader h;
    h.command = ReadLe32(&bytes[0]);
    h.arg0 = ReadLe32(&bytes[4]);
    h.arg1 = ReadLe32(&bytes[8]);
    h.length = ReadLe32(&bytes[12]);
    h.checksum = ReadLe32(&bytes[16]);
    h.magic = ReadLe32(&bytes[20]);
    return h;
}

std::string EncodePacket(const Packet& packet, bool withChecksum) {
    std::string out;
    out.reserve(kHeaderSize + packet.payload.size());
    AppendLe32(out, packet.command);
    AppendLe32(out, packet.arg0);
    AppendLe32(out, packet.arg1);
    AppendLe32(out, static_cast<uint32_t>(packet.payload.size()));
    AppendLe32(out, withChecksum ? PayloadChecksum(packet.payload) : 0);
    AppendLe32(out, packet.command ^ 0xffffffffu);
    out += packet.payload;
    return out;
}

std::string CheckHeader(const PacketHeader& header, uint32_t maxPayload) {
    if (header.magic != (header.command ^ 0xffffffffu)) {
        return "bad magic for command " + CommandName(header.command);
    }
    if (!IsKnownCommand(header.command)) {
        return "unknown command " + CommandName(header.command);
    }
    if (header.length > maxPayload) {
        return "payload of " + std::to_string(header.length) + " bytes exceeds the limit of " +
               std::to_string(maxPayload);
    }
    return {};
}

}  // namespace nimbo::phonesim
