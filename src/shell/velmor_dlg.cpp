#include "shell/velmor_dlg.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <memory>

#include "config/prt_config_dlg.h"
#include "controller/main_operation.h"
#include "shell/page_table.h"
#include "ui/dialog_service.h"
#include "ui/page_hooks.h"
#include "ui/timer_service.h"
#include "usb/usb_link.h"

namespace velmor::shell {

namespace {

constexpr const char* kConnectedEnglish = "Connected...";
constexpr const char* kConnectedChinese = "已连接...";
constexpr const char* kDisconnectedEnglish = "Disconnect...";
constexpr const char* kDisconnectedChinese = "连接断开...";

constexpr int kConfigBytesNumInterfaces = 4;  // bNumInterfaces in the configuration descriptor
constexpr int kInterfaceBytesAltSetting = 3;  // bAlternateSetting in the interface descriptor

// A NUL-terminated name from a fixed buffer, never reading past it.
template <std::size_t N>
std::string BoundedName(const std::array<char, N>& buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), '\0');
    return std::string(buffer.begin(), end);
}

// The selector item of a board type; a number that names none shows "Mainboard".
int SelectorItem(int type) {
    return type >= controller::kMainboardType && type <= controller::kFourFiberType
               ? type
               : controller::kMainboardType;
}

}  // namespace

const std::vector<std::string>& BoardTypeNames() {
    static const std::vector<std::string> names{"Mainboard", "DoubleFiber", "FourFiber"};
    return names;
}

CVelmorDlg::CVelmorDlg(controller::CMainOperation& operation, usb::UsbDriver& driver,
                       ui::DialogService& dialogs)
    : operation_(operation), driver_(driver), dialogs_(dialogs), tabHost_(operation) {}

CVelmorDlg::~CVelmorDlg() {
    if (timers_ && timerRunning_) timers_->StopTimer(kConnectionTimerId);
}

bool CVelmorDlg::English() const { return controller::English(operation_.language); }

void CVelmorDlg::OnInitDialog() {
    versionLabel.text = kVersionLabel;
    versionLabel.visible = false;
    if (!operation_.historyFile.empty()) {
        about.historyText =
            (English() ? "Writes to controllers are recorded in " : "写入控制器的记录: ") +
            operation_.historyFile;
    }
    statusLine.text = English() ? kDisconnectedEnglish : kDisconnectedChinese;

    CreateTabs();

    // The device object; device 0 is opened at once when present.
    try {
        auto device = std::make_unique<usb::CUsbLink>(
            driver_, reinterpret_cast<usb::WindowId>(this), usb::kVendorInterfaceClass, true,
            [this](const std::string& text, const std::string& title) {
                dialogs_.ShowMessage(text, title);
            });
        operation_.SetDevice(std::move(device));
    } catch (const std::exception& error) {
        // Without a device object the window stays disconnected; say why once.
        dialogs_.ShowMessage(error.what(), "");
    }
    operation_.saveDone = 0;

    ConnectAttempt();

    boardType.items = BoardTypeNames();
    boardType.selected = SelectorItem(operation_.BoardType());

    if (timers_) {
        timers_->StartTimer(kConnectionTimerId, kConnectionPeriodMs);
        timerRunning_ = true;
    }
    OnWindowMessage(ui::kMsgSelectBoardType);
    if (boardTypeObserver_) boardTypeObserver_(operation_.BoardType());
    Changed();
}

void CVelmorDlg::CreateTabs() {
    if (English()) {
        tabCaptions = {"Read write register", "Initialization movement", "Firmware setting"};
    } else {
        tabCaptions = {"读写寄存器", "初始化运动", "固件设置", "清洗设置"};
    }

    const ui::PageContext context{operation_, dialogs_, this};
    for (const PageRow& row : PageTable()) {
        if (row.chineseOnly && operation_.language != controller::Language::kChinese) continue;
        ui::TabPage* page = tabHost_.AddPage(row.make(context), row.templateNumber);
        page->OnInitDialog();
    }
    configPage_ = tabHost_.FindPage(config::CPrtConfigDlg::kDialogId);
    LinkConfigPage(tabHost_.MovementPageFor(controller::BoardLayout::kMainBoard));

    tabHost_.SetMainWindow(this);
    tabHost_.SetConfigPage(configPage_);
    tabHost_.CreatePages();
}

