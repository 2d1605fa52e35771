#pragma once
// The report-style list over CEditableListCtrl: columns, cells, the selected row
// (or rows, when the model allows several) and the row colours of the model. Cells are not edited
// in place here (the list's own editors are never shown); double clicks, scrolling and the mouse
// wheel go to the model's handlers. Pages that use the list embed this view.

#include <QTableWidget>
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
    // The rows selected in the view, ascending.
    std::vector<int> SelectedRows() const;

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    ui::CEditableListCtrl& model_;
    ModelBinding* binding_ = nullptr;
};

// 0x00BBGGRR, the colour value the models keep, as a QColor.
QColor ColourFromBgr(std::uint32_t value);

}  // namespace velmor::gui
