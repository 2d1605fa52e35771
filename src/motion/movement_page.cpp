#include "motion/movement_page.h"

#include <algorithm>

#include "controller/main_operation.h"
#include "motion/motion_builder.h"
#include "motion/motion_preview_dlg.h"
#include "motion/motion_timeline.h"
#include "numbers/number_text.h"
#include "ui/dialog_service.h"
#include "ui/window_messages.h"

namespace velmor::motion {

namespace {

using controller::MotorListInfo;
using controller::MotorSettings;

constexpr const char* kDefaultAccelSteps = "512";
constexpr const char* kDefaultTopSpeed = "4000";
constexpr const char* kDefaultDistance = "1000";
constexpr const char* kDefaultFrequency = "5000";
constexpr const char* kDefaultStartVoltage = "2000";
constexpr const char* kDefaultEndVoltage = "2500";
constexpr const char* kDefaultXdcDistance = "5000";
constexpr const char* kDefaultMultiply = "2";

// Column captions and widths (pixels) in each language.
struct ColumnCaption {
    const char* english;
    int englishWidth;
    const char* chinese;
    int chineseWidth;
};
constexpr ColumnCaption kColumns[kMotionColumnCount] = {
    {"Number", 52, "命令序号", 62},
    {"Motor", 74, "电机", 76},
    {"Acceleration steps", 118, "加减速步数", 80},
    {"Top speed", 66, "最大速度", 66},
    {"Moving distance", 104, "移动距离", 70},
    {"Direction", 60, "方向", 44},
    {"LED", 40, "LED", 44},
    {"频率", 48, "频率", 48},
};

constexpr TestMotor kSlotMotors[controller::kMotorSlots] = {
    TestMotor::kX, TestMotor::kY, TestMotor::kZ, TestMotor::kM0, TestMotor::kM1};

// Number fields go into rows as "%d" of their integer value.
std::string Number(const ui::TextField& field) {
    return std::to_string(numbers::FieldDecimal(field.text));
}

void FillDirection(ui::ChoiceField& field) {
    field.items = {std::string(kDirectionOrigin), std::string(kDirectionEnd)};
    field.selected = 0;
}

void SetFields(MotorInputs& m, bool enabled) {
    m.accelSteps.enabled = enabled;
    m.topSpeed.enabled = enabled;
    m.distance.enabled = enabled;
    m.direction.enabled = enabled;
}

}  // namespace

MovementPage::MovementPage(const ui::PageContext& context, controller::BoardLayout layout)
    : op_(context.operation),
      dialogs_(context.dialogs),
      layout_(layout),
      mainWindow_(context.mainWindow),
      tester_(context.operation, layout, *context.sleeper) {
    const bool fiber = layout_ == controller::BoardLayout::kFiber;
    if (fiber) Settings(Channel::kX).Setup(Channel::kX, true);
    for (Channel channel : {Channel::kY0, Channel::kY1, Channel::kZ0, Channel::kM0, Channel::kM1}) {
        Settings(channel).Setup(channel, fiber);
    }
    z0Board.items = {std::string(kBoardMain), std::string(kBoardHead)};
    z0Board.selected = 0;
    dualY.visible = !fiber;
    xdc.ticked.visible = !fiber;
    backButton.visible = false;

    // The status thread's news (the Y reset, a move's end) reaches the fields
    // in TakeThreadUpdates, on the user-interface thread.
    tester_.SetListener([this](MotorTester::Change change) {
        if (change == MotorTester::Change::kYReset) yResetPending_ = true;
        Changed();
    });
}

MovementPage::~MovementPage() { tester_.Close(); }

// ---- initialisation and hooks ----

void MovementPage::OnInitDialog() {
    testMode.checked = false;
    dualY.checked = false;
    dualYFlag_ = false;
    addButton.enabled = true;
    UpdateTestButtons();

    SetupLists();
    for (MotorInputs& m : motors) FillDirection(m.direction);
    FillDirection(xdc.direction);
    led.items = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F"};
    led.selected = 0;
    // The settings combos start from what the controller object holds, so a
    // commit before anyone touched them leaves the settings as they were.
    ShowSettingsFromController();
    RefreshList(kMovementList);
    RefreshList(kMovetestList);

    for (MotorInputs& m : motors) {
        m.ticked.checked = false;
        m.accelSteps.text = kDefaultAccelSteps;
        m.topSpeed.text = kDefaultTopSpeed;
        m.distance.text = kDefaultDistance;
    }
    xdc.ticked.checked = false;
    xdc.frequency.text = kDefaultFrequency;
    xdc.startVoltage.text = kDefaultStartVoltage;
    xdc.endVoltage.text = kDefaultEndVoltage;
    xdc.distance.text = kDefaultXdcDistance;
    xdc.multiply.text = kDefaultMultiply;
    EnableMotorFields();

    movementRadio.checked = true;
    movetestRadio.checked = false;
    UpdateTesterInputs();
    tester_.StartStatusThread();
    Changed();
}

void MovementPage::SetupLists() {
    const bool english = controller::English(op_.language);
    const int columns = HasXdcMotor() ? kMotionColumnCount : kMotionColumnCount - 1;
    for (ui::CEditableListCtrl* list : {&movementList, &movetestList}) {
        for (int c = 0; c < columns; ++c)
            list->InsertColumn(c, english ? kColumns[c].english : kColumns[c].chinese,
                               english ? kColumns[c].englishWidth : kColumns[c].chineseWidth);
        list->SetDropDownMode(true, 5);
        list->SetMultipleSelection(true);
    }
}

void MovementPage::ClosePage() {
    tester_.Close();
    Changed();
}

void MovementPage::StopStatusThread() { tester_.StopStatusThread(); }

void MovementPage::ShowLists(int list) {
    ShowSettingsFromController();
    RefreshList(list);
}

void MovementPage::RefreshFromController() {
    TakeThreadUpdates();
    ShowSettingsFromController();
    RefreshList(kMovementList);
    RefreshList(kMovetestList);
    UpdateTesterInputs();
    Changed();
}

void MovementPage::TakeThreadUpdates() {
    if (yResetPending_.exchange(false)) {
        // The tester ticked and selected both feed motors already.
        y0.checked = true;
        y1.checked = true;
        Settings(Channel::kY0).Enable(true);
        Settings(Channel::kY1).Enable(true);
    }
    UpdateTestButtons();
}

// ---- settings ----

void MovementPage::ShowSettingsFromController() {
    const MotorSettings& s = op_.motorSettings;
    for (SettingsGroup& group : settings) {
        if (group.present) group.Show(s);
    }
    ShowBoard(z0Board, s.Z0Board);
    gearRatio.text = GearText(s.Z0Gear);
    y0.checked = s.Y0Selected != 0;
    y1.checked = s.Y1Selected != 0;
    Settings(Channel::kY0).Enable(y0.checked);
    Settings(Channel::kY1).Enable(y1.checked);
    y0.enabled = testMode.checked;
    y1.enabled = testMode.checked;
}

void MovementPage::ApplySettingsTo(MotorSettings& target) const {
    for (const SettingsGroup& group : settings) group.Apply(target);
    ApplyBoard(z0Board, target);
    // The ratio text the controller's gear shows stands for that gear.
    if (gearRatio.text != GearText(target.Z0Gear)) target.Z0Gear = GearFromText(gearRatio.text);
}

void MovementPage::ApplySettings() { ApplySettingsTo(op_.motorSettings); }

MotorSettings MovementPage::PageSettings() const {
    MotorSettings s;
    ApplyPageSettings(op_.motorSettings, s);
    s.Y0Selected = op_.motorSettings.Y0Selected;
    s.Y1Selected = op_.motorSettings.Y1Selected;
    s.Multiply = op_.motorSettings.Multiply;
    s.BoardType = op_.BoardType();
    ApplySettingsTo(s);
    return s;
}

void MovementPage::OnSettingsChange() {
    TakeThreadUpdates();
    UpdateTesterInputs();  // the status display follows the Z board
    Changed();
}

std::string MovementPage::StatusDisplayText() const {
    const std::string text = StatusText();
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            shown += '\n';
            ++i;
        } else if (text[i] != '\n' && text[i] != '\r') {
            shown += text[i];
        }
    }
    return shown;
}

