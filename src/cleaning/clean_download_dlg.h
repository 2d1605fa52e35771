#pragma once
// The cleaning settings page (dialog 157, the tab "清洗设置", hosted only when the
// language is exactly Chinese): edits the cleaning set of the controller object, keeps it
// in a cleaning file, downloads it to the printer's control panel and performs
// the initialisation skip.
//
// The station lists (machine model, head count, 墨栈类型, 刮片类型, 电机类型) change
// the set as soon as a selection changes, and decide which fields are shown.
// Save, save as and load run on a worker behind the progress window; so do the
// panel download and the initialisation skip, whose transfers and pauses would
// otherwise freeze the window. Every handler returns once its worker has ended,
// so the set is never touched by two threads at once.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "cleaning/clean_param_fields.h"
#include "cleaning/panel_download.h"
#include "cleaning/panel_messages.h"
#include "ui/fields.h"
#include "ui/page_context.h"
#include "ui/page_messages.h"
#include "ui/page_model.h"
#include "ui/tab_page.h"

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::ui {
class DialogService;
class Sleeper;
}  // namespace velmor::ui

namespace velmor::cleaning {

class CCleanDownloadDlg : public ui::PageModel, public ui::TabPage {
  public:
    static constexpr int kDialogId = 157;
    // Tick limits of the progress window.
    static constexpr int kSaveTicks = 25;
    static constexpr int kLoadTicks = 20;
    // The panel exchanges end within a few seconds even when every transfer
    // times out; the window waits up to ten.
    static constexpr int kPanelTicks = 20;

    explicit CCleanDownloadDlg(const ui::PageContext& context);
    ~CCleanDownloadDlg() override;
    CCleanDownloadDlg(const CCleanDownloadDlg&) = delete;
    CCleanDownloadDlg& operator=(const CCleanDownloadDlg&) = delete;

    // Fills the lists, finds the cleaning file (the stored cleaning path, or
    // FirstConfig.cfg in the record folder when no file is there), reads the set
    // from it and shows it.
    void OnInitDialog() override;

    // ---- list changes (the selected index) ----
    void OnModelSelChange(int index);
    void OnHeadCountSelChange(int index);
    void OnStackTypeSelChange(int index);
    void OnWiperTypeSelChange(int index);
    void OnMotorTypeSelChange(int index);

    // ---- buttons ----
    void OnSave();      // 保存
    void OnSaveAs();    // 另保存
    void OnLoadFile();  // 加载文件
    void OnDownload();  // 下载参数
    void OnInitSkip();  // 初始化跳过

    // The set to the controls, the station rules applied.
    void ParamsToControls();
    // The controls to the set; false, after saying which field is wrong, when a
    // text does not fit its value (the set is then unchanged).
    bool ControlsToParams();

    // What the last download or initialisation skip met, frame by frame.
    const PanelOutcome& LastPanelOutcome() const { return lastPanel_; }

    // ---- controls (GUI thread only) ----
    ui::ChoiceField machineModel;
    ui::ChoiceField headCount;  // 单头, 双头
    ui::ChoiceField stackType;  // 墨栈类型
    ui::ChoiceField wiperType;  // 刮片类型
    ui::ChoiceField motorType;  // 电机类型
    CleanParamFields values;
    // The captions of the seven ink-stack fields, in the order of CleanParamFields
    // (flash, down, scrape, acceleration, suck, up, speed): they name the platform
    // or the ink stack depending on the machine model.
    std::array<ui::TextField, 7> platformLabels;
    ui::TextField path;  // the current file, in a sunken field
    ui::ButtonField saveButton{"保存"};
    ui::ButtonField saveAsButton{"另保存"};
    ui::ButtonField loadButton{"加载文件"};
    ui::ButtonField downloadButton{"下载参数"};
    ui::ButtonField initSkipButton{"初始化跳过"};

  protected:
    void VisibilityChanged() override { Changed(); }

  private:
    void ApplyModelRules();
    void ApplyHeadRules();
    void ApplyStackRules();
    void ApplyMotorRules();
    void ShowSelections();

    void SaveTo(const std::string& file);
    void RunPanelWork(const char* operation,
                      const std::function<PanelOutcome(PanelDownload&)>& work);

    controller::CMainOperation& op_;
    ui::DialogService& dialogs_;
    ui::PageMessages messages_;
    // The pauses between a frame and its reply.
    ui::Sleeper* sleeper_;
    PanelOutcome lastPanel_;
};

}  // namespace velmor::cleaning