bool CVelmorDlg::ConnectAttempt() {
    deviceName.items.clear();
    deviceName.selected = -1;

    usb::CUsbLink* device = operation_.Device();
    if (!device || device->CountDevices() == 0 || attached_) {
        attached_ = false;
        operation_.deviceOpened = 0;
        return false;
    }
    try {
        if (operation_.deviceOpened) {
            device->CloseDevice();
            sleeper_->SleepFor(std::chrono::milliseconds(kReopenPauseMs), std::stop_token());
        }
        // The count is taken afresh for every index: devices come and go meanwhile.
        for (int index = 0; index < device->CountDevices(); ++index) {
            // A device that does not open has no descriptors of its own to judge.
            if (!device->OpenDevice(static_cast<std::uint8_t>(index))) continue;
            std::uint8_t config[9] = {};
            std::uint8_t interface[9] = {};
            device->CopyConfigDesc(config);
            device->CopyInterfaceDesc(interface);
            if (config[kConfigBytesNumInterfaces] != 1 ||
                interface[kInterfaceBytesAltSetting] != 0) {
                continue;
            }
            std::string name = BoundedName(device->DeviceName);
            if (name.empty()) name = BoundedName(device->FriendlyName);
            deviceName.items.push_back(name);
            deviceName.selected = 0;
            deviceIndex_ = index;
            operation_.deviceOpened = 1;
            attached_ = true;
            return true;
        }
    } catch (const std::exception&) {
        // A device that fails while being opened is not accepted; the next tick tries again.
    }
    return false;
}

void CVelmorDlg::ConnectionCheck() {
    usb::CUsbLink* device = operation_.Device();
    const bool present = device && device->CountDevices() > 0;
    SetStatus((present && attached_) || ConnectAttempt());
    Changed();
}

void CVelmorDlg::SetStatus(bool connected) {
    if (connected) {
        statusLine.text = English() ? kConnectedEnglish : kConnectedChinese;
        operation_.connected = 1;
    } else {
        statusLine.text = English() ? kDisconnectedEnglish : kDisconnectedChinese;
        operation_.firstConnection = 0;
        operation_.connected = 0;
    }
}

void CVelmorDlg::OnTimer(int /*id*/) { ConnectionCheck(); }

void CVelmorDlg::OnWindowMessage(int message) {
    switch (message) {
        case ui::kMsgSelectBoardType:
            SelectBoardTypeItem();
            break;
        case ui::kMsgSetBoardType:
            SetBoardTypeFromSelector();
            break;
        case ui::kMsgShowMovementPage:
            ShowMovementPageOfSelector();
            break;
        case ui::kMsgLinkConfigPage:
            LinkConfigPage(MovementPageOfSelector());
            break;
        default:
            return;
    }
    Changed();
}

void CVelmorDlg::SelectBoardTypeItem() {
    const std::string& wanted = BoardTypeNames()[SelectorItem(operation_.BoardType())];
    const auto it = std::find(boardType.items.begin(), boardType.items.end(), wanted);
    if (it != boardType.items.end())
        boardType.selected = static_cast<int>(it - boardType.items.begin());
}

void CVelmorDlg::SetBoardTypeFromSelector() {
    const std::string text = boardType.SelectedText();
    const auto& names = BoardTypeNames();
    const auto it = std::find(names.begin(), names.end(), text);
    if (it == names.end()) return;
    operation_.SetBoardType(static_cast<std::uint8_t>(it - names.begin()));
    if (boardTypeObserver_) boardTypeObserver_(operation_.BoardType());
}

