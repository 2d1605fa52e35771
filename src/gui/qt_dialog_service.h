#pragma once
// The dialog service of the Qt program: message boxes, questions and file
// dialogs over the given parent window, and the modal progress window. Safe to
// call from worker threads: the dialog then runs on the GUI thread and the
// caller waits for it.

#include <QPointer>
#include <QWidget>

#include "ui/dialog_service.h"

namespace velmor::gui {

class QtDialogService : public ui::DialogService {
  public:
    static constexpr const char* kDefaultCaption = "VelmorTool";

    explicit QtDialogService(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    std::optional<std::string> OpenFile(const ui::FileDialogRequest& request) override;
    std::optional<std::string> SaveFile(const ui::FileDialogRequest& request) override;
    void RunProgress(ui::CMessageDown& dialog) override;
    int RunModal(ui::ModalDialog& dialog) override;

  private:
    // The window a dialog belongs to: the topmost modal dialog while one is open
    // (a message of the set editor sits over the editor), else the given parent.
    QWidget* Parent() const;
    std::optional<std::string> RunFileDialog(const ui::FileDialogRequest& request, bool save);
    std::optional<std::string> ShowFileDialog(const ui::FileDialogRequest& request, bool save);

    QPointer<QWidget> parent_;
};

// "Config Files (*.cfg);;All Files (*)" from the neutral filter list.
QString FilterText(const std::vector<ui::FileFilter>& filters);

}  // namespace velmor::gui
