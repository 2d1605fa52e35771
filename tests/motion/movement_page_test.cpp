#include "motion/movement_page.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controller/main_operation.h"
#include "motion/initial_double_fiber_dlg.h"
#include "motion/initial_move_ment_dlg.h"
#include "motion/motion_builder.h"
#include "motion/motion_rig.h"
#include "support/scripted_dialog_service.h"
#include "support/wait_until.h"

namespace velmor::motion {
namespace {

using controller::MotorListInfo;
using sim::SimGenerator;
using testing::BriefSleeper;
using testing::MotionRig;
using velmor::testing::WaitUntil;
using Cells = std::vector<std::string>;

constexpr int kX = 0, kY = 1, kZ = 2;

// A page on the simulated controller, initialised, its status thread running
// on brief pauses. The first connection counts as done unless a test wants the
// status thread's Y reset.
struct PageRig {
    explicit PageRig(bool fiber, std::uint8_t boardType, const char* language = "chs")
        : rig(boardType) {
        rig.op.language = controller::LanguageOf(language);
        rig.op.firstConnection = 1;
        if (fiber)
            page = std::make_unique<CInitialDoubleFiberDlg>(
                ui::PageContext{rig.op, dialogs, nullptr, &sleeper});
        else
            page = std::make_unique<CInitialMoveMentDlg>(
                ui::PageContext{rig.op, dialogs, nullptr, &sleeper});
        page->OnInitDialog();
    }

    void Tick(int slot) {
        page->motors[slot].ticked.checked = true;
        page->OnMotorCheck(slot);
    }
    Cells Row(int list, int row) const {
        Cells cells;
        const ui::CEditableListCtrl& l = page->List(list);
        for (int c = 0; c < l.ColumnCount(); ++c) cells.push_back(l.GetItemText(row, c));
        return cells;
    }
    void TestModeOn() {
        page->testMode.checked = true;
        page->OnTestMode();
    }

