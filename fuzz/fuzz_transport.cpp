// The adb transport as the simulated phone reads it from the host server:
// 24-byte packet headers, payloads, the handshake and streams opening,
// taking data and closing. The input is what the host sends, followed by the
// end of the connection.
//
// The phone logs every event on stderr; run this target with
// -close_fd_mask=2 to keep the fuzzer's own report readable.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

#include "connection.h"
#include "fuzz_check.h"
#include "stream.h"

namespace {

// Takes every stream, reads what the host writes into it until the stream
// ends, and answers once, like a shell service would.
class DrainingServices final : public nimbo::phonesim::ServiceHost {
public:
    std::string Banner() override { return "device::ro.product.name=fuzz;features=cmd,shell_v2"; }
    void Serve(const std::string& service, nimbo::phonesim::Stream& stream) override {
        if (service.empty()) {
            stream.Refuse();
            return;
        }
        stream.Accept();
        char buffer[512];
        size_t total = 0;
        while (size_t n = stream.Read(buffer, sizeof buffer)) total += n;
        (void)stream.Write("read " + std::to_string(total) + " bytes\n");
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int fds[2];
    NIMBO_FUZZ_CHECK(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0);
    const int hostEnd = fds[0];
    // The host's bytes go in from a thread of their own, and the phone's
    // answers are read away there too, so neither side can fill the pair's
    // buffers and stall the other.
    std::thread host([hostEnd, data, size] {
        size_t sent = 0;
        while (sent < size) {
            ssize_t n = ::send(hostEnd, data + sent, size - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
        ::shutdown(hostEnd, SHUT_WR);
        char sink[4096];
        while (::recv(hostEnd, sink, sizeof sink, 0) > 0) {
        }
    });
    {
        DrainingServices services;
        nimbo::phonesim::Connection connection(fds[1], 1, services);
        connection.Run();
    }  // closes the phone's end, which ends the host thread's reading
    host.join();
    ::close(hostEnd);
    return 0;
}
