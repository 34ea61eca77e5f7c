#include "packages/pull_outcome.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/utf8_path.h"

namespace nimbo {
namespace {

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// adb 29 without a terminal ends a good pull with
//   /data/app/com.a-1.apk: 1 file pulled, 0 skipped. 9.8 MB/s (27919 bytes in 0.003s)
// and a failed one with a line beginning "adb: error:" (or "error:" when the
// server or the device is gone).
bool SaysOneFilePulled(std::string_view output) {
    return Contains(output, ": 1 file pulled");
}

bool SaysError(std::string_view output) {
    if (output.starts_with("error:") || output.starts_with("adb: error:")) return true;
    return Contains(output, "\nerror:") || Contains(output, "\nadb: error:");
}

// The byte count of "(N bytes in", if adb gave one.
std::optional<std::uint64_t> ReportedBytes(std::string_view output) {
    const size_t at = output.rfind(" bytes in ");
    if (at == std::string_view::npos) return std::nullopt;
    const size_t open = output.rfind('(', at);
    if (open == std::string_view::npos) return std::nullopt;
    std::uint64_t bytes = 0;
    const char* first = output.data() + open + 1;
    const char* last = output.data() + at;
    const auto [end, ec] = std::from_chars(first, last, bytes);
    if (ec != std::errc() || end != last) return std::nullopt;
    return bytes;
}

PullFailure FailureOf(const platform::ExitStatus& exit, std::string_view output) {
    if (exit.kind == platform::ExitStatus::Kind::Signalled &&
        exit.code == platform::FileSizeLimitSignal()) {
        return PullFailure::FolderFull;
    }
    if (Contains(output, "No space left on device") || Contains(output, "File too large") ||
        Contains(output, "Disk quota exceeded")) {
        return PullFailure::FolderFull;
    }
    const bool localFile =
        Contains(output, "cannot create '") || Contains(output, "cannot write '");
    if (localFile &&
        (Contains(output, "Permission denied") || Contains(output, "Read-only file system"))) {
        return PullFailure::FolderReadOnly;
    }
    return PullFailure::Connection;
}

PullJudgement Failed(const platform::ExitStatus& exit, std::string_view output,
                     std::string reason) {
    return {FailureOf(exit, output), std::move(reason)};
}

}  // namespace

PullJudgement JudgePull(const platform::ExitStatus& exit, std::string_view output,
                        const platform::FileIdentity& after) {
    using Kind = platform::ExitStatus::Kind;
    if (exit.kind == Kind::Signalled) {
        return Failed(exit, output, "adb was ended by signal " + std::to_string(exit.code));
    }
    if (exit.kind == Kind::Exited && exit.code != 0) {
        return Failed(exit, output, "adb ended with code " + std::to_string(exit.code));
    }
    if (SaysError(output)) return Failed(exit, output, "adb reported an error");
    if (!SaysOneFilePulled(output)) return Failed(exit, output, "adb did not report the file");
    if (!after.exists || !after.regular) return Failed(exit, output, "no file where adb wrote");
    if (const auto bytes = ReportedBytes(output); bytes && *bytes != after.size) {
        return Failed(exit, output,
                      "adb reported " + std::to_string(*bytes) + " bytes, the file holds " +
                          std::to_string(after.size));
    }
    return {};
}

bool DiscardFailedPull(const std::string& target, const platform::FileIdentity& before) {
    const platform::FileIdentity now = platform::IdentifyFile(target);
    if (!now.exists) return true;
    // An earlier backup adb did not get to: keep it. A folder is never ours.
    if (now.directory || (before.exists && now.SameAndUnchanged(before))) return true;
    std::error_code ec;
    std::filesystem::remove(platform::PathFromUtf8(target), ec);
    return !ec;
}

}  // namespace nimbo
