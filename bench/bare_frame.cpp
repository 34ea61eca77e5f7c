#include "bare_frame.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace nimbo::bench {

bool BareFrame(uint16_t port, const std::string& serial, std::vector<char>& block,
               size_t frameBytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    char request[64];
    const std::string transport = "host:transport:" + serial;
    std::snprintf(request, sizeof request, "%04X%s", unsigned(transport.size()), transport.c_str());
    char status[4];
    uint32_t header[4];
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
              ::send(fd, request, std::strlen(request), 0) > 0 &&
              ::recv(fd, status, 4, MSG_WAITALL) == 4 &&
              ::send(fd, "000cframebuffer:", 16, 0) == 16 &&
              ::recv(fd, status, 4, MSG_WAITALL) == 4 &&
              ::recv(fd, header, 16, MSG_WAITALL) == 16 && ::send(fd, "0", 1, 0) == 1;
    if (ok) {
        if (block.size() < header[1]) block.resize(header[1]);
        ok = ::recv(fd, block.data(), header[1], MSG_WAITALL) == ssize_t(header[1]) &&
             header[1] + 16 == frameBytes;
    }
    ::close(fd);
    return ok;
}

}  // namespace nimbo::bench
