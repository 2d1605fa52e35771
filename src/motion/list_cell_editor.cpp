#include "motion/list_cell_editor.h"

#include <algorithm>

#include "motion/motion_list_rows.h"
#include "motion/motor_channel.h"
#include "numbers/number_text.h"
#include "ui/editable_list_ctrl.h"

namespace velmor::motion {

ListCellEditor::ListCellEditor() {
    direction.items = {std::string(kDirectionOrigin), std::string(kDirectionEnd)};
    led.items = {"none", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F"};
    direction.selected = 0;
    led.selected = 0;
    number.visible = false;
    direction.visible = false;
    led.visible = false;
}

void ListCellEditor::OnClick(ui::CEditableListCtrl& list, int listIndex, int row, int column) {
    // Clicking elsewhere takes the focus from a running number edit.
    if (kind_ == Kind::kNumber) OnNumberKillFocus();
    Close();
    if (row < 0 || row >= list.GetItemCount() || column < kColumnAccelSteps ||
        column >= list.ColumnCount())
        return;

    list_ = &list;
    listIndex_ = listIndex;
    row_ = row;
    column_ = column;
    const std::string cell = list.GetItemText(row, column);
    if (column == kColumnDirection) {
        kind_ = Kind::kDirection;
        direction.selected = cell == "0" ? 0 : 1;
        direction.visible = true;
    } else if (column == kColumnLed) {
        kind_ = Kind::kLed;
        const auto it = std::find(led.items.begin(), led.items.end(), cell);
        led.selected = it != led.items.end() ? static_cast<int>(it - led.items.begin()) : 0;
        led.visible = true;
    } else {
        kind_ = Kind::kNumber;
        number.text = cell;
        number.visible = true;
    }
}

void ListCellEditor::OnNumberKillFocus() {
    if (kind_ != Kind::kNumber) return;
    Write(std::to_string(numbers::FieldDecimal(number.text)));
    Close();
}

void ListCellEditor::OnDirectionSelChange(int index) {
    if (kind_ != Kind::kDirection || index < 0 || index >= static_cast<int>(direction.items.size()))
        return;
    direction.selected = index;
    // The cell keeps the list's own form of a direction: "0" or "1".
    Write(DirectionCell(direction.SelectedText()));
    Close();
}

void ListCellEditor::OnLedSelChange(int index) {
    if (kind_ != Kind::kLed || index < 0 || index >= static_cast<int>(led.items.size())) return;
    led.selected = index;
    Write(led.SelectedText());
    Close();
}

void ListCellEditor::Cancel() { Close(); }

void ListCellEditor::Write(const std::string& text) {
    if (list_) list_->SetItemText(row_, column_, text);
}

void ListCellEditor::Close() {
    kind_ = Kind::kNone;
    list_ = nullptr;
    listIndex_ = -1;
    row_ = -1;
    column_ = -1;
    number.visible = false;
    direction.visible = false;
    led.visible = false;
}

}  // namespace velmor::motion
