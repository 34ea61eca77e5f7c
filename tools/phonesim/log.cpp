#include "log.h"

#include <cstdio>
#include <mutex>

namespace nimbo::phonesim {

void Log(const std::string& line) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fprintf(stderr, "nimbo-phonesim: %s\n", line.c_str());
    std::fflush(stderr);
}

}  // namespace nimbo::phonesim
