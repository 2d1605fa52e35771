#include "gui/editable_list_view.h"

#include <QHeaderView>
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
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setHighlightSections(false);

    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (!model_.MultiSelect()) model_.SetSelectedRow(row);
    });
    connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
        if (model_.MultiSelect()) model_.SetSelectedRows(SelectedRows());
    });
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
    const auto& columns = model_.Columns();
    setColumnCount(model_.ColumnCount());
    for (int c = 0; c < model_.ColumnCount(); ++c) {
        setHorizontalHeaderItem(c, new QTableWidgetItem(FromModel(columns[c].caption)));
        if (columns[c].width > 0) setColumnWidth(c, columns[c].width);
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
    if (model_.MultiSelect()) {
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        if (SelectedRows() != model_.SelectedRows()) {
            clearSelection();
            for (int row : model_.SelectedRows())
                selectionModel()->select(model()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        return;
    }
    setSelectionMode(QAbstractItemView::SingleSelection);
    const int selected = model_.SelectedRow();
    if (selected != currentRow()) {
        if (selected < 0)
            clearSelection();
        else
            selectRow(selected);
    }
}

std::vector<int> EditableListView::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
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
