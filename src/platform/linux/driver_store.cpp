// Linux has no driver store: the kernel drives the phone's USB interface
// itself, and adb only needs the logged-in user to be allowed to open the
// device.
#include "platform/driver_store.h"

namespace nimbo::platform {
namespace {

class NoDriverStore final : public DriverStore {
public:
    bool HasStore() const override { return false; }
    std::uint32_t Install(const std::filesystem::path&) override { return 0; }
};

}  // namespace

std::unique_ptr<DriverStore> MakeDriverStore() {
    return std::make_unique<NoDriverStore>();
}

}  // namespace nimbo::platform
