#pragma once
// The main window (dialog 102) over CVelmorDlg: connection state, device name and
// board type, the tab strip with the page views, "关于", "退出", the version
// label, the menu item of the About box. It runs timer 1 for the model.

#include <QDialog>
#include <QSize>
#include <vector>

#include "gui/field_binder.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabBar;

namespace velmor::shell {
class CVelmorDlg;
}

namespace velmor::gui {

class ModelBinding;
class QtTimerService;

class MainWindow : public QDialog {
    Q_OBJECT
  public:
    // Runs the model's initialisation (which creates the pages), then builds the
    // page views.
    MainWindow(shell::CVelmorDlg& model, QWidget* parent = nullptr);
    ~MainWindow() override;

    void Refresh();
    QWidget* PageView(int index) const;
    // The scroll area page `index` sits in: a page larger than the screen scrolls.
    QScrollArea* PageScroll(int index) const;
    QTabBar* Tabs() const { return tabs_; }

    // "退出", Escape and the close button all end the program the same way.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* BuildTopRow();
    void BuildPages(QWidget* area);
    // Sizes the window once, for the largest page, within the screen's available
    // area, and places it inside that area; changing tabs never resizes it.
    void FitToScreen();
    QSize LargestPageSize() const;

    shell::CVelmorDlg& model_;
    QtTimerService* timers_ = nullptr;
    FieldBinder fields_;
    ModelBinding* binding_ = nullptr;
    QLabel* deviceLabel_ = nullptr;
    QTabBar* tabs_ = nullptr;
    std::vector<QWidget*> pages_;
    std::vector<QScrollArea*> scrolls_;
    bool closing_ = false;
    bool fitted_ = false;
};

}  // namespace velmor::gui
