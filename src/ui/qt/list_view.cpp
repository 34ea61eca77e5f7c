#include "ui/qt/list_view.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace nimbo::ui {

int ImageList::Add(const QPixmap& pixmap) {
    images_.push_back(pixmap.isNull() ? pixmap : pixmap.scaled(16, 16, Qt::KeepAspectRatio));
    return Count() - 1;
}

QPixmap ImageList::Get(int index) const {
    if (index < 0 || index >= Count()) return {};
    return images_[static_cast<size_t>(index)];
}

ListView::ListView(QWidget* parent) : QTableWidget(parent) {
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);  // no sort header
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(18);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setShowGrid(false);
    setIconSize(QSize(16, 16));
    setWordWrap(false);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
}

int ListView::InsertColumn(int index, const std::string& heading, int widthPixels) {
    insertColumn(index);
    auto* h = new QTableWidgetItem(QString::fromStdString(heading));
    h->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHorizontalHeaderItem(index, h);
    setColumnWidth(index, widthPixels);
    return index;
}

QTableWidgetItem* ListView::Cell(int row, int column) {
    QTableWidgetItem* it = item(row, column);
    if (!it) {
        it = new QTableWidgetItem();
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, column, it);
    }
    return it;
}

int ListView::InsertItem(int row, const std::string& text, int image) {
    if (row < 0 || row > rowCount()) row = rowCount();
    insertRow(row);
    QTableWidgetItem* first = Cell(row, 0);
    first->setText(QString::fromStdString(text));
    first->setData(Qt::UserRole + 1, image);
    if (images_) first->setIcon(images_->Get(image));
    if (extendedStyle_ & kLvsExCheckBoxes) {
        first->setFlags(first->flags() | Qt::ItemIsUserCheckable);
        first->setCheckState(Qt::Unchecked);
    }
    for (int c = 1; c < columnCount(); ++c) Cell(row, c);
    return row;
}

void ListView::SetItemText(int row, int column, const std::string& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    Cell(row, column)->setText(QString::fromStdString(text));
}

std::string ListView::GetItemText(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text().toStdString() : std::string();
}

void ListView::DeleteAllItems() {
    setRowCount(0);
    setCurrentCell(-1, -1);
}

bool ListView::GetCheck(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it && it->checkState() == Qt::Checked;
}

void ListView::SetCheck(int row, bool checked) {
    if (row < 0 || row >= rowCount()) return;
    QTableWidgetItem* it = Cell(row, 0);
    it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
    it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int ListView::GetItemImage(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it ? it->data(Qt::UserRole + 1).toInt() : -1;
}

void ListView::SetExtendedStyle(unsigned styles) {
    extendedStyle_ = styles;
    setShowGrid(styles & kLvsExGridLines);
    setSelectionBehavior((styles & kLvsExFullRowSelect) ? QAbstractItemView::SelectRows
                                                        : QAbstractItemView::SelectItems);
}

void ListView::SetShowSelectionAlways(bool on) {
    showSelectionAlways_ = on;
    // Keep the selection colour when the list loses focus.
    QPalette p = palette();
    if (on) {
        p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   p.color(QPalette::Active, QPalette::HighlightedText));
    }
    setPalette(p);
}

void ListView::SetImageList(const ImageList* images) {
    images_ = images;
    for (int r = 0; r < rowCount(); ++r) {
        if (QTableWidgetItem* it = item(r, 0)) it->setIcon(images_ ? images_->Get(GetItemImage(r)) : QIcon());
    }
}

int ListView::GetSelectionMark() const { return rowCount() == 0 ? -1 : currentRow(); }

void ListView::SetSelectionMark(int row) {
    if (row < 0 || row >= rowCount()) {
        setCurrentCell(-1, -1);
        return;
    }
    setCurrentCell(row, 0);
}

void ListView::SetItemData(int row, const std::string& data) {
    if (row < 0 || row >= rowCount()) return;
    Cell(row, 0)->setData(Qt::UserRole + 2, QString::fromStdString(data));
}

std::string ListView::GetItemData(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it ? it->data(Qt::UserRole + 2).toString().toStdString() : std::string();
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    clickedRow_ = indexAt(event->position().toPoint()).row();
    emit itemClickNotified();
}

}  // namespace nimbo::ui
