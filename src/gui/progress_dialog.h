#pragma once
// The progress window's widgets over CMessageDown: a frameless popup with one
// text. The model's tick thread adds the dots and asks for the close; this view
// shows the text and closes when asked. Closing early (Escape) stops the model's
// tick thread before the window goes.

#include <QDialog>

class QLabel;

namespace velmor::ui {
class CMessageDown;
}

namespace velmor::gui {

class ModelBinding;

class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    ProgressDialog(ui::CMessageDown& model, QWidget* parent);
    ~ProgressDialog() override;

    QString Text() const;

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Refresh();

    ui::CMessageDown& model_;
    QLabel* text_ = nullptr;
    ModelBinding* binding_ = nullptr;
    bool opened_ = false;
};

}  // namespace velmor::gui
