#pragma once
// CEditableListCtrl: a report-style list with per-row background colours and two
// in-place editors of its own, a text box and a drop-down list. The editors are
// only prepared by a double click, never shown by the list itself; the pages
// that use the list edit cells with editors of their own.
//
// Columns c with the drop-down mode on (flag set, modulus m > 0, c mod m == 0)
// use the drop-down list; every other column uses the text box.
//
// Selection as a report list keeps it: each row is selected or not (several at
// once when multiple selection is on), one row has the focus, and the selection
// mark is the row a click or the page marked last (-1 none). Inserting and
// deleting rows moves the focus and the mark with their rows; emptying the list
// clears both.
// User-interface thread only.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/fields.h"
#include "ui/page_model.h"

namespace velmor::ui {

class CEditableListCtrl : public PageModel {
  public:
    static constexpr int kTextBoxId = 20001;
    static constexpr int kDropDownId = 20002;
    static constexpr int kTextLimit = 11;     // characters the text box takes
    static constexpr int kDroppedWidth = 50;  // pixels of the open drop-down list

    struct Column {
        std::string caption;
        int width = 0;
    };
    // Row index → background colour 0x00BBGGRR.
    using RowColours = std::map<std::uint32_t, std::uint32_t>;
    // Message 1025 to the parent after a text edit: (row, column).
    using EditNotifier = std::function<void(int row, int column)>;

    CEditableListCtrl();

    // ---- the list itself ----
    int InsertColumn(int column, std::string caption, int width);
    int InsertItem(int row, std::string text);  // new row with `text` in column 0; its index
    bool SetItemText(int row, int column, std::string text);
    std::string GetItemText(int row, int column) const;  // "" outside the list
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const { return static_cast<int>(rows_.size()); }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const std::vector<Column>& Columns() const { return columns_; }

    // ---- selection ----
    int SelectedRow() const;       // the first selected row, -1 none
    void SetSelectedRow(int row);  // `row` alone selected and focused; -1 clears the selection
    std::vector<int> SelectedRows() const;  // ascending
    bool IsRowSelected(int row) const;
    void SetRowSelected(int row, bool selected);
    void SetSelectedRows(const std::vector<int>& rows);  // exactly these rows (the user's choice)
    int FocusedRow() const { return focusedRow_; }
    void SetFocusedRow(int row);
    int SelectionMark() const { return selectionMark_; }
    void SetSelectionMark(int row);
    // Off on creation: one row at a time, as most pages' lists.
    void SetMultipleSelection(bool on);
    bool MultipleSelection() const { return multipleSelection_; }
    // Asks the view to scroll `row` into view; the revision grows with every request.
    void EnsureVisible(int row);
    int ScrollRow() const { return scrollRow_; }
    std::uint64_t ScrollRevision() const { return scrollRevision_; }

    // ---- editors and drawing ----
    void SetDropDownMode(bool flag, int modulus);
    bool DropDownFlag() const { return dropDownFlag_; }
    int DropDownModulus() const { return dropDownModulus_; }
    bool UsesDropDown(int column) const;
    TextField& TextBox() { return textBox_; }
    const TextField& TextBox() const { return textBox_; }
    bool TextBoxAllSelected() const { return textBoxAllSelected_; }
    ChoiceField& DropDownList() { return dropDown_; }  // pages refill its items
    const ChoiceField& DropDownList() const { return dropDown_; }

    void SetRowColour(std::uint32_t row, std::uint32_t colour) { rowColours_[row] = colour; }
    void ClearRowColour(std::uint32_t row) { rowColours_.erase(row); }
    void ClearRowColours() { rowColours_.clear(); }
    std::optional<std::uint32_t> RowColour(std::uint32_t row) const;
    const RowColours& Colours() const { return rowColours_; }

    void SetEditNotifier(EditNotifier notifier) { notifier_ = std::move(notifier); }
    int EditRow() const { return editRow_; }
    int EditColumn() const { return editColumn_; }

    // ---- handlers ----
    // Double click on (row, column); row -1 when the click hit no row. Returns the
    // notification result, -1.
    int OnDoubleClick(int row, int column);
    // The user typed in the text box: at most kTextLimit characters are kept.
    void OnTextBoxEdited(const std::string& text);
    void OnTextBoxKillFocus();
    void OnDropDownSelChange(int index);
    // Scroll bars and mouse wheel: the list takes the focus first, which ends a
    // running text edit.
    void OnScroll();

  private:
    bool ValidCell(int row, int column) const;
    bool ValidRow(int row) const { return row >= 0 && row < GetItemCount(); }

    std::vector<Column> columns_;
    std::vector<std::vector<std::string>> rows_;
    std::vector<char> selected_;  // one flag per row
    int focusedRow_ = -1;
    int selectionMark_ = -1;
    bool multipleSelection_ = false;
    int scrollRow_ = -1;
    std::uint64_t scrollRevision_ = 0;
    bool dropDownFlag_ = false;
    int dropDownModulus_ = -1;
    TextField textBox_;
    bool textBoxAllSelected_ = false;
    ChoiceField dropDown_;
    RowColours rowColours_;
    EditNotifier notifier_;
    int editRow_ = -1;
    int editColumn_ = -1;
};

// The first `limit` characters of UTF-8 `text` (whole characters, not bytes).
std::string TruncateUtf8(const std::string& text, int limit);

}  // namespace velmor::ui
