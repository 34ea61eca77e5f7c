#include "phone.h"

#include "framebuffer_service.h"
#include "log.h"
#include "shell_commands.h"
#include "stream.h"
#include "sync_service.h"

namespace nimbo::phonesim {
namespace {

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

}  // namespace

Phone::Phone(PhoneControl control, const std::filesystem::path& stateDir)
    : control_(std::move(control)), fs_(stateDir), packages_(fs_) {
    std::error_code ec;
    std::filesystem::create_directories(stateDir / "data" / "app", ec);
    std::filesystem::create_directories(stateDir / "data" / "local" / "tmp", ec);
    std::filesystem::create_directories(stateDir / "sdcard", ec);
}

std::string Phone::Banner() {
    PhoneSettings s = control_.Current();
    std::string banner =
        "device::ro.product.name=nimbo_phone;ro.product.model=Nimbo_Phone;"
        "ro.product.device=nimbo_phone;";
    if (s.modern) banner += "features=cmd";
    return banner;
}

void Phone::Serve(const std::string& service, Stream& stream) {
    PhoneSettings settings = control_.Current();
    if (StartsWith(service, "shell:")) {
        ServeShell(service.substr(6), stream, false, settings);
    } else if (StartsWith(service, "exec:")) {
        ServeShell(service.substr(5), stream, true, settings);
    } else if (service == "sync:") {
        ServeSync(stream, fs_, control_);
    } else if (service == "framebuffer:") {
        ServeFramebuffer(stream, settings, control_);
    } else {
        Log("refusing unknown service '" + service + "'");
        stream.Refuse();
    }
}

void Phone::ServeShell(const std::string& command, Stream& stream, bool raw,
                       const PhoneSettings& settings) {
    stream.Accept();
    ShellContext context{fs_, packages_, settings, control_, &stream};
    std::string out = RunShellCommand(command, context);
    // A terminal on the phone's side turns LF into CR LF; exec has none.
    if (settings.crlf && !raw) out = WithCrLf(out);
    stream.Write(out);
}

}  // namespace nimbo::phonesim
