// The driver store of a system that has one, around its store call; a
// Windows backend hands in SetupCopyOEMInf.
#include "platform/driver_store.h"

#include "platform/utf8_path.h"

namespace nimbo::platform {
namespace {

class OemInfDriverStore final : public DriverStore {
public:
    explicit OemInfDriverStore(OemInfCopier copy) : copy_(std::move(copy)) {}

    bool HasStore() const override { return true; }
    std::uint32_t Install(const std::filesystem::path& setupInfo) override {
        return copy_ ? copy_(Utf8FromPath(setupInfo)) : 1u;
    }

private:
    OemInfCopier copy_;
};

}  // namespace

std::unique_ptr<DriverStore> MakeOemInfDriverStore(OemInfCopier copy) {
    return std::make_unique<OemInfDriverStore>(std::move(copy));
}

}  // namespace nimbo::platform
