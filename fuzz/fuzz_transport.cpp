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
    // The whole input and every answer fit in the pair's buffers (inputs stay
    // under -max_len=16384, and each packet draws at most one short answer),
    // so the host's bytes go in up front and no thread has to read the
    // answers away.
    size_t sent = 0;
    while (sent < size) {
        const ssize_t n = ::send(hostEnd, data + sent, size - sent, MSG_NOSIGNAL);
        NIMBO_FUZZ_CHECK(n > 0);
        sent += static_cast<size_t>(n);
    }
    ::shutdown(hostEnd, SHUT_WR);
    {
        DrainingServices services;
        nimbo::phonesim::Connection connection(fds[1], 1, services);
        connection.Run();
    }
    ::close(hostEnd);
    return 0;
}
