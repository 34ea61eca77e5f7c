#pragma once
// A report-view list with the calls the windows use: columns, rows with an
// image and check box, grid lines, full-row selection and a selection mark.
#include <QPixmap>
#include <QTableWidget>
#include <string>
#include <vector>

namespace nimbo::ui {

// The 16 x 16 images a list shows in front of its first column.
class ImageList {
public:
    int Add(const QPixmap& pixmap);
    int Count() const { return static_cast<int>(images_.size()); }
    QPixmap Get(int index) const;

private:
    std::vector<QPixmap> images_;
};

enum ListExtendedStyle : unsigned {
    kLvsExGridLines = 0x1,
    kLvsExSubItemImages = 0x2,
    kLvsExCheckBoxes = 0x4,
    kLvsExFullRowSelect = 0x20,
    kLvsExOneClickActivate = 0x40,
    kLvsExFlatScrollBars = 0x100,
};

class ListView : public QTableWidget {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    int InsertColumn(int index, const std::string& heading, int widthPixels);
    // Inserts a row before `row` (0 = top); returns its index.
    int InsertItem(int row, const std::string& text, int image);
    void SetItemText(int row, int column, const std::string& text);
    std::string GetItemText(int row, int column) const;
    int GetItemCount() const { return rowCount(); }
    void DeleteAllItems();
    bool GetCheck(int row) const;
    void SetCheck(int row, bool checked);
    int GetItemImage(int row) const;
    // Replaces every extended style, as a mask of 0 does.
    void SetExtendedStyle(unsigned styles);
    unsigned GetExtendedStyle() const { return extendedStyle_; }
    void SetShowSelectionAlways(bool on);
    bool ShowSelectionAlways() const { return showSelectionAlways_; }
    void SetImageList(const ImageList* images);
    // The row the user last clicked or moved to; -1 when none.
    int GetSelectionMark() const;
    void SetSelectionMark(int row);
    // Per-row data that the list does not show (e.g. a package name).
    void SetItemData(int row, const std::string& data);
    std::string GetItemData(int row) const;
    // The row under the pointer at the last click notification; -1 when the
    // click hit no row.
    int ClickedRow() const { return clickedRow_; }

signals:
    // The click notification: a left click anywhere in the list.
    void itemClickNotified();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QTableWidgetItem* Cell(int row, int column);
    const ImageList* images_ = nullptr;
    unsigned extendedStyle_ = 0;
    bool showSelectionAlways_ = false;
    int clickedRow_ = -1;
};

}  // namespace nimbo::ui