const std::vector<MovementPage::SettingsBlock>& MovementPage::SettingsBlocks() const {
    // The fiber page has two limits per motor, X among them; the main-board page
    // one limit and no X group.
    static const std::vector<SettingsBlock> fiber = {
        {"左限位极性", "右限位极性", {Channel::kX, Channel::kY0, Channel::kY1, Channel::kM1}},
        {"上限位极性", "下限位极性", {Channel::kZ0, Channel::kM0}},
    };
    static const std::vector<SettingsBlock> mainBoard = {
        {"限位极性",
         nullptr,
         {Channel::kY0, Channel::kY1, Channel::kZ0, Channel::kM0, Channel::kM1}},
    };
    return layout_ == controller::BoardLayout::kFiber ? fiber : mainBoard;
}

// ---- motor choice and feed motors ----

void MovementPage::EnableMotorFields() {
    for (MotorInputs& m : motors) SetFields(m, m.ticked.checked);
    const bool dc = xdc.ticked.checked;
    xdc.frequency.enabled = dc;
    xdc.startVoltage.enabled = dc;
    xdc.endVoltage.enabled = dc;
    xdc.distance.enabled = dc;
    xdc.direction.enabled = dc;
    xdc.multiply.enabled = dc;
}

void MovementPage::OnMotorCheck(int slot) {
    if (slot < 0 || slot >= controller::kMotorSlots) return;
    TakeThreadUpdates();
    if (motors[static_cast<std::size_t>(slot)].ticked.checked) {
        for (int other = 0; other < controller::kMotorSlots; ++other) {
            if (other != slot) motors[static_cast<std::size_t>(other)].ticked.checked = false;
        }
        xdc.ticked.checked = false;
    }
    EnableMotorFields();
    UpdateTesterInputs();
    Changed();
}

