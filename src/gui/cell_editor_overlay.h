#pragma once
// The movement pages' in-place editors drawn over one of their list views: the
// number edit, the direction combo and the LED combo of the page's cell
// editor, placed over the cell the model is editing and shown only while it
// edits a cell of this list. Clicks on cells, typing, the edit losing the focus
// and combo choices go to the page's handlers.

#include <QObject>
#include <functional>

class QComboBox;
class QLineEdit;
class QTableWidget;
class QWidget;

namespace velmor::motion {
class MovementPage;
}

namespace velmor::gui {

class CellEditorOverlay : public QObject {
    Q_OBJECT
  public:
    // `list`: which list of the page `table` shows; `refresh` is the page
    // view's refresh, run after every handler.
    CellEditorOverlay(motion::MovementPage& model, int list, QTableWidget* table,
                      std::function<void()> refresh);

    void Refresh();

  private:
    // Shows `editor` over the edited cell, or hides it; true when it became visible.
    bool Place(QWidget* editor, bool shown);

    motion::MovementPage& model_;
    const int list_;
    QTableWidget* table_;
    std::function<void()> refresh_;
    QLineEdit* number_ = nullptr;
    QComboBox* direction_ = nullptr;
    QComboBox* led_ = nullptr;
};

}  // namespace velmor::gui
