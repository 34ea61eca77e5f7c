#include "packages/package_listing.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "adbtool/adb_commands.h"
#include "adbtool/adb_device_errors.h"
#include "packages/package_list_parser.h"

namespace nimbo {
namespace {

// adb's own complaints start their line with one of these; the phone's
// output never does.
std::optional<std::string_view> AdbComplaint(std::string_view output) {
    for (size_t start = 0; start < output.size();) {
        const size_t end = std::min(output.find_first_of("\r\n", start), output.size());
        const std::string_view line = output.substr(start, end - start);
        if (line.starts_with("error: ") || line.starts_with("adb: ")) return line;
        start = end + 1;
    }
    return std::nullopt;
}

bool HasPackageLine(std::string_view output) {
    return output.starts_with("package:") || output.find("\npackage:") != std::string_view::npos;
}

}  // namespace

std::string ListingStatusText(std::string_view output) {
    // A phone that listed anything ran the listing, whatever else was printed.
    if (HasPackageLine(output)) return kListingDoneText;
    if (output.find_first_not_of(" \t\r\n") == std::string_view::npos) return kListingNoAnswerText;
    if (auto reason = AdbDeviceProblem(output)) return *reason;
    if (auto complaint = AdbComplaint(output)) {
        return std::string(kListingFailedText) + std::string(*complaint);
    }
    return kListingDoneText;
}

bool AddPackageRow(PackageRows& rows, std::string_view line) {
    PackageRow row;
    if (!ParsePackageLine(line, row)) return false;
    rows.InsertAtTop(row.name, row.packageName);
    return true;
}

int FillPackageList(PackageRows& rows, PackagesView& view, std::string_view text) {
    // The parser hands the rows back top row first, as InsertAllAtTop takes them.
    const std::vector<PackageRow> parsed = ParsePackageList(text);
    rows.InsertAllAtTop(parsed);
    view.ShowOperationStatus(ListingStatusText(text));
    return static_cast<int>(parsed.size());
}

void SetAllChecks(PackageRows& rows, bool checked) {
    for (int row = rows.Count() - 1; row >= 0; --row) rows.SetChecked(row, checked);
}

bool ToggleCheckOnClick(PackageRows& rows, int row) {
    if (row < 0 || row >= rows.Count() || !rows.IsSelected(row)) return false;
    rows.SetChecked(row, !rows.IsChecked(row));
    return true;
}

uint64_t BeginPackageListing(PackagesState& state, PackageRows& rows) {
    rows.DeleteAll();
    return state.BeginListing();
}

ListingEnd PackageListWorker(const std::shared_ptr<PackagesView>& view, const CommandRunner& runner,
                             const PackagesState& state, uint64_t listing, std::stop_token stop,
                             const std::string& serial) {
    std::string output;
    const RunOutcome outcome = runner.RunCommand(
        OnDevice(AdbListPackages(), serial), DeliveryMode::Accumulated,
        [&output](OutputChunk all) { output.assign(all.data(), all.size()); }, std::move(stop));
    if (outcome == RunOutcome::NotStarted) return ListingEnd::NotStarted;
    // A cut-off listing is no listing: filling it would empty the list and say
    // "done".
    if (outcome == RunOutcome::Cancelled) return ListingEnd::Stopped;

    // The check and the rows go in one step on the window's thread, so no
    // refresh can begin between them; the done text goes in the same step, so
    // it never lands after a newer refresh's start text.
    bool filled = false;
    view->OnWindowThread([&](PackageRows& rows) {
        if (!state.IsLatestListing(listing)) return;
        FillPackageList(rows, *view, output);
        filled = true;
    });
    return filled ? ListingEnd::Filled : ListingEnd::Superseded;
}

void LaunchPackageListWorker(WorkerRuntime& workers, const PackagesState& state,
                             std::shared_ptr<PackagesView> view, const CommandRunner& runner,
                             uint64_t listing, std::string serial) {
    workers.Start([view = std::move(view), &runner, &state, listing,
                   serial = std::move(serial)](std::stop_token stop) {
        PackageListWorker(view, runner, state, listing, std::move(stop), serial);
    });
}

}  // namespace nimbo
