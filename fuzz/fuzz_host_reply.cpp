// The host server's side of a whole device list exchange: the status word
// and the reply as they come off the socket, read by the same connection
// code every host request uses.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "adblink/device_list.h"
#include "fuzz_check.h"
#include "loopback_peer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static nimbo::fuzz::LoopbackPeer peer;
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    peer.SetAnswer(answer);

    nimbo::AdbEndpoint endpoint;
    endpoint.port = peer.port();
    endpoint.timeouts = nimbo::kDeviceListTimeouts;
    const auto rows = nimbo::FetchDeviceList(endpoint);
    if (!answer.starts_with("OKAY")) {
        // Anything but "OKAY" is a refusal, never a list.
        NIMBO_FUZZ_CHECK(!rows);
        return 0;
    }
    NIMBO_FUZZ_CHECK(rows.ok());
    // One receive of at most 4096 bytes after the status: the list never
    // holds more rows than the lines that fit in it.
    NIMBO_FUZZ_CHECK(rows.value().size() <= 4096 / 2);
    return 0;
}