    MotionRig rig;
    BriefSleeper sleeper;
    velmor::testing::ScriptedDialogService dialogs;
    std::unique_ptr<MovementPage> page;  // last: goes before the controller object
};

MotorListInfo Step(std::uint8_t motors, const char* led) {
    MotorListInfo step;
    step.motorIndex = motors;
    for (int slot = 0; slot < 5; ++slot) {
        if (motors & (1u << slot)) ++step.nMotorNums;
        step.MotonTabLen[slot] = 100 + slot;
        step.MotonnMaxSpeed[slot] = 2000 + slot;
        step.MotonnnMoveLenth[slot] = 300 + slot;
    }
    step.strLedIndx = led;
    return step;
}

TEST(MovementPage, AddingXToAnEmptyListGivesTheRowTheStepAndBothGroupNames) {
    PageRig p(false, 0);
    controller::CMainOperation& op = p.rig.op;
    op.cmdNames = {"InitDone"};
    op.allCmdNames = {"InitDone", "InitMovement"};
    op.motionGenerated = true;
    op.saveDone = 1;

    p.Tick(kX);
    p.page->motors[kX].direction.selected = 1;  // "End"
    p.page->led.selected = 5;                   // "5"
    p.page->OnAdd();

    EXPECT_EQ(p.Row(0, 0), (Cells{"0", "XMotor", "512", "4000", "1000", "1", "5", ""}));
    ASSERT_EQ(op.motionList.size(), 1u);
    const MotorListInfo& step = op.motionList[0];
    EXPECT_EQ(step.nMotorNums, 1);
    EXPECT_EQ(step.motorIndex, 1);
    EXPECT_EQ(step.strLedIndx, "5");
    EXPECT_EQ(step.MotonTabLen[0], 512);
    EXPECT_EQ(step.MotonnMaxSpeed[0], 4000);
    EXPECT_EQ(step.MotonnnMoveLenth[0], 1000);
    EXPECT_EQ(step.MotonnnstrDir[0], "End");
    EXPECT_EQ(op.cmdNames, (std::vector<std::string>{"InitDone", "InitMovement"}));
    EXPECT_EQ(op.allCmdNames, (std::vector<std::string>{"InitDone", "InitMovement"}));
    EXPECT_FALSE(op.motionGenerated);
    EXPECT_EQ(op.saveDone.load(), 0u);
    // The settings combos started from the stored settings: the commit kept them.
    controller::MotorSettings fresh;
    fresh.BoardType = 0;
    EXPECT_EQ(op.motorSettings, fresh);

    // The next add is the next step, in the other colour; the movetest radio
    // sends rows to the movetest list and its group name.
    p.Tick(kY);
    p.page->OnAdd();
    EXPECT_EQ(p.Row(0, 1)[0], "1");
    EXPECT_EQ(p.page->movementList.RowColour(0), MovementPage::kEvenStepColour);
    EXPECT_EQ(p.page->movementList.RowColour(1), MovementPage::kOddStepColour);
    p.page->movetestRadio.checked = true;
    p.page->OnTargetList(1);
    p.page->OnAdd();
    EXPECT_EQ(op.testMotionList.size(), 1u);
    EXPECT_EQ(op.cmdNames.back(), "InitMovetest");
    EXPECT_EQ(op.allCmdNames.back(), "InitMovetest");
}

TEST(MovementPage, XdcRowCarriesItsVoltagesAndFrequencyAndCommitsMultiply) {
    PageRig p(false, 0);
    p.page->xdc.ticked.checked = true;
    p.page->OnXdcCheck();
    p.page->xdc.multiply.text = "3";
    p.page->OnAdd();
    EXPECT_EQ(p.Row(0, 0), (Cells{"0", "XDCMotor", "2000", "2500", "5000", "0", "0", "5000"}));
    const MotorListInfo& step = p.rig.op.motionList.at(0);
    EXPECT_EQ(step.motorIndex, 1);
    EXPECT_EQ(step.MotonnFrequency, 5000);
    EXPECT_EQ(step.MotonTabLen[0], 2000);
    EXPECT_EQ(step.MotonnMaxSpeed[0], 2500);
    EXPECT_EQ(p.rig.op.motorSettings.Multiply, 3);

    // A refresh shows the stored distance in "加速距离"; the fiber page has no
    // DC rows: the same step is an X stepper row there, in seven columns.
    p.rig.op.motorSettings.Multiply = 7;
    p.page->RefreshList(0);
    EXPECT_EQ(p.page->xdc.multiply.text, "7");
    PageRig fiber(true, 1);
    fiber.rig.op.motionList = p.rig.op.motionList;
    fiber.page->ShowLists(0);
    EXPECT_EQ(fiber.Row(0, 0), (Cells{"0", "XMotor", "2000", "2500", "5000", "0", "0"}));
    EXPECT_FALSE(fiber.page->xdc.ticked.visible);
}

TEST(MovementPage, DeletingSelectedRowsCommitsAndEmptiesTheStoredList) {
    PageRig p(false, 0);
    controller::CMainOperation& op = p.rig.op;
    op.motionList = {Step(0b00001, "1")};
    op.testMotionList = {Step(0b00001, "1"), Step(0b00110, "2"), Step(0b01000, "E")};
    p.page->ShowLists(1);
    ASSERT_EQ(p.page->movetestList.GetItemCount(), 4);

    // Rows 0 and 2 (X of step 0, Z of step 1): step 1 keeps Y, renumbered.
    p.page->movetestList.SetSelectedRows({2, 0});
    p.page->OnDelete(1);
    ASSERT_EQ(op.testMotionList.size(), 2u);
    EXPECT_EQ(op.testMotionList[0].motorIndex, 0b00010);
    EXPECT_EQ(p.Row(1, 0)[0], "0");
    EXPECT_EQ(p.Row(1, 1)[0], "1");

    op.motionGenerated = true;
    p.page->movetestList.SetSelectedRows({0, 1});
    p.page->OnDelete(1);
    EXPECT_TRUE(op.testMotionList.empty());
    EXPECT_FALSE(op.motionGenerated);
    BuildInitMotion(op);
    EXPECT_FALSE(op.cmdList.empty());  // the movement list's step made its commands
    for (const controller::CMD_INFO& cmd : op.cmdList) EXPECT_NE(cmd.KeyName, "InitMovetest");
}

TEST(MovementPage, RowsWithOneStepNumberCommitAsOneStepAndInPlaceEditsReachIt) {
    PageRig p(false, 0);
    controller::CMainOperation& op = p.rig.op;
    op.motionList = {Step(0b00101, "3")};  // X and Z
    p.page->ShowLists(0);
    EXPECT_EQ(p.Row(0, 0), (Cells{"0", "XMotor", "100", "2000", "300", "0", "3", ""}));
    EXPECT_EQ(p.Row(0, 1), (Cells{"0", "ZMotor", "102", "2002", "302", "0", "", ""}));

    ListCellEditor& editor = p.page->cellEditor;
    p.page->OnListClick(0, 1, kColumnTopSpeed);
    ASSERT_EQ(editor.Editing(), ListCellEditor::Kind::kNumber);
    EXPECT_EQ(editor.number.text, "2002");
    editor.number.text = "7000rpm";
    p.page->OnCellNumberKillFocus();  // "%d" of its integer value
    p.page->OnListClick(0, 1, kColumnDirection);
    EXPECT_TRUE(editor.Shows(0, ListCellEditor::Kind::kDirection));
    p.page->OnCellDirectionSelChange(1);  // "End"
    p.page->OnListClick(0, 0, kColumnLed);
    EXPECT_EQ(editor.led.SelectedText(), "3");
    p.page->OnCellLedSelChange(13);           // "D"
    p.page->OnListClick(0, 0, kColumnMotor);  // columns 0 and 1 have no editor
    EXPECT_EQ(editor.Editing(), ListCellEditor::Kind::kNone);
    EXPECT_EQ(p.Row(0, 1), (Cells{"0", "ZMotor", "102", "7000", "302", "1", "", ""}));
    EXPECT_EQ(op.motionList[0].MotonnMaxSpeed[2], 2002);  // not before the commit

    p.page->TakeLists(0);
    ASSERT_EQ(op.motionList.size(), 1u);
    const MotorListInfo& step = op.motionList[0];
    EXPECT_EQ(step.nMotorNums, 2);
    EXPECT_EQ(step.motorIndex, 0b00101);
    EXPECT_EQ(step.MotonnMaxSpeed[2], 7000);
    EXPECT_EQ(step.MotonnnstrDir[2], "End");
    EXPECT_EQ(step.MotonnnstrDir[0], "Orignal");
    EXPECT_EQ(step.strLedIndx, "D");
}

TEST(MovementPage, ApplySettingsFromTheCombosAndTheGearRatio) {
    PageRig main(false, 0);
    controller::MotorSettings& s = main.rig.op.motorSettings;
    main.page->gearRatio.text = "1.5";
    main.page->Settings(Channel::kY0).dirPolarity.selected = 1;     // "Negetive"
    main.page->Settings(Channel::kM1).limitEnable.selected = 0;     // "Disable"
    main.page->z0Board.selected = 1;                                // "Headboard"
    main.page->Settings(Channel::kZ0).limitPolarity.selected = -1;  // matches neither
    s.Z0LimtPol = 1;
    main.page->CommitList(0);
    EXPECT_EQ(s.Z0Gear, 1500u);
    EXPECT_EQ(s.Y0DirPol, 1);
    EXPECT_EQ(s.Moto1_LimtEable, 0u);
    EXPECT_EQ(s.Z0Board, 1);
    EXPECT_EQ(s.Z0LimtPol, 1);  // left as it was
    EXPECT_FALSE(main.page->Settings(Channel::kX).present);

    // The fiber page: the left or lower polarity is the second limit.
    PageRig fiber(true, 1);
    controller::MotorSettings& f = fiber.rig.op.motorSettings;
    fiber.page->Settings(Channel::kX).limitPolarity2.selected = 1;
    fiber.page->Settings(Channel::kZ0).limitPolarity2.selected = 1;
    fiber.page->Settings(Channel::kZ0).limitPolarity.selected = 0;
    fiber.page->ApplySettings();
    EXPECT_EQ(f.XLimtPolLeft, 1);
    EXPECT_EQ(f.XLimtPol, 0);
    EXPECT_EQ(f.Z0LimtPolDown, 1);
    EXPECT_EQ(f.Z0LimtPol, 0);

    // The combos show what the controller object holds after a refresh.
    f.Y1DirPol = 1;
    f.Z0Gear = 2250;
    fiber.page->RefreshFromController();
    EXPECT_EQ(fiber.page->Settings(Channel::kY1).dirPolarity.SelectedText(), "Negetive");
    EXPECT_EQ(fiber.page->gearRatio.text, "2.25");
}

TEST(MovementPage, GearRatioTexts) {
    const struct {
        const char* text;
        std::uint32_t gear;
    } cases[] = {
        {"1", 1000},
        {"1.5", 1500},
        {" 2.25", 2250},
        {"1.001", 1001},
        {"0.0019", 1},
        {"3.9999", 3999},
        {"2e1", 20000},
        {"abc", 0},
        {"-1.5", 0},
        {"", 0},
        {"7x", 7000},
        {"99999999", 0xFFFFFFFF},
        {"4294967.295", 0xFFFFFFFF},
    };
    for (const auto& c : cases) EXPECT_EQ(GearFromText(c.text), c.gear) << c.text;
    EXPECT_EQ(GearText(1000), "1");
    EXPECT_EQ(GearText(1500), "1.5");
    EXPECT_EQ(GearText(1001), "1.001");
}

TEST(MovementPage, YBoxesAreAlternativesOnTheMainBoardPageAndIndependentOnTheFiberPage) {
    for (const bool fiber : {false, true}) {
        SCOPED_TRACE(fiber ? "fiber" : "main board");
        PageRig p(fiber, fiber ? 1 : 0);
        controller::MotorSettings& s = p.rig.op.motorSettings;
        MovementPage& page = *p.page;
        EXPECT_FALSE(page.y0.enabled);  // only in test mode
        p.TestModeOn();
        EXPECT_TRUE(page.y0.enabled);
        EXPECT_TRUE(page.y0.checked);
        EXPECT_EQ(s.Y0Selected, 1u);

        page.y1.checked = true;
        page.OnY1Check();
        EXPECT_TRUE(page.y1.checked);
        EXPECT_EQ(page.y0.checked, fiber);
        EXPECT_EQ(s.Y0Selected, fiber ? 1u : 0u);
        EXPECT_EQ(s.Y1Selected, 1u);
        EXPECT_EQ(page.Settings(Channel::kY0).dirPolarity.enabled, fiber);
        EXPECT_TRUE(page.Settings(Channel::kY1).dirPolarity.enabled);

        page.y1.checked = false;  // unticking Y1
        page.OnY1Check();
        EXPECT_EQ(page.y1.checked, !fiber);
        EXPECT_EQ(s.Y1Selected, fiber ? 0u : 1u);
    }
}

TEST(MovementPage, TestModeNeedsAConnectionAndSwitchesTheButtons) {
    PageRig p(false, 0);
    MovementPage& page = *p.page;
    p.rig.op.connected = 0;
    p.TestModeOn();
    EXPECT_FALSE(page.testMode.checked);
    page.OnMoveMotor();
    ASSERT_EQ(p.dialogs.messages.size(), 2u);
    EXPECT_EQ(p.dialogs.messages[0].text, "USB未连接!");
    EXPECT_EQ(p.dialogs.messages[1].text, "USB未连接!");
    EXPECT_FALSE(page.MoveRunning());
    EXPECT_TRUE(p.rig.Controller().WriteLog().empty());

    p.rig.op.connected = 1;
    EXPECT_FALSE(page.moveButton.enabled);
    p.TestModeOn();
    EXPECT_TRUE(page.testMode.checked);
    EXPECT_TRUE(page.moveButton.enabled);
    EXPECT_TRUE(page.stopButton.enabled);
    EXPECT_FALSE(page.addButton.enabled);
    EXPECT_FALSE(page.y1.checked);

    page.testMode.checked = false;
    page.OnTestMode();  // the Y reset: both feed motors ticked and selected
    EXPECT_TRUE(page.y0.checked);
    EXPECT_TRUE(page.y1.checked);
    EXPECT_EQ(p.rig.op.motorSettings.Y1Selected, 1u);
    EXPECT_FALSE(page.moveButton.enabled);
    EXPECT_FALSE(page.y0.enabled);
    EXPECT_TRUE(page.addButton.enabled);
}

TEST(MovementPage, FirstConnectionYResetReachesTheBoxesThroughTheStatusThread) {
    PageRig p(false, 0);
    MovementPage& page = *p.page;
    page.y1.checked = false;
    p.rig.op.motorSettings.Y1Selected = 0;
    p.rig.op.firstConnection = 0;
    ASSERT_TRUE(WaitUntil([&] { return p.rig.op.firstConnection.load() == 1; }));
    ASSERT_TRUE(WaitUntil([&] { return p.rig.op.motorSettings.Y1Selected == 1; }));
    EXPECT_FALSE(page.y1.checked);  // fields change on the page's own thread only
    page.TakeThreadUpdates();
    EXPECT_TRUE(page.y1.checked);
}

TEST(MovementPage, TestMoveRunsOnAWorkerAndTheStatusFollowsItOnlyOnceStarted) {
    PageRig p(false, 0);
    MovementPage& page = *p.page;
    p.Tick(kX);
    p.TestModeOn();
    // Motors are polled, but nothing is shown before a move started.
    ASSERT_TRUE(WaitUntil([&] { return p.sleeper.hundredMs.load() >= 3; }));
    EXPECT_EQ(page.StatusText(), "");

    page.motors[kX].direction.selected = 1;
    page.OnMoveMotor();
    ASSERT_TRUE(WaitUntil([&] { return p.rig.Motors().Moving(SimGenerator::kX0); }));
    page.TakeThreadUpdates();
    EXPECT_FALSE(page.moveButton.enabled);
    ASSERT_TRUE(WaitUntil([&] { return page.StatusText().starts_with("X电机运动中"); }));
    p.rig.Advance(std::chrono::seconds(10));
    ASSERT_TRUE(WaitUntil([&] { return !page.MoveRunning(); }));
    // 1000 pulses towards the end: 35.28 mm.
    ASSERT_TRUE(
        WaitUntil([&] { return page.StatusText() == "X电机运动结束......\r\n\nX:35.28 mm"; }));
    page.TakeThreadUpdates();
    EXPECT_TRUE(page.moveButton.enabled);

    // "电机停止" stops a motor that does not finish by itself.
    p.rig.Motors().SetStuck(SimGenerator::kX0, true);
    page.OnMoveMotor();
    ASSERT_TRUE(WaitUntil([&] { return p.rig.Motors().Moving(SimGenerator::kX0); }));
    page.OnStopMotor();
    ASSERT_TRUE(WaitUntil([&] { return !page.MoveRunning(); }));
    EXPECT_EQ(page.Tester().LastOutcome(), MoveOutcome::kStopped);
    ASSERT_TRUE(WaitUntil([&] { return page.StatusText().starts_with("X电机停止运动"); }));
}

TEST(MovementPage, FiberPageShowsTheFourHeadBoardPositionsOnFourFiber) {
    PageRig p(true, 2);
    // Head board n latches the X count plus its offset: 1000, 1360, 1720, 2440.
    p.rig.Motors().SetHeadBoardOffset(2, 360);
    p.rig.Motors().SetHeadBoardOffset(3, 720);
    p.rig.Motors().SetHeadBoardOffset(4, 1440);
    p.Tick(kX);
    p.TestModeOn();
    p.page->motors[kX].direction.selected = 1;
    p.page->OnMoveMotor();
    ASSERT_TRUE(WaitUntil([&] { return p.rig.Motors().Moving(SimGenerator::kX0); }));
    p.rig.Advance(std::chrono::seconds(10));
    // X2 is head board 4's count and X3 head board 3's.
    ASSERT_TRUE(WaitUntil([&] {
        return p.page->StatusText() ==
               "X电机运动结束......\r\n\nX0:35.28 mm,X1:47.98 mm,X2:86.08 mm,X3:60.68 mm";
    })) << p.page->StatusText();
}

TEST(MovementPage, ColumnsFollowTheLanguageAndTheLayout) {
    PageRig english(false, 0, "eng");
    const auto& columns = english.page->movementList.Columns();
    ASSERT_EQ(columns.size(), 8u);
    EXPECT_EQ(columns[0].caption, "Number");
    EXPECT_EQ(columns[2].caption, "Acceleration steps");
    EXPECT_EQ(columns[7].caption, "频率");
    PageRig fiber(true, 1);
    ASSERT_EQ(fiber.page->movetestList.Columns().size(), 7u);
    EXPECT_EQ(fiber.page->movetestList.Columns()[0].caption, "命令序号");
    EXPECT_EQ(fiber.page->movetestList.Columns()[6].caption, "LED");
}

TEST(MovementPage, ClosingThePageEndsItsThreads) {
    PageRig p(false, 0);
    p.Tick(kZ);
    p.TestModeOn();
    p.rig.Motors().SetStuck(SimGenerator::kZ1, true);
    p.page->OnMoveMotor();
    ASSERT_TRUE(WaitUntil([&] { return p.rig.Motors().Moving(SimGenerator::kZ1); }));
    EXPECT_TRUE(p.page->Tester().StatusThreadRunning());
    p.page->ClosePage();
    EXPECT_FALSE(p.page->MoveRunning());
    EXPECT_FALSE(p.page->Tester().StatusThreadRunning());
}

}  // namespace
}  // namespace velmor::motion
