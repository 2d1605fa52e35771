#include "gui/editable_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "gui/field_widgets.h"
#include "gui/model_binding.h"
#include "ui/editable_list_ctrl.h"

namespace velmor::gui {

QColor ColourFromBgr(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

EditableListView::EditableListView(ui::CEditableListCtrl& model, QWidget* parent)
    : QTableWidget(parent), model_(model) {
    setObjectName(QStringLiteral("EditableListView"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setHighlightSections(false);

    connect(this, &QTableWidget::itemSelectionChanged, this,
            [this] { model_.SetSelectedRows(ViewSelectedRows()); });
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { model_.SetFocusedRow(row); });
    // Scrolling takes the focus from a running text edit first.
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int) { model_.OnScroll(); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int) { model_.OnScroll(); });

    binding_ = new ModelBinding(
        model_, [this] { Refresh(); }, this);
    Refresh();
}

void EditableListView::Refresh() {
    const QSignalBlocker block(this);
    setSelectionMode(model_.MultipleSelection() ? QAbstractItemView::ExtendedSelection
                                                : QAbstractItemView::SingleSelection);
    const auto& columns = model_.Columns();
    setColumnCount(model_.ColumnCount());
    for (int c = 0; c < model_.ColumnCount(); ++c) {
        setHorizontalHeaderItem(c, new QTableWidgetItem(FromModel(columns[c].caption)));
        // The model's width, but never narrower than the caption: texts of another
        // language or font must not be cut off.
        if (columns[c].width > 0)
            setColumnWidth(c, std::max(columns[c].width, horizontalHeader()->sectionSizeHint(c)));
    }
    setRowCount(model_.GetItemCount());
    for (int r = 0; r < model_.GetItemCount(); ++r) {
        const auto colour = model_.RowColour(static_cast<std::uint32_t>(r));
        for (int c = 0; c < model_.ColumnCount(); ++c) {
            QTableWidgetItem* cell = item(r, c);
            if (!cell) {
                cell = new QTableWidgetItem;
                setItem(r, c, cell);
            }
            const QString text = FromModel(model_.GetItemText(r, c));
            if (cell->text() != text) cell->setText(text);
            // Rows without a colour keep the default background.
            cell->setData(Qt::BackgroundRole,
                          colour ? QVariant(ColourFromBgr(*colour)) : QVariant());
        }
    }
    ApplySelection();
    if (model_.ScrollRevision() != scrollRevision_) {
        scrollRevision_ = model_.ScrollRevision();
        if (QTableWidgetItem* cell = item(model_.ScrollRow(), 0)) scrollToItem(cell);
    }
}

int EditableListView::FittingWidth() const {
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < columnCount(); ++c) width += columnWidth(c);
    return width;
}

std::vector<int> EditableListView::ViewSelectedRows() const {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void EditableListView::ApplySelection() {
    const std::vector<int> wanted = model_.SelectedRows();
    if (wanted != ViewSelectedRows()) {
        // Runs of neighbouring rows as one range each: a long selection stays cheap.
        QItemSelection selection;
        const int lastColumn = std::max(columnCount() - 1, 0);
        for (std::size_t i = 0; i < wanted.size();) {
            std::size_t j = i;
            while (j + 1 < wanted.size() && wanted[j + 1] == wanted[j] + 1) ++j;
            selection.select(model()->index(wanted[i], 0), model()->index(wanted[j], lastColumn));
            i = j + 1;
        }
        selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    const int focused = model_.FocusedRow();
    if (focused != currentRow()) {
        selectionModel()->setCurrentIndex(focused >= 0 ? model()->index(focused, 0) : QModelIndex(),
                                          QItemSelectionModel::NoUpdate);
    }
}

void EditableListView::mousePressEvent(QMouseEvent* event) {
    QTableWidget::mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && !(event->modifiers() & Qt::ShiftModifier))
        model_.SetSelectionMark(index.row());
}

void EditableListView::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QTableWidget::keyPressEvent(event);
    // Moving through the rows without Shift takes the mark along, as a click does.
    if (currentRow() != before && currentRow() >= 0 && !(event->modifiers() & Qt::ShiftModifier))
        model_.SetSelectionMark(currentRow());
}

void EditableListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit Clicked();
}

void EditableListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const int column =
        index.isValid() ? index.column() : columnAt(static_cast<int>(event->position().x()));
    model_.OnDoubleClick(index.isValid() ? index.row() : -1, column);
    event->accept();
}

void EditableListView::wheelEvent(QWheelEvent* event) {
    model_.OnScroll();
    QTableWidget::wheelEvent(event);
}

}  // namespace velmor::gui
