#include "config/prt_config_dlg.h"

#include <filesystem>
#include <iostream>
#include <optional>

#include "commands/cmd_sets_dlg.h"
#include "commands/cmds_mag.h"
#include "commands/store_document.h"
#include "config/command_list_update.h"
#include "config/config_encoding.h"
#include "config/config_preparation.h"
#include "config/system_disk.h"
#include "controller/main_operation.h"
#include "history/write_history.h"
#include "motion/motion_builder.h"
#include "motion/motion_reader.h"
#include "ui/dialog_service.h"
#include "ui/message_down.h"
#include "ui/work_behind_progress.h"

namespace velmor::config {

namespace {

using commands::CCmdsMag;

// The document dialogs open in the record folder; a name typed without an
// extension gets ".cfg".
ui::FileDialogRequest ConfigFileRequest(const std::string& recordFolder) {
    return ui::DocumentFileRequest(recordFolder, "cfg");
}

}  // namespace

CPrtConfigDlg::CPrtConfigDlg(const ui::PageContext& context)
    : op_(context.operation),
      dialogs_(context.dialogs),
      messages_(context.dialogs, context.operation.language),
      flash_(op_),
      download_(op_, flash_) {
    // The transfer's stages move the page's progress bar.
    download_.SetProgressListener([this] { Changed(); });
}

CPrtConfigDlg::~CPrtConfigDlg() = default;

const controller::LogFont& CPrtConfigDlg::LogFontSpec() const { return op_.logFont; }

int CPrtConfigDlg::TransferPercent() const {
    return transferring_.load() ? OverallPercent(download_.Progress()) : 0;
}

// ---- opening and layout ----

void CPrtConfigDlg::OnInitDialog() {
    FillLists(controls, op_.language);
    EnableControls(controls, false);
    recordFolder_ = CCmdsMag::RecordFolder(op_.programFolder);
    controls.inkSupplyTime.text = "1";

    CCmdsMag store(op_);
    const std::string file = store.StartDocument(CCmdsMag::PathKind::Configuration);
    store.LoadConfigDocument(file);
    path.text = file;
    OnLayoutMessage();
    params_ = WithPrinterKeys(store.LoadedPrinterKeys(), params_);
    Refresh();
    TakeFromList();
    Decode();
}

void CPrtConfigDlg::OnLayoutMessage() {
    layout_ = controller::LayoutOf(op_.BoardType());
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
    if (controller::LayoutOf(op_.BoardType()) == controller::BoardLayout::kMainBoard)
        controls.flashFrequency.enabled = controls.flashSpitOn.checked;
}

void CPrtConfigDlg::Encode() {
    params_ = EncodeIntoList(op_, ReadControls(controls), params_);
    ApplyFlashFrequencyRule();
    Changed();
}

void CPrtConfigDlg::TakeFromList() {
    params_ = config::TakeFromList(op_.cmdList, controller::LayoutOf(op_.BoardType()), params_);
}

void CPrtConfigDlg::Decode() {
    const int jetTypeBefore = controls.jetType.selected;
    ShowControls(
        config::Decode(params_, controller::LayoutOf(op_.BoardType()), ReadControls(controls)),
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
        messages_.Success(kLoadSucceedText);
    } else {
        messages_.Failure(kLoadFailedText);
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
        messages_.Success(kSaveCompleteText);
    } else {
        messages_.Failure(kSaveFailText);
    }
}

void CPrtConfigDlg::OnSaveAs() {
    const std::optional<std::string> file = dialogs_.SaveFile(ConfigFileRequest(recordFolder_));
    if (!file) return;
    Encode();
    if (OnSystemDisk(*file)) {
        messages_.Failure(kSystemDiskText);
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
    params_ = config::TakeFromList(op_.cmdList, controller::LayoutOf(op_.BoardType()), params_,
                                   kInitDoneGroup);
    Refresh();
    RefreshMovementPage();
}

void CPrtConfigDlg::OnInitMovementDesign() {
    Encode();
    motion::BuildInitMotion(op_);
    commands::CCmdSetsDlg sets({op_, dialogs_});
    sets.AddNameInfo({0, "InitDone", CCmdsMag::DefaultDocumentPath(op_.programFolder)});
    dialogs_.RunModal(sets);
    TakeFromList();
    Decode();
}

// ---- the controller's flash ----

void CPrtConfigDlg::OnDownFirm() {
    if (op_.connected == 0) {
        messages_.Failure(kDisconnectedText);
        return;
    }
    if (!dialogs_.AskYesNo(messages_.Text(kAskDownloadText), "")) return;
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
    RecordDownload(result, prepared.build.crc);
    Changed();
    const UserMessage message = DownloadMessage(result, op_.language);
    dialogs_.ShowMessage(message.text, message.caption);
}

// Whether the flash holds the image "DownFirm" would write now; worked out on a
// copy of the document, which the preparation changes.
std::string CPrtConfigDlg::FlashMatchLine(const StartImage& flash) const {
    controller::CMainOperation scratch;
    static_cast<controller::OpenDocument&>(scratch) = op_;
    const PreparedDownload prepared = PrepareDownload(scratch, ReadControls(controls), params_);
    const bool equal = prepared.build.Ok() && prepared.build.image == flash;
    return messages_.Text(equal ? kFlashMatchesText : kFlashDiffersText) + "\r\n";
}

// A write that cannot be recorded is said in the log and on standard error; the
// download stands.
void CPrtConfigDlg::RecordDownload(const DownloadResult& result, std::uint16_t imageCrc) {
    const std::optional<std::string> failed =
        history::RecordWrite(op_, {"download", path.text, history::FileCrc(path.text), imageCrc,
                                   DownloadHistoryResult(result), result.rounds});
    if (!failed) return;
    log_.Append(*failed + "\r\n");
    std::cerr << op_.programName << ": " << *failed << "\n";
}

void CPrtConfigDlg::OnReadParams() {
    if (op_.connected == 0) {
        messages_.Failure(kDisconnectedText);
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
    log_.Append(FlashMatchLine(result.bytes));
    params_ =
        ApplyReadBack(op_, result.image, params_,
                      [](const std::vector<controller::CMD_INFO>& readBack,
                         controller::CMainOperation& op) { motion::ReadMotionBack(op, readBack); });
    Decode();
    RefreshMovementPage();
    dialogs_.ShowMessage(message.text, message.caption);
}

}  // namespace velmor::config
