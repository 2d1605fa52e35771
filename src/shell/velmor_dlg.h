#pragma once
// CVelmorDlg (dialog 102): the main window's model. It holds the connection state
// line, the device-name and board-type selectors and the tab host with the pages,
// runs the one-second connection check that opens the controller and keeps the
// connected flag of the controller object current, and answers the messages of
// the tab host and the pages (2045, 2046, 2047, 2049).
//
// User-interface thread only; the listener fires after every handler that
// changed a field.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controller/board_layout.h"
#include "shell/about_dlg.h"
#include "ui/dlg_tab_ctrl.h"
#include "ui/fields.h"
#include "ui/page_model.h"
#include "ui/sleeper.h"
#include "ui/window_messages.h"

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::usb {
class UsbDriver;
}
namespace velmor::ui {
class DialogService;
class TimerService;
}  // namespace velmor::ui

namespace velmor::shell {

class CVelmorDlg : public ui::PageModel, public ui::WindowMessageReceiver {
  public:
    static constexpr int kDialogId = 102;
    static constexpr int kConnectionTimerId = 1;
    static constexpr int kConnectionPeriodMs = 1000;
    static constexpr int kReopenPauseMs = 100;
    static constexpr const char* kCaption = "VelmorTool  V1.000.001.037";
    static constexpr const char* kVersionLabel = "V2.0.0519.0(Inside)";

    // `driver` is what the USB device object talks to (the simulator, or a
    // backend for real devices); it must outlive the controller object's device.
    CVelmorDlg(controller::CMainOperation& operation, usb::UsbDriver& driver,
               ui::DialogService& dialogs);
    ~CVelmorDlg() override;  // stops timer 1
    CVelmorDlg(const CVelmorDlg&) = delete;
    CVelmorDlg& operator=(const CVelmorDlg&) = delete;

    // Timer 1 goes through this; without one the connection check only runs when
    // OnTimer is called.
    void SetTimerService(ui::TimerService* timers) { timers_ = timers; }
    // The pause after closing a device before reopening it.
    void SetSleeper(ui::Sleeper& sleeper) { sleeper_ = &sleeper; }
    // Told the board type whenever the window sets it (2046) and once at the end
    // of OnInitDialog: the program lets a simulated controller follow it.
    void SetBoardTypeObserver(std::function<void(std::uint8_t)> observer) {
        boardTypeObserver_ = std::move(observer);
    }

    // ---- handlers ----
    void OnInitDialog();
    void OnTimer(int id);  // any timer runs the connection check
    bool ConnectAttempt();
    void ConnectionCheck();
    void OnWindowMessage(int message) override;  // 2045, 2046, 2047, 2049
    // Posts 2046; on the movement tab the page of the new board type takes over
    // the lists at once.
    void OnBoardTypeSelChange(int index);
    void OnTabClick(int focusedTab);
    void OnDeviceNameLabelClick();  // toggles the version label
    void OnAbout();                 // "关于" and the window menu item: the About box, modally
    void OnExit();                  // "退出"

    // ---- fields ----
    std::string caption = kCaption;
    ui::TextField statusLine;    // 1032
    ui::ChoiceField deviceName;  // 1033
    ui::ChoiceField boardType;   // 1034
    ui::TextField versionLabel;  // 1101
    std::vector<std::string> tabCaptions;
    CAboutDlg about;
    bool ended = false;  // "退出": the view closes the window

    bool Attached() const { return attached_; }
    int DeviceIndex() const { return deviceIndex_; }
    ui::CDlgTabCtrl& TabHost() { return tabHost_; }
    const ui::CDlgTabCtrl& TabHost() const { return tabHost_; }
    controller::CMainOperation& Operation() { return operation_; }
    // The movement page the configuration page follows (145 or 148), or null.
    ui::TabPage* LinkedMovementPage() const { return linkedMovement_; }

  private:
    bool English() const;
    void CreateTabs();
    void SetStatus(bool connected);
    void SelectBoardTypeItem();
    void SetBoardTypeFromSelector();
    void ShowMovementPageOfSelector();
    void LinkConfigPage(ui::TabPage* movementPage);
    std::optional<controller::BoardLayout> LayoutOfSelector() const;
    ui::TabPage* MovementPageOfSelector() const;
    void HandOverMovementLists(ui::TabPage* before);

    controller::CMainOperation& operation_;
    usb::UsbDriver& driver_;
    ui::DialogService& dialogs_;
    ui::TimerService* timers_ = nullptr;
    std::function<void(std::uint8_t)> boardTypeObserver_;
    ui::Sleeper* sleeper_ = &ui::DefaultSleeper();
    ui::CDlgTabCtrl tabHost_;
    ui::TabPage* configPage_ = nullptr;
    ui::TabPage* linkedMovement_ = nullptr;
    bool attached_ = false;
    int deviceIndex_ = -1;
    bool timerRunning_ = false;
};

// Board-type selector texts in item order: 0 "Mainboard", 1 "DoubleFiber", 2 "FourFiber".
const std::vector<std::string>& BoardTypeNames();

}  // namespace velmor::shell
