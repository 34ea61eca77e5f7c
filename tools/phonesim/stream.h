#pragma once
// One adb stream as the phone's services see it: a byte pipe in each
// direction with the transport's one-write-in-flight acknowledgement.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace nimbo::phonesim {

class Connection;

class Stream {
public:
    Stream(Connection& connection, uint32_t localId, uint32_t remoteId)
        : connection_(connection), localId_(localId), remoteId_(remoteId) {}
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    uint32_t localId() const { return localId_; }

    // Tells the host the service has started, or that there is no such service.
    void Accept();
    void Refuse();

    // Blocks until bytes arrive; returns 0 once the host has closed the stream
    // and everything it sent has been read.
    size_t Read(char* buffer, size_t max);
    // False when the stream closed before n bytes arrived.
    bool ReadExact(char* buffer, size_t n);
    // Sends in pieces no larger than the connection allows, each acknowledged
    // before the next; false when the stream closed first.
    bool Write(std::string_view data);
    // Sends the close unless the host closed first. Idempotent.
    void Close();
    // Lets time pass before the service answers. True when it has passed with
    // the stream still open; false as soon as the host closes the stream.
    bool StayOpenFor(std::chrono::milliseconds time);

    // Called by the connection's reader.
    void OnData(std::string data);
    void OnAcknowledged();
    void OnPeerClosed();

    bool finished() const;
    void MarkFinished();

private:
    void SendOkay();

    Connection& connection_;
    const uint32_t localId_;
    const uint32_t remoteId_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string inbound_;
    size_t inboundOffset_ = 0;
    bool owesOkay_ = false;
    bool awaitingAck_ = false;
    bool peerClosed_ = false;
    bool localClosed_ = false;
    bool finished_ = false;
};

}  // namespace nimbo::phonesim
