#pragma once
// The printer configuration page (dialog 130, the tab "固件设置"): the start-up
// configuration as controls, encoded into the "InitDone" commands of the command
// list, kept in .cfg documents, downloaded into the controller's flash as the
// start-up image and read back from it.
//
// Loads, saves, the download and the read-back run on a worker behind the modal
// progress window, so the window repaints; each handler returns once its worker
// has ended, and only then reads the result and shows its message. The fields
// are written on the user-interface thread only; workers touch the controller
// object, the page log and the transfer's progress.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "config/config_page_fields.h"
#include "config/config_texts.h"
#include "config/image_download.h"
#include "config/prt_config_params.h"
#include "controller/cmd_info.h"
#include "registers/flash_reg.h"
#include "ui/fields.h"
#include "ui/page_context.h"
#include "ui/page_hooks.h"
#include "ui/page_log.h"
#include "ui/page_messages.h"
#include "ui/page_model.h"
#include "ui/tab_page.h"

namespace velmor::controller {
class CMainOperation;
struct LogFont;
}  // namespace velmor::controller
namespace velmor::ui {
class DialogService;
}  // namespace velmor::ui

namespace velmor::config {

class CPrtConfigDlg : public ui::PageModel, public ui::TabPage, public ui::ConfigPageHooks {
  public:
    static constexpr int kDialogId = 130;
    // Tick limits of the progress window. The download's window closes as soon as
    // the transfer has ended and opens again while it still runs.
    static constexpr int kLoadTicks = 20;
    static constexpr int kSaveTicks = 30;
    static constexpr int kTransferTicks = 6;

    explicit CPrtConfigDlg(const ui::PageContext& context);
    ~CPrtConfigDlg() override;
    CPrtConfigDlg(const CPrtConfigDlg&) = delete;
    CPrtConfigDlg& operator=(const CPrtConfigDlg&) = delete;

    // Fills the lists, creates the record folder, loads the stored configuration
    // document (or FirstConfig.cfg when no file is at the stored path) and shows it.
    void OnInitDialog() override;
    // ConfigPageHooks: the layout follows the board type; the linked movement page
    // is refreshed after loads and the read-back.
    void OnLayoutMessage() override;
    void LinkMovementPage(ui::TabPage* movementPage) override;
    ui::TabPage* LinkedMovementPage() const { return movementPage_; }

    // ---- buttons ----
    void OnDownFirm();            // "DownFirm"
    void OnReadParams();          // "读取参数"
    void OnInitMovementDesign();  // "初始化动作设计"
    void OnLoadFile();            // "加载文件"
    void OnSave();                // "保存"
    void OnSaveAs();              // "另存为"
    void OnClearLog();            // "清空"
    void OnDefault();             // the hidden "Default": reload the default document
    void OnJetTypeSelChange(int index);

    // ---- operations ----
    // Controls to parameters, then the list update; in the single-board layout the
    // frequency list follows "开闪喷".
    void Encode();
    // Command list to parameters (every group).
    void TakeFromList();
    // Parameters to controls; the head-type rule when "JetType" changed.
    void Decode();
    // Controls on, the 128-byte zero dump into the log, the head-type rule.
    void Refresh();

    const PrtConfigParams& Params() const { return params_; }
    controller::BoardLayout ShownLayout() const { return layout_; }
    const ui::PageLog& Log() const { return log_; }
    const controller::LogFont& LogFontSpec() const;
    const std::string& RecordFolder() const { return recordFolder_; }
    // The running transfer's progress, 0..100 (0 while none runs).
    int TransferPercent() const;

    // ---- controls (user-interface thread only) ----
    ConfigPageFields controls;
    ui::TextField path;  // the current configuration file, in a sunken field
    ui::ButtonField downFirmButton{"DownFirm"};
    ui::ButtonField readParamsButton{"读取参数"};
    ui::ButtonField initMotionButton{"初始化动作设计"};  // opens the command sets
    ui::ButtonField loadButton{"加载文件"};
    ui::ButtonField saveButton{"保存"};
    ui::ButtonField saveAsButton{"另存为"};
    ui::ButtonField clearButton{"清空"};
    ui::ButtonField defaultButton{"Default", true, false};
    ui::ButtonField openFileButton{"OpenFile", true, false};  // hidden, no behaviour
    ui::ButtonField saveFileButton{"SaveFile", true, false};  // hidden, no behaviour

  protected:
    void VisibilityChanged() override { Changed(); }

  private:
    void ApplyFlashFrequencyRule();
    void RefreshMovementPage();
    void SaveTo(const std::string& file, bool withFlashSel);
    void RecordDownload(const DownloadResult& result, std::uint16_t imageCrc);
    std::string FlashMatchLine(const StartImage& flash) const;

    controller::CMainOperation& op_;
    ui::DialogService& dialogs_;
    ui::PageMessages messages_;
    registers::CFlashReg flash_;
    CImageDownload download_;
    std::atomic<bool> transferring_{false};
    ui::PageLog log_;
    PrtConfigParams params_;
    controller::BoardLayout layout_ = controller::BoardLayout::kFiber;
    std::string recordFolder_;
    ui::TabPage* movementPage_ = nullptr;
};

}  // namespace velmor::config
