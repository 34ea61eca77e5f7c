// The host server's device list reply, straight into the parser the device
// list refresh uses.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "adblink/device_list.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const auto rows = nimbo::ParseDeviceListReply(reply);
    for (size_t i = 0; i < rows.size(); ++i) {
        const nimbo::DeviceRow& row = rows[i];
        // Rows are numbered 1, 2, ... with no gaps, whatever lines were skipped.
        NIMBO_FUZZ_CHECK(row.numberText == std::to_string(i + 1));
        NIMBO_FUZZ_CHECK(row.kindImage >= 0 && row.kindImage <= 2);
        NIMBO_FUZZ_CHECK(row.serial.find('\n') == std::string::npos);
        NIMBO_FUZZ_CHECK(row.serial.find('\t') == std::string::npos);
        NIMBO_FUZZ_CHECK(row.kindText ==
                         nimbo::DeviceKindText(static_cast<nimbo::DeviceKind>(row.kindImage)));
        NIMBO_FUZZ_CHECK(reply.find(row.serial) != std::string_view::npos);
    }
    return 0;
}
