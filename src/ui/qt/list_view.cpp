#include "ui/qt/list_view.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "ui/qt/qt_pictures.h"

namespace nimbo::ui::qt {

QtListView::QtListView(int id, QWidget* parent)
    : QTableWidget(parent), WidgetControl<ListView>(this, id) {
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

QIcon QtListView::ImageIcon(int image) const {
    if (!images_ || image < 0) return {};
    if (static_cast<size_t>(image) < icons_.size() && !icons_[image].isNull()) {
        return icons_[image];
    }
    const imaging::Canvas& picture = images_->Get(image);
    if (picture.Width() == 0) return {};
    QIcon icon(ToQPixmap(picture).scaled(16, 16, Qt::KeepAspectRatio));
    if (static_cast<size_t>(image) >= icons_.size()) icons_.resize(image + 1);
    icons_[image] = icon;
    return icon;
}

int QtListView::InsertColumn(int index, const std::string& heading, int widthPixels) {
    insertColumn(index);
    auto* h = new QTableWidgetItem(QString::fromStdString(heading));
    h->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHorizontalHeaderItem(index, h);
    setColumnWidth(index, widthPixels);
    return index;
}

QTableWidgetItem* QtListView::Cell(int row, int column) {
    QTableWidgetItem* it = item(row, column);
    if (!it) {
        it = new QTableWidgetItem();
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, column, it);
    }
    return it;
}

void QtListView::FillNewRow(int row, const QString& text, int image, const QIcon& icon) {
    auto* first = new QTableWidgetItem(text);
    first->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    first->setData(Qt::UserRole + 1, image);
    first->setIcon(icon);
    if (extendedStyle_ & kLvsExCheckBoxes) {
        first->setFlags(first->flags() | Qt::ItemIsUserCheckable);
        first->setCheckState(Qt::Unchecked);
    }
    setItem(row, 0, first);
    for (int c = 1; c < columnCount(); ++c) Cell(row, c);
}

int QtListView::InsertItem(int row, const std::string& text, int image) {
    return InsertItems(row, 1, text, image);
}

int QtListView::InsertItems(int row, int count, const std::string& text, int image) {
    if (row < 0 || row > rowCount()) row = rowCount();
    if (count <= 0) return row;
    model()->insertRows(row, count);
    const QString qtext = QString::fromStdString(text);
    const QIcon icon = ImageIcon(image);
    for (int r = row; r < row + count; ++r) FillNewRow(r, qtext, image, icon);
    return row;
}

void QtListView::SetItemText(int row, int column, const std::string& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    Cell(row, column)->setText(QString::fromStdString(text));
}

std::string QtListView::GetItemText(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text().toStdString() : std::string();
}

void QtListView::DeleteAllItems() {
    setRowCount(0);
    setCurrentCell(-1, -1);
}

bool QtListView::GetCheck(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it && it->checkState() == Qt::Checked;
}

void QtListView::SetCheck(int row, bool checked) {
    if (row < 0 || row >= rowCount()) return;
    QTableWidgetItem* it = Cell(row, 0);
    it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
    it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void QtListView::SetCheckToggledByClick(int row, bool on) {
    if (row < 0 || row >= rowCount()) return;
    QTableWidgetItem* it = Cell(row, 0);
    it->setFlags(on ? it->flags() | Qt::ItemIsUserCheckable
                    : it->flags() & ~Qt::ItemIsUserCheckable);
}

int QtListView::GetItemImage(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it ? it->data(Qt::UserRole + 1).toInt() : -1;
}

void QtListView::SetExtendedStyle(unsigned styles) {
    extendedStyle_ = styles;
    setShowGrid(styles & kLvsExGridLines);
    setSelectionBehavior((styles & kLvsExFullRowSelect) ? QAbstractItemView::SelectRows
                                                        : QAbstractItemView::SelectItems);
}

void QtListView::SetShowSelectionAlways(bool on) {
    showSelectionAlways_ = on;
    // Keep the selection colour when the list loses focus.
    QPalette p = palette();
    if (on) {
        p.setColor(QPalette::Inactive, QPalette::Highlight,
                   p.color(QPalette::Active, QPalette::Highlight));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   p.color(QPalette::Active, QPalette::HighlightedText));
    }
    setPalette(p);
}

void QtListView::SetImageList(const ImageList* images) {
    images_ = images;
    icons_.clear();
    for (int r = 0; r < rowCount(); ++r) {
        if (QTableWidgetItem* it = item(r, 0)) it->setIcon(ImageIcon(GetItemImage(r)));
    }
}

int QtListView::GetSelectionMark() const {
    return rowCount() == 0 ? -1 : currentRow();
}

void QtListView::SetSelectionMark(int row) {
    if (row < 0 || row >= rowCount()) {
        setCurrentCell(-1, -1);
        return;
    }
    setCurrentCell(row, 0);
}

bool QtListView::IsSelected(int row) const {
    const QTableWidgetItem* cell = item(row, 0);
    return cell && cell->isSelected();
}

void QtListView::SetItemData(int row, const std::string& data) {
    if (row < 0 || row >= rowCount()) return;
    Cell(row, 0)->setData(Qt::UserRole + 2, QString::fromStdString(data));
}

std::string QtListView::GetItemData(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it ? it->data(Qt::UserRole + 2).toString().toStdString() : std::string();
}

void QtListView::BeginUpdate() {
    if (updateDepth_++ == 0) setUpdatesEnabled(false);
}

void QtListView::EndUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0) setUpdatesEnabled(true);
}

void QtListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    clickedRow_ = indexAt(event->position().toPoint()).row();
    emit itemClickNotified();
}

}  // namespace nimbo::ui::qt
