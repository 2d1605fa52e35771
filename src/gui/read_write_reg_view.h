#pragma once
// The register and flash page's widgets over its model: copies the model's
// fields to the widgets on the GUI thread, copies edits back and calls the
// model's handlers. The log view is read-only, blue, in the model's log font,
// and follows the end of the log.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "registers/read_write_reg_dlg.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace velmor::gui {

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
    using Handler = void (registers::CReadWriteRegDlg::*)();

    QWidget* BuildRegisterGroup();
    QWidget* BuildVersionGroup();
    QWidget* BuildFlashGroup();
    QWidget* BuildInkTimingGroup();
    QWidget* BuildFlashSpitGroup();
    QWidget* BuildLog();

    QLineEdit* Text(ui::TextField& field, const char* name, int maxLength = 0);
    QComboBox* Choice(ui::ChoiceField& field, const char* name,
                      const char* captionContext = nullptr);
    // `gate`, when given, must also hold for the button to be enabled.
    QPushButton* Button(ui::ButtonField& field, const char* name, Handler handler,
                        std::function<bool()> gate = {});
    void RefreshLog();

    registers::CReadWriteRegDlg& model_;
    ModelBinding* binding_ = nullptr;
    QtTimerService* timers_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::vector<std::function<void()>> refreshers_;  // one per bound widget
    std::uint64_t shownClears_ = 0;
    std::size_t shownSize_ = 0;
    std::uint64_t shownRevision_ = ~std::uint64_t{0};
};

}  // namespace velmor::gui