void MovementPage::OnXdcCheck() {
    TakeThreadUpdates();
    if (!HasXdcMotor()) xdc.ticked.checked = false;
    if (xdc.ticked.checked) {
        for (MotorInputs& m : motors) m.ticked.checked = false;
    }
    EnableMotorFields();
    UpdateTesterInputs();
    Changed();
}

void MovementPage::SetFeed(int which, bool on) {
    (which == 0 ? y0 : y1).checked = on;
    (which == 0 ? op_.motorSettings.Y0Selected : op_.motorSettings.Y1Selected) = on ? 1 : 0;
    Settings(which == 0 ? Channel::kY0 : Channel::kY1).Enable(on);
}

void MovementPage::OnFeedCheck(int which) {
    TakeThreadUpdates();
    FeedBoxClicked(which);
    UpdateTesterInputs();
    Changed();
}

void MovementPage::OnDualYCheck() {
    dualYFlag_ = dualY.checked;
    Changed();
}

void MovementPage::OnTargetList(int list) {
    movementRadio.checked = list != kMovetestList;
    movetestRadio.checked = list == kMovetestList;
    Changed();
}

// ---- lists ----

std::vector<MotorListInfo>& MovementPage::StoredList(int list) {
    return list == kMovetestList ? op_.testMotionList : op_.motionList;
}

std::vector<MotionRow> MovementPage::ViewRows(int list) {
    const ui::CEditableListCtrl& view = List(list);
    std::vector<MotionRow> rows(static_cast<std::size_t>(view.GetItemCount()));
    for (int r = 0; r < view.GetItemCount(); ++r) {
        for (int c = 0; c < view.ColumnCount() && c < kMotionColumnCount; ++c)
            rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = view.GetItemText(r, c);
    }
    return rows;
}

void MovementPage::AppendRow(int list, const MotionRow& row) {
    ui::CEditableListCtrl& view = List(list);
    const int r = view.InsertItem(view.GetItemCount(), row[kColumnStep]);
    for (int c = 1; c < view.ColumnCount() && c < kMotionColumnCount; ++c)
        view.SetItemText(r, c, row[static_cast<std::size_t>(c)]);
    view.SetRowColour(static_cast<std::uint32_t>(r),
                      EvenStep(row[kColumnStep]) ? kEvenStepColour : kOddStepColour);
}

void MovementPage::RefreshList(int list) {
    if (cellEditor.List() == list) cellEditor.Cancel();
    ui::CEditableListCtrl& view = List(list);
    view.DeleteAllItems();
    view.ClearRowColours();
    const std::vector<MotorListInfo>& steps = StoredList(list);
    for (const MotionRow& row : RowsFromSteps(steps, HasXdcMotor())) AppendRow(list, row);
    if (HasXdcMotor()) {
        const bool dc = std::any_of(steps.begin(), steps.end(), [](const MotorListInfo& s) {
            return s.nMotorNums != 0 && (s.motorIndex & 1u) != 0 && s.MotonnFrequency >= 1;
        });
        if (dc) xdc.multiply.text = std::to_string(op_.motorSettings.Multiply);
    }
    Changed();
}