// The layout of the selector's board type; none for a text that names no board type.
std::optional<controller::BoardLayout> CVelmorDlg::LayoutOfSelector() const {
    const auto& names = BoardTypeNames();
    const auto it = std::find(names.begin(), names.end(), boardType.SelectedText());
    if (it == names.end()) return std::nullopt;
    return controller::LayoutOf(static_cast<std::uint8_t>(it - names.begin()));
}

// The movement page of the selector's board type (145 or 148), or null.
ui::TabPage* CVelmorDlg::MovementPageOfSelector() const {
    const std::optional<controller::BoardLayout> layout = LayoutOfSelector();
    return layout ? tabHost_.MovementPageFor(*layout) : nullptr;
}

void CVelmorDlg::ShowMovementPageOfSelector() {
    const std::optional<controller::BoardLayout> layout = LayoutOfSelector();
    if (!layout) return;
    const controller::BoardLayout other = *layout == controller::BoardLayout::kMainBoard
                                              ? controller::BoardLayout::kFiber
                                              : controller::BoardLayout::kMainBoard;
    tabHost_.HidePages(tabHost_.MovementPageNumber(other));
    tabHost_.ShowPages(tabHost_.MovementPageNumber(*layout));
    LinkConfigPage(tabHost_.MovementPageFor(*layout));
}

void CVelmorDlg::LinkConfigPage(ui::TabPage* movementPage) {
    if (movementPage == nullptr) return;
    linkedMovement_ = movementPage;
    if (auto* config = ui::PageHooks<ui::ConfigPageHooks>(configPage_))
        config->LinkMovementPage(linkedMovement_);
}

void CVelmorDlg::OnBoardTypeSelChange(int index) {
    if (index < 0 || index >= static_cast<int>(boardType.items.size())) return;
    ui::TabPage* before = tabHost_.MovementPageFor(controller::LayoutOf(operation_.BoardType()));
    boardType.selected = index;
    OnWindowMessage(ui::kMsgSetBoardType);
    HandOverMovementLists(before);
}

// Left alone, the page of the old board type would stay on the movement tab
// while leaving the tab has the page of the new one store its lists, which
// would overwrite the lists just edited with older ones. So the page that was
// shown stores its lists, and the page of the new board type shows them.
void CVelmorDlg::HandOverMovementLists(ui::TabPage* before) {
    if (tabHost_.CurrentPage() != ui::CDlgTabCtrl::kMovementTab) return;
    ui::TabPage* after = MovementPageOfSelector();
    if (after == nullptr || after == before) return;
    if (auto* old = ui::PageHooks<ui::MovementPageHooks>(before)) {
        old->TakeLists(0);
        old->TakeLists(1);
    }
    ShowMovementPageOfSelector();
    if (auto* shown = ui::PageHooks<ui::MovementPageHooks>(after)) {
        shown->ShowLists(0);
        shown->ShowLists(1);
    }
}

void CVelmorDlg::OnTabClick(int focusedTab) {
    tabHost_.OnTabClick(focusedTab);
    Changed();
}

void CVelmorDlg::OnDeviceNameLabelClick() {
    versionLabel.visible = !versionLabel.visible;
    Changed();
}

void CVelmorDlg::OnAbout() { dialogs_.RunModal(about); }

void CVelmorDlg::OnExit() {
    ui::TabPage* inUse = tabHost_.MovementPageFor(controller::LayoutOf(operation_.BoardType()));
    if (auto* movement = ui::PageHooks<ui::MovementPageHooks>(inUse)) movement->StopStatusThread();
    tabHost_.ClosePages();
    if (timers_ && timerRunning_) {
        timers_->StopTimer(kConnectionTimerId);
        timerRunning_ = false;
    }
    ended = true;
    Changed();
}

}  // namespace velmor::shell
