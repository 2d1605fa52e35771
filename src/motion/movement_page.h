#pragma once
// What the two movement pages share: the motor choice with its fields, the LED,
// the Z gear and the settings combos, the movement and movetest list views with
// add, delete, in-place editing, commit and refresh, and the test moves with the
// motor status display. CInitialMoveMentDlg (main-board layout) and
// CInitialDoubleFiberDlg (fiber layouts) derive from it and differ in their
// columns, their settings groups, the X DC motor and how the Y0 and Y1 boxes
// behave.
//
// The lists and settings of the controller object are the master copy: the
// list views are rebuilt from them (RefreshList) and committed back
// (CommitList) on add, delete and page changes. Fields are written on the
// user-interface thread only; what the status thread changes (the Y reset, the
// end of a move) reaches them in TakeThreadUpdates.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "controller/motor_list_info.h"
#include "controller/motor_settings.h"
#include "motion/document_image.h"
#include "motion/list_cell_editor.h"
#include "motion/motion_list_rows.h"
#include "motion/motor_tester.h"
#include "motion/movement_settings.h"
#include "motion/test_move_inputs.h"
#include "ui/editable_list_ctrl.h"
#include "ui/fields.h"
#include "ui/page_context.h"
#include "ui/page_hooks.h"
#include "ui/page_model.h"
#include "ui/sleeper.h"
#include "ui/tab_page.h"

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::ui {
class DialogService;
class WindowMessageReceiver;
}  // namespace velmor::ui

namespace velmor::motion {

// The edits and combo of one stepper motor.
struct MotorInputs {
    ui::CheckField ticked;      // "X电机", "Y电机", "Z电机", "M0电机", "M1电机"
    ui::TextField accelSteps;   // "加减速步数"
    ui::TextField topSpeed;     // "最大速度"
    ui::TextField distance;     // "移动距离(脉冲)"
    ui::ChoiceField direction;  // "运动方向": "Orignal", "End"
};

// The X DC motor's controls (main-board page).
struct XdcInputs {
    ui::CheckField ticked;       // "X无刷电机"
    ui::TextField frequency;     // "PWM频率"
    ui::TextField startVoltage;  // "起动电压"
    ui::TextField endVoltage;    // "终速电压"
    ui::TextField distance;      // "移动距离(脉冲)"
    ui::ChoiceField direction;
    ui::TextField multiply;  // "加速距离:" ... "mm"
};

class MovementPage : public ui::PageModel, public ui::TabPage, public ui::MovementPageHooks {
  public:
    static constexpr int kMovementList = 0;
    static constexpr int kMovetestList = 1;
    // Background of the rows of even and odd steps, 0x00BBGGRR.
    static constexpr std::uint32_t kEvenStepColour = 0x00F0FAFF;
    static constexpr std::uint32_t kOddStepColour = 0x00FFEBD7;

    ~MovementPage() override;
    MovementPage(const MovementPage&) = delete;
    MovementPage& operator=(const MovementPage&) = delete;

    controller::BoardLayout Layout() const override { return layout_; }
    bool HasXdcMotor() const { return layout_ == controller::BoardLayout::kMainBoard; }

    // ---- TabPage, hooks ----
    void OnInitDialog() override;
    void ClosePage() override;  // ends the status thread and a running move
    // The page is shown: its settings controls and the list show what the
    // controller object holds now (a document may have been loaded meanwhile).
    void ShowLists(int list) override;
    void TakeLists(int list) override { CommitList(list); }
    void StopStatusThread() override;
    void RefreshFromController() override;
    void TakeThreadUpdates() override;

    // ---- the lists and settings (0 movement list, 1 movetest list) ----
    void RefreshList(int list);
    void CommitList(int list);
    void ApplySettings();

    // ---- handlers (the view has already put the new state into the field) ----
    void OnMotorCheck(int slot);  // 0 X, 1 Y, 2 Z, 3 M0, 4 M1
    void OnXdcCheck();
    void OnY0Check() { OnFeedCheck(0); }
    void OnY1Check() { OnFeedCheck(1); }
    void OnDualYCheck();
    void OnTargetList(int list);  // the radio buttons "movement list" / "movetest list"
    void OnAdd();                 // "增加"
    void OnDelete(int list);      // "删除" (0), "删除 (测试表)" (1)
    void OnListClick(int list, int row, int column);
    void OnCellNumberKillFocus();
    void OnCellDirectionSelChange(int index);
    void OnCellLedSelChange(int index);
    void OnSettingsChange();  // a settings combo or the gear ratio changed
    void OnTestMode();        // "测试运动"
    void OnMoveMotor();       // "电机运动"
    void OnStopMotor();       // "电机停止"
    // "预览": the start-up motion of the lists as the page shows them (edits not
    // yet committed included) and of its settings, in the preview dialog. Changes
    // nothing: neither the page's lists nor the controller object's.
    void OnPreview();

