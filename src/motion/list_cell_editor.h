#pragma once
// The movement pages' own in-place editors over their list views: a click on a
// cell of column 2 or higher opens the direction combo over column 5, the LED
// combo over column 6 and the number edit over the numeric columns. A choice in
// a combo, or the edit losing the focus, writes the value into the cell and
// closes the editor; the stored list follows at the page's next commit.
// User-interface thread only.

#include <string>

#include "ui/fields.h"

namespace velmor::ui {
class CEditableListCtrl;
}

namespace velmor::motion {

class ListCellEditor {
  public:
    enum class Kind { kNone, kNumber, kDirection, kLed };

    ListCellEditor();

    // A click on (row, column) of `list`, which is list `listIndex` of the page.
    // A click beside the rows or on columns 0 and 1 closes a running edit first.
    void OnClick(ui::CEditableListCtrl& list, int listIndex, int row, int column);
    // The number edit lost the focus: the cell gets "%d" of its integer value.
    void OnNumberKillFocus();
    // A choice in the direction combo: the cell gets "0" ("Orignal") or "1" ("End").
    void OnDirectionSelChange(int index);
    void OnLedSelChange(int index);  // the cell gets the chosen text
    // Hides the editor without writing (the list is about to be refilled).
    void Cancel();

    Kind Editing() const { return kind_; }
    int List() const { return listIndex_; }
    int Row() const { return row_; }
    int Column() const { return column_; }
    // Whether the editor of `kind` is shown over list `listIndex`.
    bool Shows(int listIndex, Kind kind) const {
        return kind_ == kind && kind != Kind::kNone && listIndex_ == listIndex;
    }

    ui::TextField number;
    ui::ChoiceField direction;  // "Orignal", "End"
    ui::ChoiceField led;        // "none", "1"-"9", "A"-"F"

  private:
    void Write(const std::string& text);
    void Close();

    ui::CEditableListCtrl* list_ = nullptr;
    int listIndex_ = -1;
    int row_ = -1;
    int column_ = -1;
    Kind kind_ = Kind::kNone;
};

}  // namespace velmor::motion
