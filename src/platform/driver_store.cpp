// The driver store of a platform that has one, around its store call; a
// Windows backend hands in SetupCopyOEMInf (path source, copy if newer).
#include "platform/driver_store.h"

#include <cstdio>

namespace nimbo::platform {
namespace {

class OemInfDriverStore final : public DriverStore {
public:
    explicit OemInfDriverStore(OemInfCopier copy) : copy_(std::move(copy)) {}

    void InstallPackage(const DriverPackage& package, Dialogs& dialogs,
                        const std::string& appName) override {
        // The platform's own unsigned-driver warning follows; the user must
        // answer it with Yes, so say so first. The answer here changes nothing.
        dialogs.MessageBox(kUnsignedDriverNotice, kUnsignedDriverNoticeCaption);
        // Without a call the store answers as an unsupported function would (1).
        const std::uint32_t error = copy_ ? copy_(package.setupInfo.string()) : 1u;
        if (error == 0) {
            dialogs.MessageBox(kDriverInstalledMessage, appName);
        } else {
            dialogs.MessageBox(DriverStoreErrorText(error), appName);
        }
    }

private:
    OemInfCopier copy_;
};

}  // namespace

std::string DriverStoreErrorText(std::uint32_t lastError) {
    char text[32];
    std::snprintf(text, sizeof text, "错误代码 %d", static_cast<std::int32_t>(lastError));
    return text;
}

std::unique_ptr<DriverStore> MakeOemInfDriverStore(OemInfCopier copy) {
    return std::make_unique<OemInfDriverStore>(std::move(copy));
}

}  // namespace nimbo::platform