    // Builds the start-up image for the preview; without one the button is hidden.
    void SetDocumentImageMaker(DocumentImageMaker maker);
    // The document "预览" shows: the controller object's, with the page's lists
    // and settings in place of its own.
    controller::OpenDocument PreviewDocument();

    // ---- state ----
    ui::CEditableListCtrl& List(int list) {
        return list == kMovetestList ? movetestList : movementList;
    }
    SettingsGroup& Settings(Channel channel) { return settings[static_cast<std::size_t>(channel)]; }
    bool DualY() const { return dualYFlag_; }
    std::string StatusText() const { return tester_.StatusText(); }
    // The status text as its field shows it: each "\r\n" a line break, a lone
    // "\r" or "\n" dropped.
    std::string StatusDisplayText() const;

    // One block of settings rows as the page shows them: the captions of its
    // limit columns (one or two) and its channels, in order.
    struct SettingsBlock {
        const char* limitCaption;
        const char* limit2Caption;  // null: one limit column
        std::vector<Channel> channels;
    };
    const std::vector<SettingsBlock>& SettingsBlocks() const;
    bool MoveRunning() const { return tester_.MoveRunning(); }
    MotorTester& Tester() { return tester_; }
    // The page's motor boxes, fields and settings as a test move takes them.
    TestMoveInputs Inputs() const;

    // ---- controls ----
    std::array<MotorInputs, controller::kMotorSlots> motors;
    XdcInputs xdc;
    ui::ChoiceField led;                    // "LED显示": "0"-"9", "A"-"F"
    ui::TextField gearRatio;                // "Z轴齿轮比:"
    ui::ChoiceField z0Board;                // "控制板": "Mainboard", "Headboard"
    std::array<SettingsGroup, 6> settings;  // by Channel; the main-board page has no X group
    ui::CheckField y0;
    ui::CheckField y1;
    ui::CheckField dualY;  // "双Y" (main-board page)
    ui::CEditableListCtrl movementList;
    ui::CEditableListCtrl movetestList;
    ui::CheckField movementRadio;  // "movement list"
    ui::CheckField movetestRadio;  // "movetest list"
    ui::ButtonField addButton{"增加"};
    ui::ButtonField deleteButton{"删除"};
    ui::ButtonField deleteTestButton{"删除 (测试表)"};
    ui::CheckField testMode;  // "测试运动"
    ui::ButtonField moveButton{"电机运动"};
    ui::ButtonField backButton{"电机后退"};  // hidden, no behaviour of its own
    ui::ButtonField stopButton{"电机停止"};
    ui::ButtonField previewButton{"预览", true, false};
    ListCellEditor cellEditor;

  protected:
    // The context's main window receives 2046 before a test move (may be null); its
    // sleeper carries the status thread's and the test moves' waits.
    MovementPage(const ui::PageContext& context, controller::BoardLayout layout);

    // A click on the Y0 (0) or Y1 (1) box, whose field holds its new state.
    virtual void FeedBoxClicked(int which) = 0;
    // Ticks or unticks feed motor `which`, selects it for Y steps and enables its
    // settings combos accordingly.
    void SetFeed(int which, bool on);

    void VisibilityChanged() override { Changed(); }

  private:
    void OnFeedCheck(int which);
    void SetupLists();
    void ShowSettingsFromController();
    void ApplySettingsTo(controller::MotorSettings& settings) const;
    controller::MotorSettings PageSettings() const;
    void EnableMotorFields();
    void UpdateTestButtons();
    void UpdateTesterInputs();
    void EnsureGroupName(int list);
    void ListsChanged();
    std::vector<controller::MotorListInfo>& StoredList(int list);
    std::vector<MotionRow> ViewRows(int list);
    void AppendRow(int list, const MotionRow& row);
    void AddTickedRows(int list);

    controller::CMainOperation& op_;
    ui::DialogService& dialogs_;
    DocumentImageMaker imageMaker_;
    const controller::BoardLayout layout_;
    ui::WindowMessageReceiver* mainWindow_;
    bool dualYFlag_ = false;
    std::atomic<bool> yResetPending_{false};
    // Last: its threads end before anything they reach.
    MotorTester tester_;
};

}  // namespace velmor::motion