void MovementPage::CommitList(int list) {
    // A number typed into an open cell edit is what the user sees in the cell: it
    // is written there first, as the edit losing the focus would.
    if (cellEditor.Shows(list, ListCellEditor::Kind::kNumber)) cellEditor.OnNumberKillFocus();
    ApplySettings();
    CommittedSteps committed = StepsFromRows(ViewRows(list));
    StoredList(list) = std::move(committed.steps);
    if (committed.hasDcRow) op_.motorSettings.Multiply = numbers::FieldDecimal(xdc.multiply.text);
}

void MovementPage::EnsureGroupName(int list) {
    const std::string name(GroupName(list));
    for (std::vector<std::string>* names : {&op_.allCmdNames, &op_.cmdNames}) {
        if (std::find(names->begin(), names->end(), name) == names->end()) names->push_back(name);
    }
}

// The next save through "另存为" regenerates the command groups.
void MovementPage::ListsChanged() {
    op_.motionGenerated = false;
    op_.saveDone = 0;
}

void MovementPage::AddTickedRows(int list) {
    const std::string step = std::to_string(StoredList(list).size());
    std::string ledText = led.SelectedText();
    if (ledText == "none") ledText.clear();

    if (HasXdcMotor() && xdc.ticked.checked) {
        MotionRow row;
        row[kColumnStep] = step;
        row[kColumnMotor] = std::string(kRowXdcMotor);
        row[kColumnAccelSteps] = Number(xdc.startVoltage);
        row[kColumnTopSpeed] = Number(xdc.endVoltage);
        row[kColumnDistance] = Number(xdc.distance);
        row[kColumnDirection] = DirectionCell(xdc.direction.SelectedText());
        row[kColumnLed] = ledText;
        row[kColumnFrequency] = Number(xdc.frequency);
        AppendRow(list, row);
    }
    for (int slot = 0; slot < controller::kMotorSlots; ++slot) {
        const MotorInputs& m = motors[static_cast<std::size_t>(slot)];
        if (!m.ticked.checked) continue;
        MotionRow row;
        row[kColumnStep] = step;
        row[kColumnMotor] = std::string(RowMotorName(slot));
        row[kColumnAccelSteps] = Number(m.accelSteps);
        row[kColumnTopSpeed] = Number(m.topSpeed);
        row[kColumnDistance] = Number(m.distance);
        row[kColumnDirection] = DirectionCell(m.direction.SelectedText());
        row[kColumnLed] = ledText;
        AppendRow(list, row);
    }
}

void MovementPage::OnAdd() {
    TakeThreadUpdates();
    ListsChanged();
    const int list = movetestRadio.checked ? kMovetestList : kMovementList;
    EnsureGroupName(list);
    AddTickedRows(list);
    CommitList(list);
    RefreshList(list);
    Changed();
}

void MovementPage::OnDelete(int list) {
    TakeThreadUpdates();
    if (cellEditor.List() == list) cellEditor.Cancel();
    ui::CEditableListCtrl& view = List(list);
    const std::vector<int> selected = view.SelectedRows();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) view.DeleteItem(*it);
    CommitList(list);
    RefreshList(list);
    ListsChanged();
    Changed();
}

void MovementPage::OnListClick(int list, int row, int column) {
    cellEditor.OnClick(List(list), list, row, column);
    Changed();
}

void MovementPage::OnCellNumberKillFocus() {
    cellEditor.OnNumberKillFocus();
    Changed();
}

void MovementPage::OnCellDirectionSelChange(int index) {
    cellEditor.OnDirectionSelChange(index);
    Changed();
}

void MovementPage::OnCellLedSelChange(int index) {
    cellEditor.OnLedSelChange(index);
    Changed();
}

// ---- test mode and test moves ----

