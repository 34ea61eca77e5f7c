// Pieces of `adb install` output as the status line judges them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "install/classify_install_output.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view piece(reinterpret_cast<const char*>(data), size);
    const auto message = nimbo::ClassifyInstallOutput(piece);
    if (message) {
        // Every verdict is one of ours: it names success or failure in Chinese,
        // never an empty line.
        NIMBO_FUZZ_CHECK(!message->empty());
        NIMBO_FUZZ_CHECK(message->starts_with("安装") || message->starts_with("Nimbo"));
    }
    // Judging is pure: the same piece gives the same verdict.
    NIMBO_FUZZ_CHECK(nimbo::ClassifyInstallOutput(piece) == message);
    return 0;
}
