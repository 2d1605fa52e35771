#pragma once
// The widgets of a movement page over its model (both layouts): the motor
// choice with its fields, the X DC motor (main-board page), the settings
// combos per motor with the Y0/Y1 boxes, the LED, gear ratio and board, the
// two lists with their radio buttons, add and delete buttons and in-place
// editors, and the test controls with the status field. The two pages' views
// derive from it; which groups appear follows the model's layout.

#include "gui/page_view.h"

class QGridLayout;
class QPlainTextEdit;

namespace velmor::motion {
class MovementPage;
struct SettingsGroup;
}  // namespace velmor::motion

namespace velmor::gui {

class CellEditorOverlay;
class EditableListView;

class MovementPageView : public PageView {
    Q_OBJECT
  public:
    ~MovementPageView() override;

  protected:
    MovementPageView(motion::MovementPage& model, const char* objectName, QWidget* parent);
    void RefreshMore() override;

  private:
    QWidget* BuildMotors();
    QWidget* BuildXdcMotor();
    QWidget* BuildSettings();
    void AddSettingsRow(QGridLayout* grid, int row, motion::SettingsGroup& group);
    QWidget* BuildStepRow();
    QWidget* BuildTest();
    QWidget* BuildList(int list);
    QString Text(const char* chinese) const;

    motion::MovementPage& model_;
    QPlainTextEdit* status_ = nullptr;
    EditableListView* lists_[2] = {};
    CellEditorOverlay* editors_[2] = {};
};

}  // namespace velmor::gui
