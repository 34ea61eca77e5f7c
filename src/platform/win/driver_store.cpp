// The Windows driver store: SetupCopyOEMInf copies the package's setup
// information file (and the catalog and files it names) into the store, so
// that the phone finds its driver when it is plugged in.
#include <windows.h>
#include <setupapi.h>

#include "platform/driver_store.h"
#include "platform/win/wide.h"

namespace nimbo::platform {
namespace {

std::uint32_t CopyOemInf(const std::string& setupInfo) {
    std::wstring source = win::Widen(setupInfo);
    if (SetupCopyOEMInfW(source.c_str(), nullptr, SPOST_PATH, SP_COPY_NEWER, nullptr, 0, nullptr,
                         nullptr)) {
        return 0;
    }
    return static_cast<std::uint32_t>(GetLastError());
}

}  // namespace

std::unique_ptr<DriverStore> MakeDriverStore() {
    return MakeOemInfDriverStore(&CopyOemInf);
}

}  // namespace nimbo::platform