TestMoveInputs MovementPage::Inputs() const {
    TestMoveInputs in;
    in.Tick(TestMotor::kXDc, HasXdcMotor() && xdc.ticked.checked);
    for (int slot = 0; slot < controller::kMotorSlots; ++slot) {
        const MotorInputs& m = motors[static_cast<std::size_t>(slot)];
        in.Tick(kSlotMotors[slot], m.ticked.checked);
        MotorFields& f = in.Fields(slot);
        f.accelSteps = numbers::FieldDecimal(m.accelSteps.text);
        f.topSpeed = numbers::FieldDecimal(m.topSpeed.text);
        f.distance = numbers::FieldDecimal(m.distance.text);
        f.direction = m.direction.SelectedText();
    }
    in.xdc.frequency = numbers::FieldDecimal(xdc.frequency.text);
    in.xdc.startVoltage = numbers::FieldDecimal(xdc.startVoltage.text);
    in.xdc.endVoltage = numbers::FieldDecimal(xdc.endVoltage.text);
    in.xdc.distance = numbers::FieldDecimal(xdc.distance.text);
    in.xdc.direction = xdc.direction.SelectedText();
    in.xdc.multiply = numbers::FieldDecimal(xdc.multiply.text);
    in.y0Ticked = y0.checked;
    in.y1Ticked = y1.checked;
    in.led = led.SelectedText();
    in.settings = PageSettings();
    return in;
}

void MovementPage::UpdateTesterInputs() { tester_.UpdateInputs(Inputs()); }

void MovementPage::UpdateTestButtons() {
    const bool on = testMode.checked;
    // "电机运动" stays grey while a move runs; the stop button stays usable.
    moveButton.enabled = on && !tester_.MoveRunning();
    backButton.enabled = on;
    stopButton.enabled = on;
    addButton.enabled = !on;
    y0.enabled = on;
    y1.enabled = on;
}

void MovementPage::OnTestMode() {
    TakeThreadUpdates();
    const bool on = testMode.checked;
    if (op_.connected.load() == 0 || !tester_.SetTestMode(on)) {
        // Nothing is switched: the box shows the mode the page is still in.
        testMode.checked = !on;
        dialogs_.ShowMessage(kNotConnectedText, "");
        Changed();
        return;
    }
    if (on) {
        y0.checked = true;
        FeedBoxClicked(0);
    }
    TakeThreadUpdates();  // switching off did the Y reset
    UpdateTesterInputs();
    Changed();
}

void MovementPage::OnMoveMotor() {
    TakeThreadUpdates();
    if (op_.connected.load() == 0) {
        dialogs_.ShowMessage(kNotConnectedText, "");
        return;
    }
    // The board type follows the main window's selector before the generators
    // are programmed for it.
    if (mainWindow_) mainWindow_->OnWindowMessage(ui::kMsgSetBoardType);
    ApplySettings();
    if (tester_.StartTestMove(Inputs()) == MotorTester::StartResult::kNotConnected)
        dialogs_.ShowMessage(kNotConnectedText, "");
    UpdateTestButtons();
    Changed();
}

void MovementPage::OnStopMotor() {
    TakeThreadUpdates();
    tester_.StopTestMove(Inputs());
    Changed();
}

void MovementPage::SetDocumentImageMaker(DocumentImageMaker maker) {
    imageMaker_ = std::move(maker);
    previewButton.visible = static_cast<bool>(imageMaker_);
    Changed();
}

controller::OpenDocument MovementPage::PreviewDocument() {
    controller::OpenDocument document = op_;
    document.motorSettings = PageSettings();
    for (int list : {kMovementList, kMovetestList}) {
        CommittedSteps committed = StepsFromRows(ViewRows(list));
        (list == kMovetestList ? document.testMotionList : document.motionList) =
            std::move(committed.steps);
        if (committed.hasDcRow)
            document.motorSettings.Multiply = numbers::FieldDecimal(xdc.multiply.text);
    }
    return document;
}

void MovementPage::OnPreview() {
    TakeThreadUpdates();
    if (!imageMaker_) return;
    // A number still in an open cell edit is what the user sees: it goes into its
    // cell first, as a commit would put it there.
    for (int list : {kMovementList, kMovetestList})
        if (cellEditor.Shows(list, ListCellEditor::Kind::kNumber)) cellEditor.OnNumberKillFocus();
    const DocumentImage made = imageMaker_(PreviewDocument(), op_.language);
    if (made.image.empty()) {
        dialogs_.ShowMessage(made.refusal, {});
        return;
    }
    CMotionPreviewDlg dialog(RunStartMotion(made.image, made.commands, op_.BoardType()),
                             op_.language);
    dialogs_.RunModal(dialog);
    Changed();
}

}  // namespace velmor::motion
