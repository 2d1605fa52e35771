// A visit to the movement tab changes none of the motor settings, whichever way
// they came into the controller object: the start-up document, "加载文件", the
// hidden Default reload, "读取参数", or a board-type change on the movement tab.
// And an in-place cell edit still open when the user clicks a tab is kept.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/prt_config_dlg.h"
#include "main_window_fixture.h"
#include "motion/movement_page.h"

namespace velmor::shell {
namespace {

using controller::MotorSettings;

// Every one of the 33 settings away from its initial value, so a page that shows
// stale or initial combos and commits them gives itself away. Y0LimtPol holds a
// value no combo shows as such.
MotorSettings Distinct(std::uint8_t boardType, std::uint32_t gear) {
    MotorSettings s;
    s.Y0Selected = 0;
    s.Y1Selected = 0;
    s.XMoto_LimtEable = s.YMoto0_LimtEable = s.YMoto1_LimtEable = 0;
    s.ZMoto0_LimtEable = s.ZMoto1_LimtEable = s.Moto0_LimtEable = s.Moto1_LimtEable = 0;
    for (std::uint8_t* bit :
         {&s.XLimtPol,         &s.Y1LimtPol,     &s.XLimtPolLeft, &s.Y0LimtPolLeft,
          &s.Y1LimtPolLeft,    &s.XDirPol,       &s.Y0DirPol,     &s.Y1DirPol,
          &s.Z0LimtPol,        &s.Z0LimtPolDown, &s.Z0DirPol,     &s.Z0Board,
          &s.Z1LimtPol,        &s.Z1DirPol,      &s.Moto0DirPol,  &s.Moto0LimtPol,
          &s.Moto0LimtPolDown, &s.Moto1DirPol,   &s.Moto1LimtPol, &s.Moto1LimtPolLeft})
        *bit = 1;
    s.Y0LimtPol = 2;
    s.Z0Gear = gear;
    s.BoardType = boardType;
    s.Multiply = 7;
    return s;
}

class MovementVisitTest : public MainWindowTest {
  public:
    using MainWindowTest::dialogs;
    using MainWindowTest::driver;
    using MainWindowTest::operation;
    using MainWindowTest::Tick;
    using MainWindowTest::window;

