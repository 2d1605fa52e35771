#pragma once
// The configuration page's widgets over CPrtConfigDlg: the print settings, the
// main-board group and the head-board group (a second column in the fiber
// layout), the buttons, the current file, the log and the transfer's progress.
// The controls of the other layout are hidden, and the head-board group grows
// or shrinks with its second column.

#include "config/prt_config_dlg.h"
#include "gui/page_view.h"

class QGridLayout;

namespace velmor::gui {

class PrtConfigView : public PageView {
    Q_OBJECT
  public:
    explicit PrtConfigView(config::CPrtConfigDlg& model, QWidget* parent = nullptr);
    ~PrtConfigView() override;

  private:
    QWidget* BuildPrintGroup();
    QWidget* BuildMainBoardGroup();
    QWidget* BuildHeadBoardGroup();
    QWidget* BuildHiddenControls();
    QWidget* BuildRightColumn();
    // A caption and a choice in one grid row; the caption hides with the choice.
    void ChoiceRow(QGridLayout* grid, int row, int column, const char* caption,
                   ui::ChoiceField& field, const char* name);

    config::CPrtConfigDlg& model_;
};

}  // namespace velmor::gui
