// The phone's packages: listing, check marks, export, hidden removal button.
// The logic lives in packages/; this file only lets it see list 1011.
#include <QCoreApplication>
#include <QTableWidgetItem>

#include "app/gui/main_dialog.h"
#include "packages/package_export.h"
#include "packages/package_listing.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

constexpr int kAndroidImage = 0;

// List 1011 as PackageRows. Holds the list by raw pointer: every call comes
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
    std::string Name(int row) const override { return list_->GetItemText(row, 1); }
    std::string PackageName(int row) const override { return list_->GetItemData(row); }
    bool IsChecked(int row) const override { return list_->GetCheck(row); }
    void SetChecked(int row, bool checked) override {
        list_->SetCheck(row, checked);
        LeaveCheckToClickHandler(row);
    }
    int SelectionMark() const override { return list_->GetSelectionMark(); }
    bool IsSelected(int row) const override {
        const QTableWidgetItem* cell = list_->item(row, 0);
        return cell && cell->isSelected();
    }

private:
    // The click handler toggles the mark of a clicked row; if the box toggled
    // itself as well, a click right on it would toggle twice and change nothing.
    void LeaveCheckToClickHandler(int row) {
        if (QTableWidgetItem* cell = list_->item(row, 0)) {
            cell->setFlags(cell->flags() & ~Qt::ItemIsUserCheckable);
        }
    }

    ui::ListView* list_;
};

std::shared_ptr<PackageRows> RowsOf(ui::ListView* list) {
    return std::make_shared<ListViewRows>(list);
}

}  // namespace

void MainDialog::OnRefreshPackages() {
    SetItemTextNow(ids::kOperationStatus, kListingStartText);
    auto rows = RowsOf(packageList_);
    const uint64_t listing = BeginPackageListing(*rows);
    LaunchPackageListWorker(Items(), std::move(rows), *context_.runner, listing);
}

void MainDialog::OnCheckAll() {
    ListViewRows rows(packageList_);
    SetAllChecks(rows, true);
}

void MainDialog::OnCheckNone() {
    ListViewRows rows(packageList_);
    SetAllChecks(rows, false);
}

void MainDialog::OnPackageListClick() {
    ListViewRows rows(packageList_);
    ToggleCheckOnClick(rows, packageList_->ClickedRow());
}

void MainDialog::OnBackupSelected() {
    BackupSelected(RowsOf(packageList_), Items(), *context_.dialogs, *context_.runner,
                   *context_.shell);
}

void MainDialog::OnRemoveSelected() {
    ListViewRows rows(packageList_);
    RemoveSelected(rows, *context_.dialogs, QCoreApplication::applicationName().toStdString());
}

}  // namespace nimbo
