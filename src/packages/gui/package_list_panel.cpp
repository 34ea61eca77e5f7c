#include "packages/gui/package_list_panel.h"

#include <functional>
#include <string>
#include <utility>

#include "packages/package_export.h"
#include "packages/package_listing.h"
#include "templates/control_ids.h"
#include "ui/dialog_items.h"
#include "ui/dialogs.h"

namespace nimbo {
namespace {

constexpr int kAndroidImage = 0;

// The list as PackageRows. Holds the list by raw pointer: every call comes
// on the UI thread, from a handler or through the window's link, which stops
// calling once the window (and with it the list) is gone.
class ListViewRows final : public PackageRows {
public:
    explicit ListViewRows(ui::ListView* list) : list_(list) {}

    int Count() const override { return list_->GetItemCount(); }
    void DeleteAll() override { list_->DeleteAllItems(); }
    void InsertAtTop(const std::string& name, const std::string& packageName) override {
        const int row = list_->InsertItem(0, "", kAndroidImage);
        list_->SetItemText(row, 1, name);
        list_->SetItemData(row, packageName);
        LeaveCheckToClickHandler(row);
    }
    // One insertion of every row and one redraw: a listing of thousands of
    // packages inserted row by row at the top moves every row below each time.
    void InsertAllAtTop(const std::vector<PackageRow>& topFirst) override {
        const int count = static_cast<int>(topFirst.size());
        if (count == 0) return;
        list_->BeginUpdate();
        list_->InsertItems(0, count, "", kAndroidImage);
        for (int row = 0; row < count; ++row) {
            list_->SetItemText(row, 1, topFirst[row].name);
            list_->SetItemData(row, topFirst[row].packageName);
            LeaveCheckToClickHandler(row);
        }
        list_->EndUpdate();
    }
    std::string Name(int row) const override { return list_->GetItemText(row, 1); }
    std::string PackageName(int row) const override { return list_->GetItemData(row); }
    bool IsChecked(int row) const override { return list_->GetCheck(row); }
    void SetChecked(int row, bool checked) override {
        list_->SetCheck(row, checked);
        LeaveCheckToClickHandler(row);
    }
    int SelectionMark() const override { return list_->GetSelectionMark(); }
    bool IsSelected(int row) const override { return list_->IsSelected(row); }

private:
    // The click handler toggles the mark of a clicked row; if the box toggled
    // itself as well, a click right on it would toggle twice and change nothing.
    // Called after every SetCheck too, which may turn the toggling back on.
    void LeaveCheckToClickHandler(int row) { list_->SetCheckToggledByClick(row, false); }

    ui::ListView* list_;
};

// The listing and export workers' view of the window: its status lines 1019
// and 1008 and the package list, reached through the window's link, which carries calls
// over to the UI thread and makes them no-ops once the window is gone. The
// rows are touched only inside the link's calls, so never after the list is
// freed.
class WindowPackagesView final : public PackagesView {
public:
    WindowPackagesView(std::shared_ptr<ui::DialogItems> items, ui::ListView* list)
        : items_(std::move(items)), rows_(list) {}

    void ShowOperationStatus(const std::string& text) override {
        items_->SetDlgItemText(ids::kOperationStatus, text);
    }
    void ShowInstallStatus(const std::string& text) override {
        items_->SetDlgItemText(ids::kInstallStatus, text);
    }
    bool OnWindowThread(const std::function<void(PackageRows&)>& fn) override {
        return items_->RunOnUiThread([&] { fn(rows_); });
    }

private:
    std::shared_ptr<ui::DialogItems> items_;
    ListViewRows rows_;
};

}  // namespace

PackageListPanel::PackageListPanel(ui::Dialog& window, ui::ListView& list, AppContext& context,
                                   PackagesState& state, TargetSerial target)
    : window_(window), list_(list), context_(context), state_(state), target_(std::move(target)) {}

std::shared_ptr<PackagesView> PackageListPanel::View() const {
    return std::make_shared<WindowPackagesView>(window_.Link(), &list_);
}

void PackageListPanel::OnRefresh() {
    auto view = View();
    view->ShowOperationStatus(kListingStartText);
    ListViewRows rows(&list_);
    const uint64_t listing = BeginPackageListing(state_, rows);
    LaunchPackageListWorker(*context_.workers, state_, std::move(view), *context_.runner, listing,
                            target_ ? target_() : std::string());
}

void PackageListPanel::OnCheckAll() {
    ListViewRows rows(&list_);
    SetAllChecks(rows, true);
}

void PackageListPanel::OnCheckNone() {
    ListViewRows rows(&list_);
    SetAllChecks(rows, false);
}

void PackageListPanel::OnListClick() {
    ListViewRows rows(&list_);
    ToggleCheckOnClick(rows, list_.ClickedRow());
}

void PackageListPanel::OnBackup() {
    ListViewRows rows(&list_);
    BackupSelected(rows, View(), *context_.dialogs, *context_.runner, *context_.shell,
                   *context_.workers, state_, target_ ? target_() : std::string());
}

void PackageListPanel::OnRemove() {
    ListViewRows rows(&list_);
    RemoveSelected(rows, *context_.dialogs, ui::ApplicationName());
}

}  // namespace nimbo
