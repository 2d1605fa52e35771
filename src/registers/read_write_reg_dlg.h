#pragma once
// The register and flash page (dialog 129): single register writes, register
// group and range reads, the repeating write-and-read-back test, board resets,
// versions, flash writes and reads through the register window, ink timings and
// flash spitting. Every action appends to the page's log.

#include <atomic>
#include <cstdint>
#include <string>

#include "registers/flash_reg.h"
#include "ui/fields.h"
#include "ui/page_context.h"
#include "ui/page_log.h"
#include "ui/page_model.h"
#include "ui/page_worker.h"
#include "ui/tab_page.h"
#include "ui/timer_service.h"

namespace velmor::controller {
class CMainOperation;
struct LogFont;
}  // namespace velmor::controller

namespace velmor::registers {

class CReadWriteRegDlg : public ui::PageModel, public ui::TabPage {
  public:
    static constexpr int kDialogId = 129;
    // Timer 2 drives the write-and-read-back test.
    static constexpr int kTestTimerId = 2;
    // The largest flash transfer the page accepts: the whole 24-bit flash space.
    static constexpr int kMaxFlashLength = 0x1000000;

    explicit CReadWriteRegDlg(const ui::PageContext& context);
    ~CReadWriteRegDlg() override;  // waits for a running flash transfer
    CReadWriteRegDlg(const CReadWriteRegDlg&) = delete;
    CReadWriteRegDlg& operator=(const CReadWriteRegDlg&) = delete;

    // The timers of the page's window; null detaches (ticks then stop arriving).
    void SetTimerService(ui::TimerService* timers);
    void OnInitDialog() override;
    void OnTimer(int id);

    // ---- "主板和喷车板读写" ----
    void OnWriteMbReg();  // 1058
    void OnWriteHbReg();  // 1059
    void OnReadMb();      // 1007
    void OnReadHb();      // 1008
    void OnReadRegs();    // 1042
    void OnToggleTest();  // 1044
    // ---- "版本号和复位操作" ----
    void OnMbReset();          // 1026
    void OnHbReset();          // 1028
    void OnFirmwareReset();    // 1041
    void OnFirmwareVersion();  // 1027
    void OnMbLogic();          // 1029
    void OnHbLogic();          // 1031
    // ---- "Flash 读写": each press runs the transfer on a worker thread. A press
    // while this page's transfer runs is refused (the buttons are disabled then).
    void OnFlashWrite();  // 1015
    void OnFlashRead();   // 1016
    // ---- ink timing, flash spitting, log ----
    void OnSetInkTiming();  // 1061
    void OnFlashSpit();     // 1009
    void OnClearLog();      // 1060

    // The page's log (flash workers append from their threads).
    const ui::PageLog& Log() const { return log_; }
    // Progress of the last flash transfer: percent, or 1000 after a busy time-out.
    int Progress() const { return progress_.load(); }
    // The progress as the page's bar shows it, 0..100.
    int ProgressPercent() const;
    bool FlashRunning() const { return flashWorker_.Running(); }
    // The flash buttons follow the transfer (GUI thread).
    void TakeThreadUpdates() override;
    bool TestRunning() const { return testRunning_; }
    int TestPasses() const { return testPasses_; }
    int TestFailures() const { return testFailures_; }
    std::uint8_t TestValue() const { return testValue_; }
    bool FlashSpitOn() const { return flashSpitOn_; }
    const controller::LogFont& LogFontSpec() const;

    // TabPage
    void ClosePage() override;

    // ---- controls (GUI thread only) ----
    // "主板和喷车板读写"
    ui::TextField mbAddress;    // 1003, hex, 4 characters
    ui::TextField hbAddress;    // 1004, hex, 4 characters
    ui::TextField mbData;       // 1005, hex, 4 characters
    ui::TextField hbData;       // 1006, hex, 4 characters
    ui::TextField readAddress;  // 1032, hex, 4 characters
    ui::TextField readCount;    // 1043, decimal
    ui::ChoiceField headBoard;  // 1039
    ui::TextField testPeriod;   // 1045, ms
    ui::ButtonField writeMbButton{"写主板寄存器"};
    ui::ButtonField writeHbButton{"写喷车板寄存器"};
    ui::ButtonField readRegsButton{"读寄存器"};
    ui::ButtonField readMbButton{"读主板"};
    ui::ButtonField readHbButton{"读喷车板"};
    ui::ButtonField testButton{"开写读定时器"};
    // "版本号和复位操作"
    ui::ButtonField mbResetButton{"MB_RST"};
    ui::ButtonField hbResetButton{"HB_RST"};
    ui::ButtonField firmwareResetButton{"FirmwareReset"};
    ui::ButtonField firmwareButton{"Firmware"};
    ui::ButtonField mbLogicButton{"MB_Logic"};
    ui::ButtonField hbLogicButton{"HB Logic"};
    ui::ButtonField getStatusButton{"Get Status"};  // no action
    // "Flash 读写"
    ui::ChoiceField pattern;     // 1033, pattern kinds 0..4
    ui::TextField flashAddress;  // 1035, hex, 6 characters
    ui::TextField flashLength;   // 1034, decimal unless it carries an x prefix
    ui::ButtonField flashWriteButton{"Write"};
    ui::ButtonField flashReadButton{"Read"};
    // ink timing
    ui::TextField inkSupplyTime;     // 1036, *100ms
    ui::TextField whiteInkInterval;  // 1037, minutes
    ui::TextField whiteInkTime;      // 1038, seconds
    ui::ButtonField setInkTimingButton{"设置"};
    // flash spitting
    ui::ButtonField flashSpitButton{"微噴控制"};
    ui::ChoiceField headType;   // 1010
    ui::ChoiceField frequency;  // 1011
    // log
    ui::ButtonField clearLogButton{"清空"};

  protected:
    void VisibilityChanged() override { Changed(); }

  private:
    void ReadGroup(std::uint16_t base, int count, const std::string& title);
    void WriteOneReg(const ui::TextField& address, const ui::TextField& data,
                     const std::string& title);
    void PulseReset(std::uint16_t reg, const std::string& text);
    void ShowVersion(const std::uint8_t* bytes, const std::string& title);
    void TestTick();
    void StopTest();
    void StartFlash(bool write);
    void RunFlash(bool write, std::uint32_t address, int length, int kind);
    void Append(const std::string& text) { log_.Append(text); }
    void ShowLog() { Changed(); }

    controller::CMainOperation& op_;
    CFlashReg flash_;
    ui::TimerService* timers_ = nullptr;

    ui::PageLog log_;
    std::atomic<int> progress_{0};

    bool testRunning_ = false;
    std::uint8_t testValue_ = 0;
    int testPasses_ = 0;
    int testFailures_ = 0;
    bool flashSpitOn_ = false;

    // Last: its job ends before anything it reaches.
    ui::PageWorker flashWorker_;
};

}  // namespace velmor::registers
