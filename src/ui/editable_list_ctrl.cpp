#include "ui/editable_list_ctrl.h"

#include <algorithm>
#include <utility>

namespace velmor::ui {

CEditableListCtrl::CEditableListCtrl() {
    // Both editors exist from the start, with an empty rectangle: not on screen.
    textBox_.visible = false;
    dropDown_.visible = false;
    dropDown_.items = {"0x10", "0x11", "0x12", "0x20", "0x21", "0x22", "0x30", "0x31"};
}

int CEditableListCtrl::InsertColumn(int column, std::string caption, int width) {
    column = std::clamp(column, 0, ColumnCount());
    columns_.insert(columns_.begin() + column, Column{std::move(caption), width});
    for (auto& cells : rows_) {
        if (column <= static_cast<int>(cells.size())) cells.insert(cells.begin() + column, "");
    }
    Changed();
    return column;
}

int CEditableListCtrl::InsertItem(int row, std::string text) {
    row = std::clamp(row, 0, GetItemCount());
    std::vector<std::string> cells(std::max(ColumnCount(), 1));
    cells[0] = std::move(text);
    rows_.insert(rows_.begin() + row, std::move(cells));
    selected_.insert(selected_.begin() + row, 0);
    // The focus and the mark stay with their rows.
    if (focusedRow_ >= row) ++focusedRow_;
    if (selectionMark_ >= row) ++selectionMark_;
    Changed();
    return row;
}

bool CEditableListCtrl::SetItemText(int row, int column, std::string text) {
    if (!ValidCell(row, column)) return false;
    rows_[row][column] = std::move(text);
    Changed();
    return true;
}

std::string CEditableListCtrl::GetItemText(int row, int column) const {
    return ValidCell(row, column) ? rows_[row][column] : std::string();
}

bool CEditableListCtrl::DeleteItem(int row) {
    if (row < 0 || row >= GetItemCount()) return false;
    rows_.erase(rows_.begin() + row);
    selected_.erase(selected_.begin() + row);
    const auto follow = [row](int& index) {
        if (index == row)
            index = -1;
        else if (index > row)
            --index;
    };
    follow(focusedRow_);
    follow(selectionMark_);
    Changed();
    return true;
}

void CEditableListCtrl::DeleteAllItems() {
    rows_.clear();
    selected_.clear();
    focusedRow_ = -1;
    selectionMark_ = -1;
    Changed();
}

int CEditableListCtrl::SelectedRow() const {
    const auto it = std::find(selected_.begin(), selected_.end(), 1);
    return it == selected_.end() ? -1 : static_cast<int>(it - selected_.begin());
}

void CEditableListCtrl::SetSelectedRow(int row) {
    std::fill(selected_.begin(), selected_.end(), 0);
    if (ValidRow(row)) {
        selected_[row] = 1;
        focusedRow_ = row;
    }
    Changed();
}

std::vector<int> CEditableListCtrl::SelectedRows() const {
    std::vector<int> rows;
    for (int r = 0; r < GetItemCount(); ++r) {
        if (selected_[r]) rows.push_back(r);
    }
    return rows;
}

bool CEditableListCtrl::IsRowSelected(int row) const { return ValidRow(row) && selected_[row]; }

void CEditableListCtrl::SetRowSelected(int row, bool selected) {
    if (!ValidRow(row)) return;
    // A single-selection list gives up its other selected row.
    if (selected && !multipleSelection_) std::fill(selected_.begin(), selected_.end(), 0);
    selected_[row] = selected ? 1 : 0;
    Changed();
}

void CEditableListCtrl::SetSelectedRows(const std::vector<int>& rows) {
    std::fill(selected_.begin(), selected_.end(), 0);
    for (int row : rows) {
        if (!ValidRow(row)) continue;
        selected_[row] = 1;
        if (!multipleSelection_) break;
    }
    Changed();
}

void CEditableListCtrl::SetFocusedRow(int row) {
    focusedRow_ = ValidRow(row) ? row : -1;
    Changed();
}

void CEditableListCtrl::SetSelectionMark(int row) {
    selectionMark_ = ValidRow(row) ? row : -1;
    Changed();
}

void CEditableListCtrl::SetMultipleSelection(bool on) {
    multipleSelection_ = on;
    Changed();
}

void CEditableListCtrl::EnsureVisible(int row) {
    if (!ValidRow(row)) return;
    scrollRow_ = row;
    ++scrollRevision_;
    Changed();
}

void CEditableListCtrl::SetDropDownMode(bool flag, int modulus) {
    dropDownFlag_ = flag;
    dropDownModulus_ = modulus;
}

bool CEditableListCtrl::UsesDropDown(int column) const {
    return dropDownFlag_ && dropDownModulus_ > 0 && column >= 0 && column % dropDownModulus_ == 0;
}

std::optional<std::uint32_t> CEditableListCtrl::RowColour(std::uint32_t row) const {
    auto it = rowColours_.find(row);
    if (it == rowColours_.end()) return std::nullopt;
    return it->second;
}

int CEditableListCtrl::OnDoubleClick(int row, int column) {
    textBox_.visible = false;
    dropDown_.visible = false;
    if (row >= 0) {
        editRow_ = row;
        editColumn_ = column;
        if (!UsesDropDown(column)) {
            textBox_.text = GetItemText(row, column);
            textBoxAllSelected_ = true;
        }
    }
    Changed();
    return -1;
}

void CEditableListCtrl::OnTextBoxEdited(const std::string& text) {
    textBox_.text = TruncateUtf8(text, kTextLimit);
    textBoxAllSelected_ = false;
}

void CEditableListCtrl::OnTextBoxKillFocus() {
    const std::string text = textBox_.text;
    if (!UsesDropDown(editColumn_)) textBox_.visible = false;
    const int row = editRow_;
    const int column = editColumn_;
    // The remembered cell may have gone with a refill of the list meanwhile.
    if (ValidCell(row, column)) rows_[row][column] = text;
    if (row >= 0 && notifier_) notifier_(row, column);
    editRow_ = -1;
    editColumn_ = -1;
    textBox_.text.clear();
    textBoxAllSelected_ = false;
    Changed();
}

void CEditableListCtrl::OnDropDownSelChange(int index) {
    dropDown_.selected = index;
    if (ValidCell(editRow_, editColumn_)) rows_[editRow_][editColumn_] = dropDown_.SelectedText();
    Changed();
}

void CEditableListCtrl::OnScroll() {
    if (textBox_.visible) OnTextBoxKillFocus();
}

bool CEditableListCtrl::ValidCell(int row, int column) const {
    return row >= 0 && row < GetItemCount() && column >= 0 &&
           column < static_cast<int>(rows_[row].size());
}

std::string TruncateUtf8(const std::string& text, int limit) {
    std::size_t pos = 0;
    int count = 0;
    while (pos < text.size() && count < limit) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        std::size_t length = lead < 0x80    ? 1
                             : lead >= 0xF0 ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC0 ? 2
                                            : 1;
        pos = std::min(pos + length, text.size());
        ++count;
    }
    return text.substr(0, pos);
}

}  // namespace velmor::ui
