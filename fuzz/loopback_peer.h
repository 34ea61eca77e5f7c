#pragma once
// A loopback TCP peer for fuzz targets that drive socket code: every
// connection it accepts gets the bytes set last, then the peer's end of
// writing is shut, then whatever the client sends is read until it closes.
// Since the whole answer is queued before the client reads, each run sees the
// same receives for the same input, and no run waits for a time-out.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace nimbo::fuzz {

class LoopbackPeer {
public:
    LoopbackPeer();
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    // What the next accepted connection is sent.
    void SetAnswer(std::string_view bytes);
    uint16_t port() const { return port_; }

private:
    void Serve();
    void Answer(int fd);

    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::string answer_;
    std::thread thread_;
};

}  // namespace nimbo::fuzz
