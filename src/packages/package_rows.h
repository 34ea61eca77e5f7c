#pragma once
// The package list as the listing and export logic sees it: rows with a
// check mark, the APK name shown in column 1 and the package name kept out of
// sight. Every call must be made on the UI thread; workers reach it through
// PackagesView::OnWindowThread (packages_view.h), which skips the call once
// the window is gone, so the rows object is never touched after its list is
// freed.
#include <string>
#include <vector>

#include "packages/package_list_parser.h"

namespace nimbo {

class PackageRows {
public:
    virtual ~PackageRows() = default;
    virtual int Count() const = 0;
    virtual void DeleteAll() = 0;
    // A new row at index 0: unchecked, image 0, column 0 empty.
    virtual void InsertAtTop(const std::string& name, const std::string& packageName) = 0;
    // The same as InsertAtTop for each row from the last to the first, so the
    // list shows them in the order given. A list can take them in one change
    // instead of one per row.
    virtual void InsertAllAtTop(const std::vector<PackageRow>& topFirst) {
        for (auto it = topFirst.rbegin(); it != topFirst.rend(); ++it) {
            InsertAtTop(it->name, it->packageName);
        }
    }
    virtual std::string Name(int row) const = 0;
    virtual std::string PackageName(int row) const = 0;
    virtual bool IsChecked(int row) const = 0;
    virtual void SetChecked(int row, bool checked) = 0;
    // The row last clicked or moved to; -1 when none.
    virtual int SelectionMark() const = 0;
    virtual bool IsSelected(int row) const = 0;
};

}  // namespace nimbo
