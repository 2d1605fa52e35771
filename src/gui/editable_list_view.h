#pragma once
// The report-style list over CEditableListCtrl: columns, cells, the selected rows,
// the focused row and the row colours of the model. Cells are not edited in place
// here (the list's own editors are never shown); double clicks, scrolling and the
// mouse wheel go to the model's handlers. The user's selection goes back to the
// model; a click or a move through the rows by key (without Shift) puts the
// selection mark on its row. Pages that use the list embed this view and may follow Clicked().

#include <QTableWidget>
#include <cstdint>
#include <vector>

namespace velmor::ui {
class CEditableListCtrl;
}

namespace velmor::gui {

class ModelBinding;

class EditableListView : public QTableWidget {
    Q_OBJECT
  public:
    EditableListView(ui::CEditableListCtrl& model, QWidget* parent);

    void Refresh();
    // The width that shows every column without a horizontal scroll bar.
    int FittingWidth() const;

  signals:
    // A click on the list, on a row or not, once the selection has followed it.
    void Clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void ApplySelection();
    std::vector<int> ViewSelectedRows() const;

    ui::CEditableListCtrl& model_;
    ModelBinding* binding_ = nullptr;
    std::uint64_t scrollRevision_ = 0;
};

// 0x00BBGGRR, the colour value the models keep, as a QColor.
QColor ColourFromBgr(std::uint32_t value);

}  // namespace velmor::gui