    void OpenWith(const MotorSettings& settings) {
        operation.programFolder = home.Path().string() + "/";
        testing::WriteRecordDocument(operation.programFolder, "FirstConfig.cfg", settings);
        operation.SetBoardType(settings.BoardType);
        window = std::make_unique<CVelmorDlg>(operation, driver, dialogs);
        window->SetTimerService(&timers);
        window->SetSleeper(sleeper);
        window->OnInitDialog();
    }
    config::CPrtConfigDlg& Config() {
        return *dynamic_cast<config::CPrtConfigDlg*>(window->TabHost().FindPage(130));
    }
    motion::MovementPage& Movement(int number) {
        return *dynamic_cast<motion::MovementPage*>(window->TabHost().FindPage(number));
    }
    // Into the movement tab and back to `from`.
    void Visit(int from) {
        window->OnTabClick(1);
        window->OnTabClick(from);
    }
};

struct LoadPath {
    const char* name;
    std::uint8_t boardType;                        // of the start-up document
    std::function<void(MovementVisitTest&)> load;  // null: the start-up load alone
};

const LoadPath kLoadPaths[] = {
    {"StartUpMainBoard", 0, nullptr},
    {"StartUpFiber", 2, nullptr},
    {"LoadFile", 0,
     [](MovementVisitTest& t) {
         t.window->OnTabClick(2);
         testing::WriteRecordDocument(t.operation.programFolder, "other.cfg", Distinct(0, 3250));
         t.dialogs.openPaths.push_back(commands::CCmdsMag::RecordFolder(t.operation.programFolder) +
                                       "other.cfg");
         t.Config().OnLoadFile();
     }},
    {"DefaultReload", 2,
     [](MovementVisitTest& t) {
         t.window->OnTabClick(2);
         testing::WriteRecordDocument(t.operation.programFolder, "Default", Distinct(2, 4125));
         t.Config().OnDefault();
     }},
    {"ReadParams", 0,
     [](MovementVisitTest& t) {
         t.driver.AddDevice();
         t.Tick();
         t.window->OnTabClick(2);
         t.Config().OnDownFirm();
         t.operation.motorSettings = MotorSettings{};  // what the read-back replaces
         t.operation.SetBoardType(0);
         t.Config().OnReadParams();
     }},
};

void PrintTo(const LoadPath& path, std::ostream* os) { *os << path.name; }

class MovementVisitPathTest : public MovementVisitTest,
                              public ::testing::WithParamInterface<LoadPath> {};

TEST_P(MovementVisitPathTest, TheLoadedSettingsSurviveVisits) {
    const LoadPath& path = GetParam();
    OpenWith(Distinct(path.boardType, 2500));
    if (path.load) path.load(*this);
    const MotorSettings loaded = operation.motorSettings;
    if (!path.load) {
        EXPECT_EQ(loaded, Distinct(path.boardType, 2500));
    }
    const int from = window->TabHost().CurrentPage();
    Visit(from);
    EXPECT_EQ(operation.motorSettings, loaded);
    Visit(from);
    EXPECT_EQ(operation.motorSettings, loaded);
}

INSTANTIATE_TEST_SUITE_P(EveryLoad, MovementVisitPathTest, ::testing::ValuesIn(kLoadPaths),
                         [](const ::testing::TestParamInfo<LoadPath>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(MovementVisitTest, ABoardTypeChangeOnTheMovementTabKeepsTheSettings) {
    OpenWith(Distinct(0, 2500));
    window->OnTabClick(1);
    window->OnBoardTypeSelChange(2);  // the fiber page takes over the movement tab
    window->OnTabClick(0);
    EXPECT_EQ(operation.motorSettings, Distinct(2, 2500));
    window->OnTabClick(1);
    window->OnBoardTypeSelChange(0);
    window->OnTabClick(2);
    EXPECT_EQ(operation.motorSettings, Distinct(0, 2500));
}

TEST_F(MovementVisitTest, AChangedComboIsTheOnlyChangeAVisitMakes) {
    OpenWith(Distinct(0, 2500));
    window->OnTabClick(1);
    motion::MovementPage& page = Movement(145);
    page.Settings(motion::Channel::kZ0).dirPolarity.selected = 0;  // "Positive"
    page.gearRatio.text = "1.25";
    window->OnTabClick(0);
    MotorSettings expected = Distinct(0, 1250);
    expected.Z0DirPol = 0;
    EXPECT_EQ(operation.motorSettings, expected);
}

TEST_F(MovementVisitTest, ANumberStillBeingTypedIsKeptWhenATabIsClicked) {
    Open("chs", 0);
    controller::MotorListInfo step;
    step.nMotorNums = 1;
    step.motorIndex = 1;
    step.MotonnnMoveLenth[0] = 100;
    operation.motionList = {step};
    window->OnTabClick(1);
    motion::MovementPage& page = Movement(145);
    page.OnListClick(motion::MovementPage::kMovementList, 0, motion::kColumnDistance);
    ASSERT_EQ(page.cellEditor.Editing(), motion::ListCellEditor::Kind::kNumber);
    page.cellEditor.number.text = "777";  // typed; the edit still has the focus
    window->OnTabClick(2);
    ASSERT_EQ(operation.motionList.size(), 1u);
    EXPECT_EQ(operation.motionList[0].MotonnnMoveLenth[0], 777);
    EXPECT_EQ(page.cellEditor.Editing(), motion::ListCellEditor::Kind::kNone);
}

}  // namespace
}  // namespace velmor::shell
