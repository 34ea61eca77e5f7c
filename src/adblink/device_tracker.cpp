#include "adblink/device_tracker.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

#include "adblink/adb_host_connection.h"

namespace nimbo {
namespace {

using Clock = std::chrono::steady_clock;

// Waits `pause`, in short steps so that a stop ends it at once. False when
// stopped.
bool PauseUnlessStopped(std::chrono::milliseconds pause, const std::stop_token& stop) {
    const auto until = Clock::now() + pause;
    while (Clock::now() < until) {
        if (stop.stop_requested()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return !stop.stop_requested();
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

enum class Opened { Yes, No, Stopped };

// Connects, asks for the watch and reads "OKAY", reading in slices so that a
// stop is seen; the server's answer may take a moment when it is busy.
Opened OpenWatch(platform::TcpSocket& socket, const AdbEndpoint& endpoint,
                 const DeviceTrackerOptions& options, const std::stop_token& stop) {
    // A loopback server accepts or refuses at once; the bound keeps a stop
    // from waiting long behind a connect that does neither.
    const auto connectWithin = std::min(options.answerWithin, std::chrono::milliseconds(500));
    auto connected = platform::TcpSocket::Connect(
        endpoint.host, endpoint.port, platform::SocketTimeouts{connectWithin, options.pollSlice});
    if (!connected) return Opened::No;
    socket = std::move(*connected);
    const auto framed = FrameRequest(TrackDevicesRequest(), Framing::LowerHex);
    if (!framed || !socket.Send(std::span<const char>(framed->data(), framed->size()))) {
        return Opened::No;
    }
    std::string status;
    const auto until = Clock::now() + options.answerWithin;
    while (status.size() < 4) {
        if (stop.stop_requested()) return Opened::Stopped;
        std::array<char, 4> piece{};
        auto got = socket.Recv(std::span<char>(piece.data(), 4 - status.size()));
        if (got && *got == 0) return Opened::No;
        if (got) {
            status.append(piece.data(), *got);
        } else if (got.error() != platform::NetError::TimedOut || Clock::now() >= until) {
            return Opened::No;
        }
    }
    return status == "OKAY" ? Opened::Yes : Opened::No;
}

}  // namespace

std::string TrackDevicesRequest() {
    return std::string("host") + ":" + "track-devices";
}

std::vector<std::string> TakeTrackedMessages(std::string& buffer, bool* broken) {
    std::vector<std::string> messages;
    if (broken) *broken = false;
    while (buffer.size() >= 4) {
        size_t length = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexDigit(buffer[i]);
            if (digit < 0) {
                buffer.clear();
                if (broken) *broken = true;
                return messages;
            }
            length = length * 16 + static_cast<size_t>(digit);
        }
        if (buffer.size() < 4 + length) break;
        messages.push_back(buffer.substr(0, 4 + length));
        buffer.erase(0, 4 + length);
    }
    return messages;
}

TrackEnd TrackDevices(const std::function<AdbEndpoint()>& endpoint,
                      const std::function<bool(const std::vector<DeviceRow>&)>& onList,
                      std::stop_token stop, const DeviceTrackerOptions& options) {
    int failures = 0;
    while (!stop.stop_requested()) {
        platform::TcpSocket socket;
        const Opened opened = OpenWatch(socket, endpoint(), options, stop);
        if (opened == Opened::Stopped) break;
        if (opened == Opened::No) {
            if (++failures >= options.maxRetries) return TrackEnd::GaveUp;
            if (!PauseUnlessStopped(options.retryInterval, stop)) break;
            continue;
        }
        failures = 0;
        std::string buffer;
        std::array<char, 4096> piece{};
        for (;;) {
            if (stop.stop_requested()) return TrackEnd::Stopped;
            auto got = socket.Recv(std::span<char>(piece.data(), piece.size()));
            if (!got && got.error() == platform::NetError::TimedOut) continue;
            if (!got || *got == 0) break;  // the server went: watch again
            buffer.append(piece.data(), *got);
            bool broken = false;
            for (const std::string& message : TakeTrackedMessages(buffer, &broken)) {
                // The rows of a refresh: the parser reads a reply with its
                // digits and wants each line ended.
                if (!onList(ParseDeviceListReply(message + "\n"))) return TrackEnd::WindowGone;
            }
            if (broken) break;
        }
        if (!PauseUnlessStopped(options.retryInterval, stop)) break;
    }
    return TrackEnd::Stopped;
}

}  // namespace nimbo
