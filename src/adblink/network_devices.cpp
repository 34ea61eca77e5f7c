#include "adblink/network_devices.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "adbtool/adb_commands.h"

namespace nimbo {
namespace {

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// adb's last non-empty line: the daemon's start-up lines come first.
std::string LastLine(std::string_view output) {
    std::string_view last;
    for (size_t start = 0; start <= output.size();) {
        const size_t end = std::min(output.find_first_of("\r\n", start), output.size());
        const std::string_view line = Trimmed(output.substr(start, end - start));
        if (!line.empty() && !line.starts_with("* daemon")) last = line;
        start = end + 1;
    }
    return std::string(last);
}

bool ValidPort(std::string_view port) {
    if (port.empty() || port.size() > 5) return false;
    if (!std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const int value = std::stoi(std::string(port));
    return value >= 1 && value <= 65535;
}

void Launch(WorkerRuntime& workers, const CommandRunner& runner, AdbCommand command,
            std::string (*outcome)(std::string_view), OutcomeReport report) {
    workers.Start([&runner, command = std::move(command), outcome,
                   report = std::move(report)](std::stop_token stop) {
        std::string output;
        const RunOutcome ran = runner.RunCommand(
            command, DeliveryMode::Accumulated,
            [&output](OutputChunk all) { output.assign(all.data(), all.size()); }, stop);
        if (ran == RunOutcome::Completed) report(outcome(output));
    });
}

}  // namespace

bool IsNetworkSerial(std::string_view serial) {
    const size_t colon = serial.rfind(':');
    return colon != std::string_view::npos && colon > 0 && ValidPort(serial.substr(colon + 1));
}

std::string NetworkAddress(std::string_view typed) {
    const std::string_view address = Trimmed(typed);
    if (address.empty() || address.starts_with('-') || address.size() > 255) return {};
    for (char c : address) {
        if (std::isspace(static_cast<unsigned char>(c)) ||
            std::iscntrl(static_cast<unsigned char>(c))) {
            return {};
        }
    }
    return IsNetworkSerial(address) ? std::string(address) : std::string();
}

std::string ConnectOutcomeText(std::string_view output) {
    const std::string line = LastLine(output);
    for (std::string_view done : {"connected to ", "already connected to "}) {
        if (line.starts_with(done)) return kConnectedText + line.substr(done.size());
    }
    return kConnectFailedText + (line.empty() ? std::string("adb没有回答") : line);
}

std::string DisconnectOutcomeText(std::string_view output) {
    const std::string line = LastLine(output);
    constexpr std::string_view kDone = "disconnected ";
    if (line.starts_with(kDone)) return kDisconnectedText + line.substr(kDone.size());
    return kDisconnectFailedText + (line.empty() ? std::string("adb没有回答") : line);
}

void LaunchConnectWorker(WorkerRuntime& workers, const CommandRunner& runner, std::string address,
                         OutcomeReport report) {
    Launch(workers, runner, AdbConnect(address), &ConnectOutcomeText, std::move(report));
}

void LaunchDisconnectWorker(WorkerRuntime& workers, const CommandRunner& runner, std::string serial,
                            OutcomeReport report) {
    Launch(workers, runner, AdbDisconnect(serial), &DisconnectOutcomeText, std::move(report));
}

}  // namespace nimbo
