#pragma once
// A tiny TCP server on a free loopback port for socket tests. It accepts one
// connection and plays a script against it, recording every byte it reads.
//
//   ScriptedServer server;
//   server.ReadRequest().Send("OKAY").Send("0000").Start();
//   ... point the client at server.port() ...
//   EXPECT_EQ(server.Received(), "000chost:devices");
//
// When the script ends without Close(), the server keeps reading until the
// client closes (or a guard time-out), so Received() holds everything the
// client sent. Each blocking step gives up after a guard time-out of several
// seconds, so a faulty client fails its test instead of hanging it.
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "adblink/adb_host_connection.h"

namespace nimbo::test {

// Where a client under test finds a scripted server: its port, 2 s to connect
// and `io` for each receive or send.
AdbEndpoint EndpointAt(uint16_t port, std::chrono::milliseconds io = std::chrono::seconds(5));

// 32-bit words as a device sends them: little-endian, back to back.
std::string Words(std::initializer_list<uint32_t> words);

class ScriptedServer {
public:
    ScriptedServer();
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    // Script steps, played in order once a client connects.
    ScriptedServer& Read(size_t bytes);       // read exactly this many bytes
    ScriptedServer& ReadRequest();            // read four hex digits and that many bytes
    ScriptedServer& Send(std::string bytes);  // write the bytes
    ScriptedServer& Pause(std::chrono::milliseconds duration);
    // Wait until the client closes, at most `limit`; then go on with the script.
    ScriptedServer& AwaitClientClose(std::chrono::milliseconds limit);
    ScriptedServer& Close();  // close the connection at once
    ScriptedServer& Hang();   // never answer; hold the connection until the client goes

    // Starts accepting in a thread. The port is open from construction on.
    void Start();
    uint16_t port() const { return port_; }

    // Waits for the script to end, then: every byte read from the client.
    std::string Received();
    // Whether a client connected, and whether it closed its end by itself.
    bool Connected();
    bool ClientClosed();

    // A loopback port where nothing listens (bound, then released).
    static uint16_t UnusedPort();

private:
    struct Step {
        enum Kind { kRead, kReadRequest, kSend, kPause, kAwaitClose, kClose, kHang } kind;
        size_t count = 0;
        std::string bytes;
        std::chrono::milliseconds duration{0};
    };

    void Run();
    bool ReadExactly(int fd, size_t count);
    bool WaitReadable(int fd, std::chrono::milliseconds limit);
    void Drain(int fd, std::chrono::milliseconds limit);
    void Finish();

    std::vector<Step> steps_;
    int listenFd_ = -1;
    int stopPipe_[2] = {-1, -1};
    uint16_t port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::string received_;
    bool connected_ = false;
    bool clientClosed_ = false;
};

}  // namespace nimbo::test
