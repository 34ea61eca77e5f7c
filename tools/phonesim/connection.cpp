#include "connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "log.h"
#include "stream.h"

namespace nimbo::phonesim {
namespace {

bool ReadFully(int fd, char* buffer, size_t n) {
    size_t got = 0;
    while (got < n) {
        ssize_t r = ::recv(fd, buffer + got, n - got, 0);
        if (r == 0) return false;
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        got += static_cast<size_t>(r);
    }
    return true;
}

// What the host may send us in one packet; larger would be a broken peer.
constexpr uint32_t kLargestAccepted = 1024 * 1024;

}  // namespace

Connection::Connection(int fd, int id, ServiceHost& host) : fd_(fd), id_(id), host_(host) {}

Connection::~Connection() {
    CloseAllStreams();
    ::close(fd_);
}

void Connection::Run() {
    Log("connection " + std::to_string(id_) + ": host connected");
    for (;;) {
        Packet packet;
        std::string problem;
        if (!ReadPacket(&packet, &problem) || !Handle(std::move(packet), &problem)) {
            if (problem.empty()) {
                Log("connection " + std::to_string(id_) + ": host closed the connection");
            } else {
                Log("connection " + std::to_string(id_) + ": " + problem +
                    "; closing this connection");
            }
            break;
        }
    }
    ::shutdown(fd_, SHUT_RDWR);
    CloseAllStreams();
}

bool Connection::ReadPacket(Packet* packet, std::string* problem) {
    std::array<unsigned char, kHeaderSize> raw{};
    if (!ReadFully(fd_, reinterpret_cast<char*>(raw.data()), raw.size())) return false;
    PacketHeader h = DecodeHeader(raw);
    *problem = CheckHeader(h, kLargestAccepted);
    if (!problem->empty()) return false;
    packet->command = h.command;
    packet->arg0 = h.arg0;
    packet->arg1 = h.arg1;
    packet->payload.resize(h.length);
    if (!ReadFully(fd_, packet->payload.data(), h.length)) {
        *problem = "connection ended inside a " + CommandName(h.command) + " payload";
        return false;
    }
    bool checksummed = h.command == kCmdCnxn || version_.load() < kVersionSkipChecksum;
    if (checksummed && h.checksum != PayloadChecksum(packet->payload) &&
        !(h.command == kCmdCnxn && h.checksum == 0)) {
        *problem = "payload checksum mismatch in " + CommandName(h.command);
        return false;
    }
    return true;
}

bool Connection::Handle(Packet packet, std::string* problem) {
    if (packet.command == kCmdCnxn) {
        // A second handshake means the host starts over: old streams are gone.
        CloseAllStreams();
        version_ = std::min(std::max(packet.arg0, kVersionMin), kVersionSkipChecksum);
        maxPayload_ = std::clamp<uint32_t>(packet.arg1, 1024, kMaxPayload);
        connected_ = true;
        Log("connection " + std::to_string(id_) + ": handshake, host version " +
            std::to_string(packet.arg0) + ", host payload limit " + std::to_string(packet.arg1));
        Packet reply{kCmdCnxn, version_.load(), kMaxPayload, host_.Banner()};
        return Send(reply);
    }
    if (!connected_) {
        *problem = CommandName(packet.command) + " before the handshake";
        return false;
    }
    switch (packet.command) {
        case kCmdOpen:
            if (packet.arg0 == 0) {
                *problem = "OPEN with a zero stream id";
                return false;
            }
            OpenStream(packet.arg0, std::move(packet.payload));
            return true;
        case kCmdWrte:
            // Data for a stream that has just ended can cross our close; drop it.
            if (auto s = Find(packet.arg1)) s->OnData(std::move(packet.payload));
            return true;
        case kCmdOkay:
            if (auto s = Find(packet.arg1)) s->OnAcknowledged();
            return true;
        case kCmdClse:
            if (auto s = Find(packet.arg1)) s->OnPeerClosed();
            return true;
        default:
            Log("connection " + std::to_string(id_) + ": ignoring " + CommandName(packet.command) +
                " (no authentication here)");
            return true;
    }
}

void Connection::OpenStream(uint32_t remoteId, std::string service) {
    while (!service.empty() && service.back() == '\0') service.pop_back();
    ReapFinished();
    std::lock_guard lock(streamsMutex_);
    uint32_t localId = nextLocalId_++;
    auto stream = std::make_shared<Stream>(*this, localId, remoteId);
    Log("connection " + std::to_string(id_) + ": stream " + std::to_string(localId) + " opens '" +
        service + "'");
    std::thread worker([this, stream, service] {
        host_.Serve(service, *stream);
        stream->Close();
        stream->MarkFinished();
    });
    streams_.emplace(localId, Running{stream, std::move(worker)});
}

std::shared_ptr<Stream> Connection::Find(uint32_t localId) {
    std::lock_guard lock(streamsMutex_);
    auto it = streams_.find(localId);
    return it == streams_.end() ? nullptr : it->second.stream;
}

void Connection::ReapFinished() {
    std::vector<std::thread> done;
    {
        std::lock_guard lock(streamsMutex_);
        for (auto it = streams_.begin(); it != streams_.end();) {
            if (it->second.stream->finished()) {
                done.push_back(std::move(it->second.thread));
                it = streams_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& t : done) t.join();
}

void Connection::CloseAllStreams() {
    std::map<uint32_t, Running> all;
    {
        std::lock_guard lock(streamsMutex_);
        all.swap(streams_);
    }
    for (auto& [id, running] : all) running.stream->OnPeerClosed();
    for (auto& [id, running] : all) running.thread.join();
}

bool Connection::Send(const Packet& packet) {
    // Checksums cost little and keep every host version happy.
    std::string bytes = EncodePacket(packet, true);
    std::lock_guard lock(sendMutex_);
    if (sendBroken_) return false;
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t r = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            sendBroken_ = true;
            ::shutdown(fd_, SHUT_RDWR);
            return false;
        }
        sent += static_cast<size_t>(r);
    }
    return true;
}

}  // namespace nimbo::phonesim
