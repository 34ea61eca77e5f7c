// The output of the package listing command, straight into the parser whose
// rows the export later turns into adb pull commands.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "packages/package_list_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view output(reinterpret_cast<const char*>(data), size);
    for (const nimbo::PackageRow& row : nimbo::ParsePackageList(output)) {
        NIMBO_FUZZ_CHECK(!row.name.empty());
        NIMBO_FUZZ_CHECK(row.sourcePath == "/data/app/" + row.name);
        NIMBO_FUZZ_CHECK(row.name.find_first_of("\r\n") == std::string::npos);
        NIMBO_FUZZ_CHECK(row.packageName.find_first_of("/\r\n") == std::string::npos);
        // The copy's name is a plain file name inside the export folder: it
        // never names a folder above it nor the folder itself.
        const std::string& target = row.targetFileName;
        for (size_t start = 0; start <= row.name.size();) {
            const size_t slash = std::min(row.name.find('/', start), row.name.size());
            const std::string step = row.name.substr(start, slash - start);
            NIMBO_FUZZ_CHECK(step != "." && step != "..");
            start = slash + 1;
        }
        NIMBO_FUZZ_CHECK(target.find('/') == std::string::npos);
        NIMBO_FUZZ_CHECK(target != "." && target != "..");
    }
    return 0;
}
