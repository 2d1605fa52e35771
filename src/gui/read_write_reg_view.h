#pragma once
// The register and flash page's widgets over its model: fields bound to widgets,
// buttons to the model's handlers, the page log in its pane, the flash progress.

#include <QWidget>

#include "gui/field_binder.h"
#include "registers/read_write_reg_dlg.h"

class QProgressBar;

namespace velmor::gui {

class LogPane;
class ModelBinding;
class QtTimerService;

class ReadWriteRegView : public QWidget {
    Q_OBJECT
  public:
    explicit ReadWriteRegView(registers::CReadWriteRegDlg& model, QWidget* parent = nullptr);
    ~ReadWriteRegView() override;

    // Copies every field of the model to its widget (GUI thread).
    void Refresh();

  private:
    QWidget* BuildRegisterGroup();
    QWidget* BuildVersionGroup();
    QWidget* BuildFlashGroup();
    QWidget* BuildInkTimingGroup();
    QWidget* BuildFlashSpitGroup();
    QWidget* BuildLog();

    registers::CReadWriteRegDlg& model_;
    FieldBinder fields_;
    ModelBinding* binding_ = nullptr;
    QtTimerService* timers_ = nullptr;
    LogPane* log_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

}  // namespace velmor::gui
