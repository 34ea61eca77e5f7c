// Locations the tests share, on Windows: the same as tests/support/test_paths.cpp,
// with a scratch folder under %TEMP% named from the process id and a counter.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "support/test_paths.h"

namespace nimbo::test {

std::filesystem::path SourceDir() {
    const char* v = std::getenv("NIMBO_SOURCE_DIR");
    return v ? v : ".";
}

std::filesystem::path BinaryDir() {
    const char* v = std::getenv("NIMBO_BINARY_DIR");
    return v ? v : ".";
}

TempDir::TempDir() {
    static std::atomic<unsigned> serial{0};
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / (L"nimbo-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(serial++));
        std::error_code ec;
        if (std::filesystem::create_directory(path_, ec)) return;
        if (ec) return;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace nimbo::test
