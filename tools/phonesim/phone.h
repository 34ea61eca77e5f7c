#pragma once
// The phone as the host sees it: its identity and the services it offers.
#include "connection.h"
#include "device_fs.h"
#include "package_store.h"
#include "phone_settings.h"

namespace nimbo::phonesim {

class Phone : public ServiceHost {
public:
    Phone(PhoneControl control, const std::filesystem::path& stateDir);
    std::string Banner() override;
    void Serve(const std::string& service, Stream& stream) override;

private:
    void ServeShell(const std::string& command, Stream& stream, bool raw,
                    const PhoneSettings& settings);

    PhoneControl control_;
    DeviceFs fs_;
    PackageStore packages_;
};

}  // namespace nimbo::phonesim
