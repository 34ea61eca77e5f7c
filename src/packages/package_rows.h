#pragma once
// The package list as the listing and export logic sees it: rows with a
// check mark, the APK name shown in column 1 and the package name kept out of
// sight. Every call must be made on the UI thread; workers reach it through
// PackagesView::OnWindowThread (packages_view.h), which skips the call once
// the window is gone, so the rows object is never touched after its list is
// freed.
#include <string>

namespace nimbo {

class PackageRows {
public:
    virtual ~PackageRows() = default;
    virtual int Count() const = 0;
    virtual void DeleteAll() = 0;
    // A new row at index 0: unchecked, image 0, column 0 empty.
    virtual void InsertAtTop(const std::string& name, const std::string& packageName) = 0;
    virtual std::string Name(int row) const = 0;
    virtual std::string PackageName(int row) const = 0;
    virtual bool IsChecked(int row) const = 0;
    virtual void SetChecked(int row, bool checked) = 0;
    // The row last clicked or moved to; -1 when none.
    virtual int SelectionMark() const = 0;
    virtual bool IsSelected(int row) const = 0;
};

}  // namespace nimbo
