#pragma once
// ui::ListView on the common controls' list view (SysListView32) in report
// view: columns, rows with an image and a check box, the extended styles the
// windows ask for, per-row data kept beside the rows.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/image_list.h"
#include "ui/win/hwnd_control.h"

namespace nimbo::ui::win {

class Win32ListView final : public HwndControl<ListView> {
public:
    Win32ListView(HWND hwnd, int id);
    ~Win32ListView() override;

    int InsertColumn(int index, const std::string& heading, int widthPixels) override;
    int InsertItem(int row, const std::string& text, int image) override;
    int InsertItems(int row, int count, const std::string& text, int image) override;
    void SetItemText(int row, int column, const std::string& text) override;
    std::string GetItemText(int row, int column) const override;
    int GetItemCount() const override;
    void DeleteAllItems() override;
    bool GetCheck(int row) const override;
    void SetCheck(int row, bool checked) override;
    void SetCheckToggledByClick(int row, bool on) override;
    int GetItemImage(int row) const override;
    void SetExtendedStyle(unsigned styles) override;
    unsigned GetExtendedStyle() const override { return extendedStyle_; }
    void SetShowSelectionAlways(bool on) override;
    void SetImageList(const ImageList* images) override;
    int GetSelectionMark() const override;
    void SetSelectionMark(int row) override;
    bool IsSelected(int row) const override;
    void SetItemData(int row, const std::string& data) override;
    std::string GetItemData(int row) const override;
    int ClickedRow() const override { return clickedRow_; }
    void BeginUpdate() override;
    void EndUpdate() override;

    // From the window's WM_NOTIFY. A click records the row under the pointer;
    // true from ItemChanging refuses a change (a check box the user may not toggle).
    void Clicked(const NMITEMACTIVATE& click);
    bool ItemChanging(const NMLISTVIEW& change) const;

private:
    struct Row {
        std::string data;
        bool toggledByClick = true;
    };
    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }

    std::vector<Row> rows_;
    unsigned extendedStyle_ = 0;
    int columns_ = 0;
    int clickedRow_ = -1;
    HIMAGELIST images_ = nullptr;
    // Check marks set by the program pass ItemChanging even where clicks do not.
    bool settingCheck_ = false;
};

}  // namespace nimbo::ui::win
