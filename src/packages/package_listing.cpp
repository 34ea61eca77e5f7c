#include "packages/package_listing.h"

#include <atomic>
#include <string>
#include <utility>

#include "adbtool/adb_commands.h"
#include "packages/package_list_parser.h"
#include "packages/package_worker_threads.h"

namespace nimbo {
namespace {

// Written and compared on the UI thread only; atomic because a test may read
// it from elsewhere.
std::atomic<uint64_t> latestListing{0};

}  // namespace

bool AddPackageRow(PackageRows& rows, std::string_view line) {
    PackageRow row;
    if (!ParsePackageLine(line, row)) return false;
    rows.InsertAtTop(row.name, row.packageName);
    return true;
}

int FillPackageList(PackageRows& rows, PackagesView& view, std::string_view text) {
    // The parser hands the rows back top row first; inserting each at the top
    // means going through them from the bottom.
    const std::vector<PackageRow> parsed = ParsePackageList(text);
    for (auto it = parsed.rbegin(); it != parsed.rend(); ++it) {
        rows.InsertAtTop(it->name, it->packageName);
    }
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

uint64_t BeginPackageListing(PackageRows& rows) {
    rows.DeleteAll();
    return ++latestListing;
}

ListingEnd PackageListWorker(const std::shared_ptr<PackagesView>& view, const CommandRunner& runner,
                             uint64_t listing) {
    std::string output;
    const RunOutcome outcome =
        runner.RunCommand(AdbListPackages(), DeliveryMode::Accumulated,
                          [&output](OutputChunk all) { output.assign(all.data(), all.size()); });
    if (outcome == RunOutcome::NotStarted) return ListingEnd::NotStarted;

    // The check and the rows go in one step on the window's thread, so no
    // refresh can begin between them; the done text goes in the same step, so
    // it never lands after a newer refresh's start text.
    bool filled = false;
    view->OnWindowThread([&](PackageRows& rows) {
        if (listing != latestListing) return;
        FillPackageList(rows, *view, output);
        filled = true;
    });
    return filled ? ListingEnd::Filled : ListingEnd::Superseded;
}

void LaunchPackageListWorker(std::shared_ptr<PackagesView> view, const CommandRunner& runner,
                             uint64_t listing) {
    StartPackageWorker(
        [view = std::move(view), &runner, listing] { PackageListWorker(view, runner, listing); });
}

}  // namespace nimbo
