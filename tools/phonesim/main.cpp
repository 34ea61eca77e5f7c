// nimbo-phonesim: a phone that the adb server accepts as a device over TCP.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "connection.h"
#include "log.h"
#include "phone.h"
#include "phone_settings.h"

using namespace nimbo::phonesim;

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: nimbo-phonesim --port N --state DIR [options]\n"
                 "  --port N            TCP port on 127.0.0.1 (0: any free port)\n"
                 "  --state DIR         the phone's files (data/app/ holds the APKs)\n"
                 "  --control FILE      settings file read at every request\n"
                 "                      (default DIR/.phonesim-control)\n"
                 "  --modern            advertise the cmd feature (streamed installs)\n"
                 "  --layout legacy|modern   where installs put their APK\n"
                 "  --crlf              shell output with CR LF line endings\n"
                 "  --framebuffer MODE  legacy, v1, v2, split, short, refuse\n"
                 "  --size WxH          screen size (default 320x480)\n"
                 "  --install TEXT      line every install prints (natural: real outcome)\n"
                 "  --install-delay MS  hold the answer to pm install for MS milliseconds\n"
                 "  --list-delay MS     hold the answer to pm list packages\n"
                 "  --pull-delay MS     hold each file a pull asks for\n"
                 "  --frame-delay MS    hold a screenshot's pixels after its header\n"
                 "The control file holds key=value lines: install, framebuffer, size,\n"
                 "line_endings (lf|crlf), layout, modern (on|off), install_delay_ms,\n"
                 "list_delay_ms, pull_delay_ms, frame_delay_ms.\n");
}

int Listen(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int BoundPort(int fd) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}

}  // namespace

int main(int argc, char** argv) {
    int port = -1;
    std::filesystem::path state;
    std::filesystem::path control;
    PhoneSettings settings;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* what) -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "nimbo-phonesim: %s needs a value\n", what);
                std::exit(2);
            }
            return argv[++i];
        };
        std::string err;
        if (a == "--port") {
            port = std::atoi(value("--port").c_str());
        } else if (a == "--state") {
            state = value("--state");
        } else if (a == "--control") {
            control = value("--control");
        } else if (a == "--modern") {
            settings.modern = true;
        } else if (a == "--crlf") {
            settings.crlf = true;
        } else if (a == "--layout") {
            err = ApplySetting(settings, "layout", value("--layout"));
        } else if (a == "--framebuffer") {
            err = ApplySetting(settings, "framebuffer", value("--framebuffer"));
        } else if (a == "--size") {
            err = ApplySetting(settings, "size", value("--size"));
        } else if (a == "--install") {
            err = ApplySetting(settings, "install", value("--install"));
        } else if (a == "--install-delay") {
            err = ApplySetting(settings, "install_delay_ms", value("--install-delay"));
        } else if (a == "--list-delay") {
            err = ApplySetting(settings, "list_delay_ms", value("--list-delay"));
        } else if (a == "--pull-delay") {
            err = ApplySetting(settings, "pull_delay_ms", value("--pull-delay"));
        } else if (a == "--frame-delay") {
            err = ApplySetting(settings, "frame_delay_ms", value("--frame-delay"));
        } else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else {
            err = "unknown option " + a;
        }
        if (!err.empty()) {
            std::fprintf(stderr, "nimbo-phonesim: %s\n", err.c_str());
            Usage();
            return 2;
        }
    }
    if (port < 0 || port > 65535 || state.empty()) {
        Usage();
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(state, ec);
    if (!std::filesystem::is_directory(state, ec)) {
        std::fprintf(stderr, "nimbo-phonesim: cannot use %s as the state folder\n", state.c_str());
        return 1;
    }
    if (control.empty()) control = state / ".phonesim-control";
    ::signal(SIGPIPE, SIG_IGN);

    int listener = Listen(port);
    if (listener < 0) {
        std::fprintf(stderr, "nimbo-phonesim: cannot listen on 127.0.0.1:%d: %s\n", port,
                     std::strerror(errno));
        return 1;
    }
    Phone phone(PhoneControl(settings, control), state);
    // The first line on stdout tells a parent which port it got.
    std::printf("listening on 127.0.0.1:%d\n", BoundPort(listener));
    std::fflush(stdout);

    std::atomic<int> nextId{1};
    for (;;) {
        int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE) continue;
            Log(std::string("accept failed: ") + std::strerror(errno));
            return 1;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::thread([fd, id = nextId++, &phone] {
            Connection connection(fd, id, phone);
            connection.Run();
        }).detach();
    }
}
