#include "adbtool/adb_endpoint.h"

namespace nimbo {

AdbEndpoint DefaultAdbEndpoint(platform::SocketTimeouts timeouts) {
    AdbEndpoint e;
    e.port = platform::AdbServerPort();
    e.timeouts = timeouts;
    return e;
}

}  // namespace nimbo
