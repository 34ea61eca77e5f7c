// Locations the tests share: the source tree, the build tree, a scratch folder.
#include "support/test_paths.h"

#include <cstdlib>
#include <unistd.h>

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
    std::string templ = (std::filesystem::temp_directory_path() / "nimbo-test-XXXXXX").string();
    char* made = mkdtemp(templ.data());
    path_ = made ? made : templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

}  // namespace nimbo::test
