#pragma once
// The register and flash page's widgets over its model: fields bound to widgets,
// buttons to the model's handlers, the page log in its pane, the flash progress.

#include "gui/page_view.h"
#include "registers/read_write_reg_dlg.h"

namespace velmor::gui {

class ReadWriteRegView : public PageView {
    Q_OBJECT
  public:
    explicit ReadWriteRegView(registers::CReadWriteRegDlg& model, QWidget* parent = nullptr);
    ~ReadWriteRegView() override;

  private:
    QWidget* BuildRegisterGroup();
    QWidget* BuildVersionGroup();
    QWidget* BuildFlashGroup();
    QWidget* BuildInkTimingGroup();
    QWidget* BuildFlashSpitGroup();
    QWidget* BuildLog();

    registers::CReadWriteRegDlg& model_;
};

}  // namespace velmor::gui
