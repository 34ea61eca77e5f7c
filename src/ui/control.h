#pragma once
// The controls of a window as the windows see them: plain interfaces that a
// backend (ui/qt/, later ui/win/) implements for each control of a template.
// Every call is for the window's thread; workers go through DialogLink.
#include <string>
#include <string_view>

#include "imaging/canvas.h"

namespace nimbo::ui {

class ImageList;

class Control {
public:
    virtual ~Control() = default;

    // The template id; -1 for controls the program never addresses.
    virtual int Id() const = 0;
    // Caption, edit text, group title or, for a combo box, the current text.
    virtual void SetText(const std::string& utf8) = 0;
    virtual std::string Text() const = 0;
    virtual void Enable(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void Show(bool visible) = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetFocus() = 0;
    virtual bool HasFocus() const = 0;
    // Position and size in the window's client pixels.
    virtual imaging::Rect Bounds() const = 0;
    // Paints the control before returning: the window's thread is about to be
    // held by long work, and the user should see the new text first.
    virtual void RepaintNow() = 0;
    // A named number that tests and tools can read back from the backend's
    // control (e.g. which icon a button shows); no effect on behaviour.
    virtual void SetTag(std::string_view name, int value) = 0;
};

class CheckBox : public Control {
public:
    virtual bool GetCheck() const = 0;
    virtual void SetCheck(bool checked) = 0;
};

// An image static: shows a picture at its own size.
class PictureStatic : public Control {
public:
    virtual void SetPicture(const imaging::Canvas& picture) = 0;
};

class ComboBox : public Control {
public:
    virtual int AddString(const std::string& utf8) = 0;
    virtual void ResetContent() = 0;
    virtual int GetCount() const = 0;
    // -1 when nothing is chosen.
    virtual int GetCurSel() const = 0;
    virtual void SetCurSel(int index) = 0;
    virtual std::string GetLBText(int index) const = 0;
};

enum ListExtendedStyle : unsigned {
    kLvsExGridLines = 0x1,
    kLvsExSubItemImages = 0x2,
    kLvsExCheckBoxes = 0x4,
    kLvsExFullRowSelect = 0x20,
    kLvsExOneClickActivate = 0x40,
    kLvsExFlatScrollBars = 0x100,
};

// A report-view list: columns, rows with an image and check box, grid lines,
// full-row selection and a selection mark.
class ListView : public Control {
public:
    virtual int InsertColumn(int index, const std::string& heading, int widthPixels) = 0;
    // Inserts a row before `row` (0 = top; out of range = bottom); returns its index.
    virtual int InsertItem(int row, const std::string& text, int image) = 0;
    // `count` rows as InsertItem makes them, in one change of the list, the
    // first at `row`; returns the index of the first.
    virtual int InsertItems(int row, int count, const std::string& text, int image) = 0;
    virtual void SetItemText(int row, int column, const std::string& text) = 0;
    virtual std::string GetItemText(int row, int column) const = 0;
    virtual int GetItemCount() const = 0;
    virtual void DeleteAllItems() = 0;
    virtual bool GetCheck(int row) const = 0;
    virtual void SetCheck(int row, bool checked) = 0;
    // Whether a click on the row's box toggles it by itself. On by default;
    // a window that toggles marks in its click handler turns it off, or a
    // click right on the box would toggle twice.
    virtual void SetCheckToggledByClick(int row, bool on) = 0;
    virtual int GetItemImage(int row) const = 0;
    // Replaces every extended style, as a mask of 0 does.
    virtual void SetExtendedStyle(unsigned styles) = 0;
    virtual unsigned GetExtendedStyle() const = 0;
    virtual void SetShowSelectionAlways(bool on) = 0;
    // The list shows images from `images`, which must outlive it.
    virtual void SetImageList(const ImageList* images) = 0;
    // The row the user last clicked or moved to; -1 when none.
    virtual int GetSelectionMark() const = 0;
    virtual void SetSelectionMark(int row) = 0;
    virtual bool IsSelected(int row) const = 0;
    // Per-row data that the list does not show (e.g. a package name).
    virtual void SetItemData(int row, const std::string& data) = 0;
    virtual std::string GetItemData(int row) const = 0;
    // The row under the pointer at the last click notification; -1 when the
    // click hit no row.
    virtual int ClickedRow() const = 0;
    // Many changes at once: the list is not redrawn until the matching
    // EndUpdate.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
};

}  // namespace nimbo::ui
