#include "config/prt_config_dlg.h"

#include <filesystem>
#include <optional>

#include "commands/cmds_mag.h"
#include "commands/store_document.h"
#include "config/command_list_update.h"
#include "config/config_encoding.h"
#include "config/config_preparation.h"
#include "config/system_disk.h"
#include "controller/main_operation.h"
#include "motion/motion_builder.h"
#include "motion/motion_reader.h"
#include "ui/dialog_service.h"
#include "ui/message_down.h"
#include "ui/modal_dialog.h"
#include "ui/work_behind_progress.h"

namespace velmor::config {

namespace {

using commands::CCmdsMag;

constexpr const char* kFileDialogTitle = "打开自定义文件";
constexpr const char* kFileTypeName = "文件类型";
constexpr const char* kAllFilesName = "所有文件";

ui::FileDialogRequest ConfigFileRequest(const std::string& recordFolder) {
    ui::FileDialogRequest request;
    request.title = kFileDialogTitle;
    // "*" is what "*.*" means where the file type list comes from.
    request.filters = {{kFileTypeName, {"*.cfg"}}, {kAllFilesName, {"*"}}};
    request.defaultExtension = "cfg";
    request.initialPath = recordFolder;
    return request;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() &&
           std::filesystem::is_regular_file(commands::StoreDocument::ResolveFileName(path), error);
}

}  // namespace

CPrtConfigDlg::CPrtConfigDlg(controller::CMainOperation& op, ui::DialogService& dialogs,
                             CommandSetsFactory commandSets)
    : op_(op),
      dialogs_(dialogs),
      commandSets_(std::move(commandSets)),
      flash_(op),
      download_(op, flash_) {
    initMotionButton.enabled = static_cast<bool>(commandSets_);
    // The transfer's stages move the page's progress bar.
    download_.SetProgressListener([this] { Changed(); });
}

CPrtConfigDlg::~CPrtConfigDlg() = default;

const controller::LogFont& CPrtConfigDlg::LogFontSpec() const { return op_.logFont; }

std::string CPrtConfigDlg::Text(const BilingualText& text) const {
    return config::Text(text, op_.language);
}

void CPrtConfigDlg::ShowSuccess(const BilingualText& text) {
    dialogs_.ShowMessage(ui::SuccessText(Text(text)), std::string(ui::kSuccessCaption));
}

void CPrtConfigDlg::ShowFailure(const BilingualText& text) { dialogs_.ShowMessage(Text(text), ""); }

int CPrtConfigDlg::TransferPercent() const {
    return transferring_.load() ? OverallPercent(download_.Progress()) : 0;
}

// ---- opening and layout ----

void CPrtConfigDlg::OnInitDialog() {
    FillLists(controls, op_.language);
    EnableControls(controls, false);
    recordFolder_ = CCmdsMag::RecordFolder(op_.programFolder);
    std::error_code error;
    std::filesystem::create_directories(recordFolder_, error);
    controls.inkSupplyTime.text = "1";

    CCmdsMag store(op_);
    std::string file = store.GetStoredPath(CCmdsMag::PathKind::Configuration);
    if (!FileExists(file)) file = recordFolder_ + kFirstConfigName;
    store.LoadConfigDocument(file);
    path.text = file;
    OnLayoutMessage();
    params_ = WithPrinterKeys(store.LoadedPrinterKeys(), params_);
    Refresh();
    TakeFromList();
    Decode();
}

void CPrtConfigDlg::OnLayoutMessage() {
    layout_ = LayoutFor(op_.BoardType());
    ShowLayout(controls, layout_);
    Changed();
}

void CPrtConfigDlg::LinkMovementPage(ui::TabPage* movementPage) { movementPage_ = movementPage; }

void CPrtConfigDlg::RefreshMovementPage() {
    if (auto* movement = ui::PageHooks<ui::MovementPageHooks>(movementPage_))
        movement->RefreshFromController();
}

// ---- operations ----

void CPrtConfigDlg::ApplyFlashFrequencyRule() {
    if (LayoutFor(op_.BoardType()) == Layout::SingleBoard)
        controls.flashFrequency.enabled = controls.flashSpitOn.checked;
}

void CPrtConfigDlg::Encode() {
    params_ = EncodeIntoList(op_, ReadControls(controls), params_);
    ApplyFlashFrequencyRule();
    Changed();
}

void CPrtConfigDlg::TakeFromList() {
    params_ = config::TakeFromList(op_.cmdList, LayoutFor(op_.BoardType()), params_);
}

void CPrtConfigDlg::Decode() {
    const int jetTypeBefore = controls.jetType.selected;
    ShowControls(config::Decode(params_, LayoutFor(op_.BoardType()), ReadControls(controls)),
                 controls);
    // A document or a read-back that changes the head type changes it as a
    // selection would: the drop lists and "点数" follow.
    if (controls.jetType.selected != jetTypeBefore) ApplyHeadTypeRule(controls);
    Changed();
}

void CPrtConfigDlg::Refresh() {
    EnableControls(controls, true);
    std::string dump;
    AppendRefreshDump(dump);
    log_.Append(dump);
    ApplyHeadTypeRule(controls);
    Changed();
}

void CPrtConfigDlg::OnJetTypeSelChange(int index) {
    if (index < 0 || index >= static_cast<int>(controls.jetType.items.size())) return;
    controls.jetType.selected = index;
    ApplyHeadTypeRule(controls);
    Changed();
}

void CPrtConfigDlg::OnClearLog() {
    log_.Clear();
    Changed();
}

// ---- files ----

void CPrtConfigDlg::OnLoadFile() {
    const std::optional<std::string> file = dialogs_.OpenFile(ConfigFileRequest(recordFolder_));
    if (!file) return;
    CCmdsMag(op_).SetStoredPath(*file, CCmdsMag::PathKind::Configuration);
    path.text = *file;
    op_.loadDone = 0;
    CCmdsMag store(op_);
    ui::RunBehindProgress(dialogs_, op_,
                          {ui::ProgressMessage(ui::ProgressKind::Loading, op_.language),
                           ui::CMessageDown::kWatchLoadDone, kLoadTicks},
                          [this, &file, &store] {
                              if (store.LoadConfigDocument(*file)) op_.loadDone = 1;
                          });
    params_ = WithPrinterKeys(store.LoadedPrinterKeys(), params_);
    Refresh();
    TakeFromList();
    Decode();
    RefreshMovementPage();
    if (op_.loadDone != 0) {
        ShowSuccess(kLoadSucceedText);
    } else {
        ShowFailure(kLoadFailedText);
    }
}

void CPrtConfigDlg::SaveTo(const std::string& file, bool withFlashSel) {
    op_.saveDone = 0;
    // The printer keys go into the file with the document, in the one replacement of
    // the file: a save that fails part-way leaves the previous file whole, never a new
    // document without its keys nor the old document with new keys.
    CCmdsMag::PrinterKeys keys{params_.jetType, params_.dpiCode, std::nullopt};
    if (withFlashSel) keys.flashSel = static_cast<int>(params_.flashSel);
    ui::RunBehindProgress(dialogs_, op_,
                          {ui::ProgressMessage(ui::ProgressKind::Saving, op_.language),
                           ui::CMessageDown::kWatchSaveDone, kSaveTicks},
                          [this, &file, &keys] {
                              if (CCmdsMag(op_).SaveConfigDocument(file, keys)) op_.saveDone = 1;
                          });
    if (op_.saveDone != 0) {
        ShowSuccess(kSaveCompleteText);
    } else {
        ShowFailure(kSaveFailText);
    }
}

void CPrtConfigDlg::OnSaveAs() {
    const std::optional<std::string> file = dialogs_.SaveFile(ConfigFileRequest(recordFolder_));
    if (!file) return;
    Encode();
    if (OnSystemDisk(*file)) {
        ShowFailure(kSystemDiskText);
        return;
    }
    if (!op_.motionGenerated) motion::BuildInitMotion(op_);
    SaveTo(*file, false);
}

void CPrtConfigDlg::OnSave() {
    Encode();
    std::string file = CCmdsMag(op_).GetStoredPath(CCmdsMag::PathKind::Configuration);
    if (file.empty()) file = CCmdsMag::DefaultDocumentPath(op_.programFolder);
    op_.motionGenerated = true;
    SaveTo(file, true);
}

void CPrtConfigDlg::OnDefault() {
    CCmdsMag(op_).LoadConfigDocument(CCmdsMag::DefaultDocumentPath(op_.programFolder));
    ClearRegisterBytes(params_);
    params_ =
        config::TakeFromList(op_.cmdList, LayoutFor(op_.BoardType()), params_, kInitDoneGroup);
    Refresh();
    RefreshMovementPage();
}

void CPrtConfigDlg::OnInitMovementDesign() {
    Encode();
    motion::BuildInitMotion(op_);
    if (commandSets_) {
        std::unique_ptr<ui::ModalDialog> sets =
            commandSets_({0, "InitDone", CCmdsMag::DefaultDocumentPath(op_.programFolder)});
        if (sets) dialogs_.RunModal(*sets);
    }
    TakeFromList();
    Decode();
}

// ---- the controller's flash ----

void CPrtConfigDlg::OnDownFirm() {
    if (op_.connected == 0) {
        ShowFailure(kDisconnectedText);
        return;
    }
    if (!dialogs_.AskYesNo(Text(kAskDownloadText), "")) return;
    const PreparedDownload prepared = PrepareDownload(op_, ReadControls(controls), params_);
    params_ = prepared.params;
    ApplyFlashFrequencyRule();
    Changed();
    // A list that does not fit, or a command without an image code, is refused
    // before anything reaches the controller.
    if (!prepared.build.Ok()) {
        dialogs_.ShowMessage(ImageBuildMessage(prepared.build, op_.language), "");
        return;
    }

    transferring_ = true;
    const DownloadResult result = ui::RunBehindProgress(
        dialogs_, op_,
        {ui::ProgressMessage(ui::ProgressKind::Downloading, op_.language),
         ui::CMessageDown::kWatchNone, kTransferTicks, true},
        [&] { return download_.Download(prepared.build.image, prepared.build.records); });
    transferring_ = false;
    log_.Append(result.log);
    Changed();
    const UserMessage message = DownloadMessage(result, op_.language);
    dialogs_.ShowMessage(message.text, message.caption);
}

void CPrtConfigDlg::OnReadParams() {
    if (op_.connected == 0) {
        ShowFailure(kDisconnectedText);
        return;
    }
    transferring_ = true;
    const ReadBackResult result =
        ui::RunBehindProgress(dialogs_, op_,
                              {ui::ProgressMessage(ui::ProgressKind::Loading, op_.language),
                               ui::CMessageDown::kWatchNone, kTransferTicks, true},
                              [&] { return download_.ReadBack(); });
    transferring_ = false;
    Changed();
    const UserMessage message = ReadBackMessage(result, op_.language);
    if (!result.Success()) {
        dialogs_.ShowMessage(message.text, message.caption);
        return;
    }
    params_ =
        ApplyReadBack(op_, result.image, params_,
                      [](const std::vector<controller::CMD_INFO>& readBack,
                         controller::CMainOperation& op) { motion::ReadMotionBack(op, readBack); });
    Decode();
    RefreshMovementPage();
    dialogs_.ShowMessage(message.text, message.caption);
}

}  // namespace velmor::config
