#pragma once
// The About box (dialog 100) over its texts.

#include <QDialog>

namespace velmor::shell {
struct CAboutDlg;
}

namespace velmor::gui {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    AboutDialog(const shell::CAboutDlg& model, QWidget* parent);
};

}  // namespace velmor::gui
