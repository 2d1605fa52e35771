#include "gui/cell_editor_overlay.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>

#include "gui/field_widgets.h"
#include "motion/movement_page.h"

namespace velmor::gui {

namespace {

using Kind = motion::ListCellEditor::Kind;

QString Suffixed(const char* name, int list) {
    return QString::fromLatin1(name) + QString::number(list);
}

}  // namespace

CellEditorOverlay::CellEditorOverlay(motion::MovementPage& model, int list, QTableWidget* table,
                                     std::function<void()> refresh)
    : QObject(table), model_(model), list_(list), table_(table), refresh_(std::move(refresh)) {
    QWidget* area = table_->viewport();
    number_ = new QLineEdit(area);
    number_->setObjectName(Suffixed("cellNumber", list));
    direction_ = new QComboBox(area);
    direction_->setObjectName(Suffixed("cellDirection", list));
    led_ = new QComboBox(area);
    led_->setObjectName(Suffixed("cellLed", list));
    for (QWidget* editor : {static_cast<QWidget*>(number_), static_cast<QWidget*>(direction_),
                            static_cast<QWidget*>(led_)})
        editor->hide();

    connect(table_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        model_.OnListClick(list_, row, column);
        refresh_();
    });
    connect(number_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.cellEditor.number.text = text.toStdString(); });
    connect(number_, &QLineEdit::editingFinished, this, [this] {
        model_.OnCellNumberKillFocus();
        refresh_();
    });
    connect(direction_, &QComboBox::activated, this, [this](int index) {
        model_.OnCellDirectionSelChange(index);
        refresh_();
    });
    connect(led_, &QComboBox::activated, this, [this](int index) {
        model_.OnCellLedSelChange(index);
        refresh_();
    });
    // The editor stays over its cell while the list scrolls.
    connect(table_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { Refresh(); });
    connect(table_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { Refresh(); });
}

bool CellEditorOverlay::Place(QWidget* editor, bool shown) {
    const motion::ListCellEditor& cell = model_.cellEditor;
    QTableWidgetItem* item = shown ? table_->item(cell.Row(), cell.Column()) : nullptr;
    if (item == nullptr) {
        editor->hide();
        return false;
    }
    editor->setGeometry(table_->visualItemRect(item));
    const bool appeared = editor->isHidden();
    editor->show();
    editor->raise();
    return appeared;
}

void CellEditorOverlay::Refresh() {
    const motion::ListCellEditor& cell = model_.cellEditor;
    Apply(direction_, cell.direction);
    Apply(led_, cell.led);
    if (Place(number_, cell.Shows(list_, Kind::kNumber))) {
        const QSignalBlocker block(number_);
        number_->setText(FromModel(cell.number.text));
        number_->setFocus();
        number_->selectAll();
    }
    Place(direction_, cell.Shows(list_, Kind::kDirection));
    Place(led_, cell.Shows(list_, Kind::kLed));
}

}  // namespace velmor::gui
