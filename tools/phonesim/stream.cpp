#include "stream.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "adb_packet.h"
#include "connection.h"

namespace nimbo::phonesim {
namespace {

// The host is held back (no acknowledgement) while this much is unread, so
// a large push cannot fill the phone's memory faster than it is written out.
constexpr size_t kInboundLimit = 1024 * 1024;
constexpr auto kLastAckWait = std::chrono::seconds(10);

}  // namespace

void Stream::Accept() {
    connection_.Send({kCmdOkay, localId_, remoteId_, {}});
}

void Stream::Refuse() {
    {
        std::lock_guard lock(mutex_);
        localClosed_ = true;
    }
    connection_.Send({kCmdClse, 0, remoteId_, {}});
}

size_t Stream::Read(char* buffer, size_t max) {
    bool sendOkay = false;
    size_t n = 0;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(
            lock, [&] { return inboundOffset_ < inbound_.size() || peerClosed_ || localClosed_; });
        n = std::min(max, inbound_.size() - inboundOffset_);
        std::memcpy(buffer, inbound_.data() + inboundOffset_, n);
        inboundOffset_ += n;
        if (inboundOffset_ == inbound_.size()) {
            inbound_.clear();
            inboundOffset_ = 0;
        }
        if (owesOkay_ && inbound_.size() - inboundOffset_ <= kInboundLimit && !peerClosed_) {
            owesOkay_ = false;
            sendOkay = true;
        }
    }
    if (sendOkay) SendOkay();
    return n;
}

bool Stream::ReadExact(char* buffer, size_t n) {
    size_t got = 0;
    while (got < n) {
        size_t r = Read(buffer + got, n - got);
        if (r == 0) return false;
        got += r;
    }
    return true;
}

bool Stream::Write(std::string_view data) {
    const size_t piece = connection_.maxPayload();
    while (!data.empty()) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return !awaitingAck_ || peerClosed_ || localClosed_; });
            if (peerClosed_ || localClosed_) return false;
            awaitingAck_ = true;
        }
        size_t n = std::min(piece, data.size());
        if (!connection_.Send({kCmdWrte, localId_, remoteId_, std::string(data.substr(0, n))})) {
            return false;
        }
        data.remove_prefix(n);
    }
    return true;
}

void Stream::Close() {
    {
        std::unique_lock lock(mutex_);
        if (localClosed_) return;
        // Let the last write land before the close overtakes it; a host that
        // never acknowledges is not waited for forever.
        changed_.wait_for(lock, kLastAckWait, [&] { return !awaitingAck_ || peerClosed_; });
        localClosed_ = true;
        changed_.notify_all();
        if (peerClosed_) return;
    }
    connection_.Send({kCmdClse, localId_, remoteId_, {}});
}

bool Stream::StayOpenFor(std::chrono::milliseconds time) {
    std::unique_lock lock(mutex_);
    // Data from the host wakes the wait without ending it.
    return !changed_.wait_for(lock, time, [&] { return peerClosed_ || localClosed_; });
}

void Stream::OnData(std::string data) {
    bool sendOkay = false;
    {
        std::lock_guard lock(mutex_);
        if (peerClosed_) return;
        inbound_ += data;
        if (inbound_.size() - inboundOffset_ <= kInboundLimit) {
            sendOkay = true;
        } else {
            owesOkay_ = true;
        }
        changed_.notify_all();
    }
    if (sendOkay) SendOkay();
}

void Stream::OnAcknowledged() {
    std::lock_guard lock(mutex_);
    awaitingAck_ = false;
    changed_.notify_all();
}

void Stream::OnPeerClosed() {
    std::lock_guard lock(mutex_);
    peerClosed_ = true;
    changed_.notify_all();
}

bool Stream::finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

void Stream::MarkFinished() {
    std::lock_guard lock(mutex_);
    finished_ = true;
}

void Stream::SendOkay() {
    connection_.Send({kCmdOkay, localId_, remoteId_, {}});
}

}  // namespace nimbo::phonesim
