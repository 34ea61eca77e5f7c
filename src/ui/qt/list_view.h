#pragma once
// ui::ListView on a QTableWidget: a report view with the calls the windows
// use: columns, rows with an image and check box, grid lines, full-row
// selection and a selection mark.
#include <QTableWidget>
#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/image_list.h"
#include "ui/qt/widget_control.h"

namespace nimbo::ui::qt {

class QtListView final : public QTableWidget, public WidgetControl<ListView> {
    Q_OBJECT
public:
    QtListView(int id, QWidget* parent);

    int InsertColumn(int index, const std::string& heading, int widthPixels) override;
    int InsertItem(int row, const std::string& text, int image) override;
    int InsertItems(int row, int count, const std::string& text, int image) override;
    void SetItemText(int row, int column, const std::string& text) override;
    std::string GetItemText(int row, int column) const override;
    int GetItemCount() const override { return rowCount(); }
    void DeleteAllItems() override;
    bool GetCheck(int row) const override;
    void SetCheck(int row, bool checked) override;
    void SetCheckToggledByClick(int row, bool on) override;
    int GetItemImage(int row) const override;
    void SetExtendedStyle(unsigned styles) override;
    unsigned GetExtendedStyle() const override { return extendedStyle_; }
    void SetShowSelectionAlways(bool on) override;
    bool ShowSelectionAlways() const { return showSelectionAlways_; }
    void SetImageList(const ImageList* images) override;
    int GetSelectionMark() const override;
    void SetSelectionMark(int row) override;
    bool IsSelected(int row) const override;
    void SetItemData(int row, const std::string& data) override;
    std::string GetItemData(int row) const override;
    int ClickedRow() const override { return clickedRow_; }
    void BeginUpdate() override;
    void EndUpdate() override;

signals:
    // The click notification: a left click anywhere in the list.
    void itemClickNotified();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QTableWidgetItem* Cell(int row, int column);
    QIcon ImageIcon(int image) const;
    // The cells of a new row: the first with its text, image and box.
    void FillNewRow(int row, const QString& text, int image, const QIcon& icon);

    const ImageList* images_ = nullptr;
    // The images as icons, made once per image list: scaling a picture per
    // row made long listings slow.
    mutable std::vector<QIcon> icons_;
    unsigned extendedStyle_ = 0;
    bool showSelectionAlways_ = false;
    int clickedRow_ = -1;
    int updateDepth_ = 0;
};

}  // namespace nimbo::ui::qt
