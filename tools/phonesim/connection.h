#pragma once
// One host connection: the handshake, the stream table and the packet loop.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "adb_packet.h"

namespace nimbo::phonesim {

class Stream;

// What the connection asks of the phone: its identity and its services.
class ServiceHost {
public:
    virtual ~ServiceHost() = default;
    // The device's reply to the host's connect, e.g. "device::...;features=cmd".
    virtual std::string Banner() = 0;
    // Runs one service on its own thread; it must Accept or Refuse the stream first.
    virtual void Serve(const std::string& service, Stream& stream) = 0;
};

class Connection {
public:
    Connection(int fd, int id, ServiceHost& host);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Reads packets until the host goes away or breaks the protocol.
    void Run();
    // Thread-safe; false once the socket is unusable.
    bool Send(const Packet& packet);
    size_t maxPayload() const { return maxPayload_.load(); }

private:
    bool ReadPacket(Packet* packet, std::string* problem);
    bool Handle(Packet packet, std::string* problem);
    void OpenStream(uint32_t remoteId, std::string service);
    std::shared_ptr<Stream> Find(uint32_t localId);
    void ReapFinished();
    void CloseAllStreams();

    int fd_;
    const int id_;
    ServiceHost& host_;
    std::mutex sendMutex_;
    bool sendBroken_ = false;
    std::atomic<size_t> maxPayload_{4096};
    std::atomic<uint32_t> version_{kVersionMin};
    bool connected_ = false;

    struct Running {
        std::shared_ptr<Stream> stream;
        std::thread thread;
    };
    std::mutex streamsMutex_;
    std::map<uint32_t, Running> streams_;
    uint32_t nextLocalId_ = 1;
};

}  // namespace nimbo::phonesim
