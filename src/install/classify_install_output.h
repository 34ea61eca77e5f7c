#pragma once
// Turns one piece of `adb install` output into the message for the install
// status line.
//
// Called once per output piece as it arrives; the caller shows the returned
// message and leaves the line alone on nullopt:
//   if (auto msg = ClassifyInstallOutput(piece)) view->ShowInstallStatus(*msg);
// Each piece is judged on its own; when a piece holds several markers the
// message of the last matching marker in the table wins.
#include <optional>
#include <string>
#include <string_view>

namespace nimbo {

// Support address named by the "internal error" message.
inline constexpr const char* kSupportEmail = "support@tarnwick.example";

// Pure: no state, safe to call from any thread. Messages are UTF-8.
std::optional<std::string> ClassifyInstallOutput(std::string_view piece);

}  // namespace nimbo
