#include "cleaning/clean_download_dlg.h"

#include <filesystem>
#include <iostream>
#include <system_error>
#include <utility>

#include "cleaning/clean_page_texts.h"
#include "cleaning/machine_models.h"
#include "cleaning/panel_packets.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "history/write_history.h"
#include "ui/dialog_service.h"
#include "ui/message_down.h"
#include "ui/sleeper.h"
#include "ui/work_behind_progress.h"

namespace velmor::cleaning {

namespace {

using commands::CCmdsMag;

// The ink-stack captions: the platform of a lifting station, or the ink stack of
// the models with a head-count choice. The second and third swap meaning with the
// model: for those models the "down" value is the scraping height, which is what
// packet 1 sends in the scraping slot for them.
constexpr std::array<const char*, 7> kPlatformCaptions = {
    "平台闪喷的脉冲", "平台下降的脉冲", "平台刮墨的脉冲", "平台的加速时间",
    "平台吸墨的脉冲", "平台上升的脉冲", "平台的最大速度"};
constexpr std::array<const char*, 7> kInkStackCaptions = {
    "闪喷的墨栈高度",   "刮墨时的墨栈高度", "墨栈下降的高度", "墨栈加速时间",
    "吸墨时的墨栈高度", "待机时墨栈高度",   "墨栈的最大速度"};

// A selection of a list of `count` entries, or -1 for a value no entry has.
int SelectionOf(std::uint8_t value, std::size_t count) {
    return value < count ? static_cast<int>(value) : -1;
}

bool InList(int index, const ui::ChoiceField& list) {
    return index >= 0 && index < static_cast<int>(list.items.size());
}

}  // namespace

CCleanDownloadDlg::CCleanDownloadDlg(const ui::PageContext& context)
    : op_(context.operation),
      dialogs_(context.dialogs),
      messages_(context.dialogs, context.operation.language),
      sleeper_(context.sleeper) {
    // Total travel and the print speeds go to the panel but are not edited here.
    values.travel.visible = false;
    values.xPrintSpeed.visible = false;
    values.yPrintSpeed.visible = false;
}

CCleanDownloadDlg::~CCleanDownloadDlg() = default;

// ---- opening ----

void CCleanDownloadDlg::OnInitDialog() {
    machineModel.items.clear();
    for (const MachineModel& model : kMachineModels) machineModel.items.emplace_back(model.name);
    headCount.items = {"单头", "双头"};
    stackType.items = {"升降式", "划靠式", "固定式"};
    wiperType.items = {"非电磁阀", "电磁阀"};
    motorType.items = {"步进", "直流"};
    for (ui::ChoiceField* list : {&machineModel, &headCount, &stackType, &wiperType, &motorType})
        list->selected = 0;
    for (ui::TextField* field :
         {&values.carWiper2, &values.carScrape2, &values.wiperOut2, &values.wiperIn2})
        field->visible = false;

    CCmdsMag store(op_);
    const std::string file = store.StartDocument(CCmdsMag::PathKind::Cleaning);
    // A missing file loads the defaults; a wrong checksum keeps the values read.
    store.LoadCleanParams(file);
    path.text = file;
    ParamsToControls();
}

// ---- params and controls ----

void CCleanDownloadDlg::ParamsToControls() {
    ShowParams(op_.cleanParams, values);
    ApplyModelRules();
    ApplyHeadRules();
    ApplyStackRules();
    ApplyMotorRules();
    ShowSelections();
    Changed();
}

bool CCleanDownloadDlg::ControlsToParams() {
    controller::CleanParams& params = op_.cleanParams;
    const TakeScope scope{.times = params.byMachineType == kMachineNewPanel,
                          .dcLevels = params.byMotorType == kMotorDc};
    const std::string error = TakeParams(values, scope, op_.language, params);
    if (error.empty()) return true;
    dialogs_.ShowMessage(error, "");
    return false;
}

void CCleanDownloadDlg::ShowSelections() {
    const controller::CleanParams& params = op_.cleanParams;
    const auto model = MachineModelIndex(params.byMachineType);
    machineModel.selected = model ? static_cast<int>(*model) : -1;
    headCount.selected = SelectionOf(params.byMotoHead, headCount.items.size());
    stackType.selected = SelectionOf(params.byStackType, stackType.items.size());
    wiperType.selected = SelectionOf(params.byMotoType, wiperType.items.size());
    motorType.selected = SelectionOf(params.byMotorType, motorType.items.size());
}

// ---- station rules ----

void CCleanDownloadDlg::ApplyModelRules() {
    controller::CleanParams& params = op_.cleanParams;
    const bool tessaly = params.byMachineType == kMachineTessaly;
    const bool newPanel = params.byMachineType == kMachineNewPanel;

    values.flashDistance.visible = params.byMachineType == 0;
    wiperType.visible = !tessaly;
    if (tessaly) {
        params.byMotoType = 0;  // 非电磁阀
        wiperType.selected = 0;
    }
    for (ui::TextField& time : values.times) time.visible = newPanel;

    const bool inkStack = tessaly || newPanel;
    headCount.enabled = inkStack;
    if (!inkStack) {
        params.byMotoHead = kTwoHeads;
        headCount.selected = kTwoHeads;
    }
    const auto& captions = inkStack ? kInkStackCaptions : kPlatformCaptions;
    for (std::size_t i = 0; i < platformLabels.size(); ++i) platformLabels[i].text = captions[i];
}

void CCleanDownloadDlg::ApplyHeadRules() {
    const bool twoHeads = op_.cleanParams.byMotoHead == kTwoHeads;
    for (ui::TextField* field :
         {&values.carWiper2, &values.carScrape2, &values.wiperOut2, &values.wiperIn2})
        field->visible = twoHeads;
}

void CCleanDownloadDlg::ApplyStackRules() {
    const bool lifting = op_.cleanParams.byStackType == kStackLifting;
    for (ui::TextField* field :
         {&values.platformFlash, &values.platformDown, &values.platformScrape, &values.platformAcc,
          &values.platformSuck, &values.platformUp, &values.platformSpeed})
        field->visible = lifting;
    for (ui::TextField& label : platformLabels) label.visible = lifting;
    values.cleanPos.visible = !lifting;
}

void CCleanDownloadDlg::ApplyMotorRules() {
    const bool dc = op_.cleanParams.byMotorType == kMotorDc;
    for (ui::TextField* field :
         {&values.carAccTime, &values.carSpeed, &values.xGear, &values.xManualSpeed})
        field->visible = !dc;
    for (ui::TextField* field : {&values.dcCleanEnd, &values.dcStart, &values.dcLowEnd,
                                 &values.dcMidEnd, &values.dcLowFrequency, &values.dcMidFrequency})
        field->visible = dc;
}

// ---- list changes ----

void CCleanDownloadDlg::OnModelSelChange(int index) {
    if (!InList(index, machineModel)) return;
    machineModel.selected = index;
    const MachineModel& model = kMachineModels[static_cast<std::size_t>(index)];
    op_.cleanParams.byMachineType = model.code;
    ApplyModelRules();
    ApplyHeadRules();
    Changed();
    if (!model.notice.empty()) dialogs_.ShowMessage(std::string(model.notice), "");
}

void CCleanDownloadDlg::OnHeadCountSelChange(int index) {
    if (!InList(index, headCount)) return;
    headCount.selected = index;
    op_.cleanParams.byMotoHead = static_cast<std::uint8_t>(index);
    ApplyHeadRules();
    Changed();
}

void CCleanDownloadDlg::OnStackTypeSelChange(int index) {
    if (!InList(index, stackType)) return;
    stackType.selected = index;
    op_.cleanParams.byStackType = static_cast<std::uint8_t>(index);
    ApplyStackRules();
    Changed();
}

void CCleanDownloadDlg::OnWiperTypeSelChange(int index) {
    if (!InList(index, wiperType)) return;
    wiperType.selected = index;
    op_.cleanParams.byMotoType = static_cast<std::uint8_t>(index);
    Changed();
}

void CCleanDownloadDlg::OnMotorTypeSelChange(int index) {
    if (!InList(index, motorType)) return;
    motorType.selected = index;
    op_.cleanParams.byMotorType = static_cast<std::uint8_t>(index);
    ApplyMotorRules();
    Changed();
}

// ---- files ----

namespace {

// The dialogs open in the record folder with the name "*.cfg" filled in.
ui::FileDialogRequest CleaningFileRequest(const std::string& programFolder) {
    return ui::DocumentFileRequest(CCmdsMag::RecordFolder(programFolder) + "*.cfg");
}

}  // namespace

void CCleanDownloadDlg::OnSave() {
    if (!ControlsToParams()) return;
    const std::string file = CCmdsMag(op_).GetStoredPath(CCmdsMag::PathKind::Cleaning);
    if (file.empty()) {
        messages_.Failure(kPathMissingText);
        return;
    }
    SaveTo(file);
}

void CCleanDownloadDlg::OnSaveAs() {
    const std::optional<std::string> file =
        dialogs_.SaveFile(CleaningFileRequest(op_.programFolder));
    if (!file) return;
    if (!ControlsToParams()) return;
    path.text = *file;
    Changed();
    SaveTo(*file);
}

void CCleanDownloadDlg::SaveTo(const std::string& file) {
    op_.cleanSaveDone = 0;
    bool saved = false;
    ui::RunBehindProgress(dialogs_, op_,
                          {ui::ProgressMessage(ui::ProgressKind::Saving, op_.language),
                           ui::CMessageDown::kWatchCleanSaveDone, kSaveTicks},
                          [&] {
                              saved = CCmdsMag(op_).SaveCleanParams(file);
                              op_.cleanSaveDone = 1;
                          });
    // The flag says the worker ended; a file that could not be written is a failure.
    if (op_.cleanSaveDone != 0 && saved) {
        messages_.Success(kSaveCompleteText);
    } else {
        messages_.Failure(kSaveFailText);
    }
}

void CCleanDownloadDlg::OnLoadFile() {
    const std::optional<std::string> file =
        dialogs_.OpenFile(CleaningFileRequest(op_.programFolder));
    if (!file) return;
    CCmdsMag(op_).SetStoredPath(*file, CCmdsMag::PathKind::Cleaning);
    path.text = *file;
    Changed();

    op_.loadDone = 0;
    ui::RunBehindProgress(dialogs_, op_,
                          {ui::ProgressMessage(ui::ProgressKind::Loading, op_.language),
                           ui::CMessageDown::kWatchLoadDone, kLoadTicks},
                          [&] {
                              if (CCmdsMag(op_).LoadCleanParams(*file)) op_.loadDone = 1;
                          });
    ParamsToControls();
    if (op_.loadDone != 0) {
        messages_.Success(kLoadSucceededText);
    } else {
        messages_.Failure(kLoadFailedText);
    }
}

// ---- the control panel ----

void CCleanDownloadDlg::OnDownload() {
    if (!ControlsToParams()) return;
    const controller::CleanParams params = op_.cleanParams;
    // A set that does not pass, or no connection: said at once, without a window.
    if (std::optional<PanelOutcome> refused = PanelDownload(op_, *sleeper_).Refusal(params)) {
        lastPanel_ = std::move(*refused);
        dialogs_.ShowMessage(lastPanel_.message, lastPanel_.caption);
        return;
    }
    RunPanelWork("panel download",
                 [&params](PanelDownload& download) { return download.Download(params); });
}

void CCleanDownloadDlg::OnInitSkip() {
    RunPanelWork("init skip", [](PanelDownload& download) { return download.InitSkip(); });
}

void CCleanDownloadDlg::RunPanelWork(const char* operation,
                                     const std::function<PanelOutcome(PanelDownload&)>& work) {
    lastPanel_ =
        ui::RunBehindProgress(dialogs_, op_,
                              {ui::ProgressMessage(ui::ProgressKind::Downloading, op_.language),
                               ui::CMessageDown::kWatchNone, kPanelTicks, true},
                              [&] {
                                  PanelDownload download(op_, *sleeper_);
                                  return work(download);
                              });
    // The page has no log: a write that cannot be recorded is said with the
    // outcome's message, and on standard error.
    std::string message = lastPanel_.message;
    const bool withFile = std::string(operation) == "panel download";
    if (const std::optional<std::string> failed =
            history::RecordWrite(op_, {operation, withFile ? path.text : std::string(),
                                       withFile ? history::FileCrc(path.text) : std::nullopt,
                                       std::nullopt, PanelHistoryResult(lastPanel_), 1})) {
        message += "\n" + *failed;
        std::cerr << op_.programName << ": " << *failed << "\n";
    }
    dialogs_.ShowMessage(message, lastPanel_.caption);
}

}  // namespace velmor::cleaning
