#pragma once
// Listing the phone's own packages (the APKs under /data/app/) into the
// package list, and the list's check marks.
//
// The window's refresh handler writes the start text, then
//   const uint64_t listing = BeginPackageListing(state, rows);   // clears the list
//   LaunchPackageListWorker(workers, state, view, runner, listing);
// The worker runs `adb shell pm list packages -f` and fills the list on the
// UI thread, through the window's PackagesView (packages_view.h). A newer
// refresh supersedes an older one still running: the older one's rows are
// dropped, so the list never shows a listing twice.
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>

#include "adbtool/command_runner.h"
#include "adbtool/worker_runtime.h"
#include "packages/package_rows.h"
#include "packages/packages_state.h"
#include "packages/packages_view.h"

namespace nimbo {

inline constexpr const char* kListingStartText = "正在刷新已安装软件列表，请耐心等待";
inline constexpr const char* kListingDoneText = "列表完成，如果没有显示请检查和PC的连接";
// Begins the status of a listing that adb could not run on the phone, when
// adb's complaint is none of the known device faults; adb's line follows.
inline constexpr const char* kListingFailedText = "列表失败,";
// A listing that brought back nothing at all: every phone lists its system
// packages, so adb lost the phone or its server on the way (it may still end
// with exit code 0).
inline constexpr const char* kListingNoAnswerText =
    "列表中断,没有得到软件列表,请确认手机已经连接到电脑上";

// What the operation status says once the listing's output is in: the done
// text when the output holds package lines or no complaint of adb's;
// kListingNoAnswerText when it holds nothing but blanks; for a
// known device fault its reason alone, in the install status's words (the
// status line holds about twenty characters, and the reason says what
// happened); else kListingFailedText and adb's complaint.
std::string ListingStatusText(std::string_view output);

// --- UI thread only ---

// Adds one row at the top when the line names an APK under /data/app/; false
// when the line is ignored.
bool AddPackageRow(PackageRows& rows, std::string_view line);
// Adds a row for every listed APK, each at the top, so the list ends in the
// reverse order of the output; then shows ListingStatusText on the operation
// status line. Returns the number of rows added.
int FillPackageList(PackageRows& rows, PackagesView& view, std::string_view text);
// Sets or clears every check mark, last row first.
void SetAllChecks(PackageRows& rows, bool checked);
// The click notification for `row` (-1: no row): toggles the check mark only
// when that row is selected. True when it toggled.
bool ToggleCheckOnClick(PackageRows& rows, int row);
// Empties the list and starts a new listing; returns its number.
uint64_t BeginPackageListing(PackagesState& state, PackageRows& rows);

// --- worker ---

enum class ListingEnd {
    NotStarted,  // adb could not be started: no rows, the status keeps the start text
    Filled,      // the rows are in the list and the status says the listing is done
    Superseded,  // a newer listing began, or the window is gone: nothing added
    Stopped,     // the program is ending: adb was ended, nothing added or written
};

// Runs the listing and fills the list. Blocks until adb's output ends or stop
// is requested. A serial lists that phone (adb -s SERIAL).
ListingEnd PackageListWorker(const std::shared_ptr<PackagesView>& view, const CommandRunner& runner,
                             const PackagesState& state, uint64_t listing,
                             std::stop_token stop = {}, const std::string& serial = {});
// The same on a thread of `workers`; state and runner must outlive it.
void LaunchPackageListWorker(WorkerRuntime& workers, const PackagesState& state,
                             std::shared_ptr<PackagesView> view, const CommandRunner& runner,
                             uint64_t listing, std::string serial = {});

}  // namespace nimbo
