#include "packages/package_listing.h"

#include <string>
#include <utility>

#include "adbtool/adb_commands.h"
#include "packages/package_list_parser.h"

namespace nimbo {

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
    view.ShowOperationStatus(kListingDoneText);
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
                             const PackagesState& state, uint64_t listing, std::stop_token stop) {
    std::string output;
    const RunOutcome outcome = runner.RunCommand(
        AdbListPackages(), DeliveryMode::Accumulated,
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
                             uint64_t listing) {
    workers.Start([view = std::move(view), &runner, &state, listing](std::stop_token stop) {
        PackageListWorker(view, runner, state, listing, std::move(stop));
    });
}

}  // namespace nimbo
