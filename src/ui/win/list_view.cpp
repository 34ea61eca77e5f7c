#include "ui/win/list_view.h"

#include "platform/win/wide.h"
#include "ui/win/gdi.h"

namespace nimbo::ui::win {

using platform::win::Widen;

namespace {

// The kit's styles are the list view's own LVS_EX_ values.
static_assert(kLvsExGridLines == LVS_EX_GRIDLINES && kLvsExSubItemImages == LVS_EX_SUBITEMIMAGES &&
              kLvsExCheckBoxes == LVS_EX_CHECKBOXES && kLvsExFullRowSelect == LVS_EX_FULLROWSELECT &&
              kLvsExOneClickActivate == LVS_EX_ONECLICKACTIVATE &&
              kLvsExFlatScrollBars == LVS_EX_FLATSB);

// The picture at 16 by 16 (nearest pixel), as the list shows its images;
// an empty picture becomes a transparent square.
imaging::Canvas SmallImage(const imaging::Canvas& picture) {
    constexpr int kSide = 16;
    if (picture.Width() == kSide && picture.Height() == kSide) return picture;
    imaging::Canvas out(kSide, kSide, imaging::Canvas::kTransparent);
    if (picture.Width() <= 0 || picture.Height() <= 0) return out;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            out.Bits()[y * kSide + x] =
                picture.Bits()[(y * picture.Height() / kSide) * picture.Width() + x * picture.Width() / kSide];
        }
    }
    return out;
}

}  // namespace

Win32ListView::Win32ListView(HWND hwnd, int id) : HwndControl(hwnd, id) {}

Win32ListView::~Win32ListView() {
    if (images_) ImageList_Destroy(images_);
}

int Win32ListView::InsertColumn(int index, const std::string& heading, int widthPixels) {
    std::wstring text = Widen(heading);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.fmt = LVCFMT_LEFT;
    col.cx = widthPixels;
    col.pszText = text.data();
    int at = static_cast<int>(SendMessageW(Hwnd(), LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&col)));
    if (at >= 0) ++columns_;
    return at;
}

int Win32ListView::InsertItem(int row, const std::string& text, int image) {
    if (row < 0 || row > static_cast<int>(rows_.size())) row = static_cast<int>(rows_.size());
    std::wstring wide = Widen(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = wide.data();
    item.iImage = image;
    int at = static_cast<int>(SendMessageW(Hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (at < 0) return -1;
    rows_.insert(rows_.begin() + at, Row{});
    return at;
}

int Win32ListView::InsertItems(int row, int count, const std::string& text, int image) {
    if (row < 0 || row > static_cast<int>(rows_.size())) row = static_cast<int>(rows_.size());
    if (count <= 0) return row;
    // One change of the list: no redraw until every row is in.
    BeginUpdate();
    int first = -1;
    for (int i = 0; i < count; ++i) {
        int at = InsertItem(row + i, text, image);
        if (first < 0) first = at;
    }
    EndUpdate();
    return first;
}

void Win32ListView::SetItemText(int row, int column, const std::string& text) {
    if (!ValidRow(row) || column < 0 || column >= columns_) return;
    std::wstring wide = Widen(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(Hwnd(), LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::string Win32ListView::GetItemText(int row, int column) const {
    if (!ValidRow(row) || column < 0 || column >= columns_) return {};
    std::wstring buffer(1024, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    int n = static_cast<int>(SendMessageW(Hwnd(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    buffer.resize(static_cast<size_t>(std::max(n, 0)));
    return platform::win::Narrow(buffer);
}

int Win32ListView::GetItemCount() const {
    return static_cast<int>(rows_.size());
}

void Win32ListView::DeleteAllItems() {
    SendMessageW(Hwnd(), LVM_DELETEALLITEMS, 0, 0);
    rows_.clear();
    clickedRow_ = -1;
}

bool Win32ListView::GetCheck(int row) const {
    if (!ValidRow(row)) return false;
    UINT state = static_cast<UINT>(SendMessageW(Hwnd(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void Win32ListView::SetCheck(int row, bool checked) {
    if (!ValidRow(row)) return;
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    settingCheck_ = true;
    SendMessageW(Hwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    settingCheck_ = false;
}

void Win32ListView::SetCheckToggledByClick(int row, bool on) {
    if (ValidRow(row)) rows_[static_cast<size_t>(row)].toggledByClick = on;
}

int Win32ListView::GetItemImage(int row) const {
    if (!ValidRow(row)) return -1;
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageW(Hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

void Win32ListView::SetExtendedStyle(unsigned styles) {
    extendedStyle_ = styles;
    SendMessageW(Hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, ~0u, styles);
}

void Win32ListView::SetShowSelectionAlways(bool on) {
    LONG_PTR style = GetWindowLongPtrW(Hwnd(), GWL_STYLE);
    style = on ? (style | LVS_SHOWSELALWAYS) : (style & ~LVS_SHOWSELALWAYS);
    SetWindowLongPtrW(Hwnd(), GWL_STYLE, style);
}

void Win32ListView::SetImageList(const ImageList* images) {
    if (images_) {
        SendMessageW(Hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        ImageList_Destroy(images_);
        images_ = nullptr;
    }
    if (!images) return;
    images_ = ImageList_Create(16, 16, ILC_COLOR32, images->Count(), 4);
    for (int i = 0; i < images->Count(); ++i) {
        // The list's images are 16 by 16: a larger bitmap would be cut into
        // several images and shift every index after it.
        HBITMAP bmp = MakeBitmap(SmallImage(images->Get(i)));
        ImageList_Add(images_, bmp, nullptr);
        if (bmp) DeleteObject(bmp);
    }
    SendMessageW(Hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
}

int Win32ListView::GetSelectionMark() const {
    return static_cast<int>(SendMessageW(Hwnd(), LVM_GETSELECTIONMARK, 0, 0));
}

void Win32ListView::SetSelectionMark(int row) {
    if (!ValidRow(row)) row = -1;
    SendMessageW(Hwnd(), LVM_SETSELECTIONMARK, 0, row);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageW(Hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (row >= 0) {
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(Hwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
}

bool Win32ListView::IsSelected(int row) const {
    if (!ValidRow(row)) return false;
    return (SendMessageW(Hwnd(), LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void Win32ListView::SetItemData(int row, const std::string& data) {
    if (ValidRow(row)) rows_[static_cast<size_t>(row)].data = data;
}

std::string Win32ListView::GetItemData(int row) const {
    return ValidRow(row) ? rows_[static_cast<size_t>(row)].data : std::string();
}

void Win32ListView::BeginUpdate() {
    SendMessageW(Hwnd(), WM_SETREDRAW, FALSE, 0);
}

void Win32ListView::EndUpdate() {
    SendMessageW(Hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

void Win32ListView::Clicked(const NMITEMACTIVATE& click) {
    LVHITTESTINFO hit{};
    hit.pt = click.ptAction;
    int row = static_cast<int>(SendMessageW(Hwnd(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    clickedRow_ = ValidRow(row) ? row : -1;
}

bool Win32ListView::ItemChanging(const NMLISTVIEW& change) const {
    if (settingCheck_ || !(change.uChanged & LVIF_STATE)) return false;
    const UINT oldImage = change.uOldState & LVIS_STATEIMAGEMASK;
    const UINT newImage = change.uNewState & LVIS_STATEIMAGEMASK;
    // A first state image is the list setting the box up, not a toggle.
    if (oldImage == 0 || oldImage == newImage) return false;
    return ValidRow(change.iItem) && !rows_[static_cast<size_t>(change.iItem)].toggledByClick;
}

}  // namespace nimbo::ui::win
