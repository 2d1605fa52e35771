#include "gui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "gui/about_dialog.h"
#include "gui/qt_dialog_service.h"
#include "gui/qt_timer_service.h"
#include "shell/velmor_dlg.h"
#include "support/fake_timer_service.h"
#include "support/program_home.h"
#include "support/scripted_dialog_service.h"
#include "support/temp_dir.h"
#include "support/view_test.h"

namespace velmor::gui {
namespace {

class MainWindowViewTest : public ::testing::Test {
  protected:
    // `service`: the dialogs the window's model uses; the scripted ones by default.
    // The configuration page opens FirstConfig.cfg, which carries the board type.
    void Open(const std::string& language, std::uint8_t boardType,
              ui::DialogService* service = nullptr) {
        operation.programFolder = home.Path().string() + "/";
        testing::WriteFirstConfig(operation.programFolder, boardType);
        operation.language = controller::LanguageOf(language);
        operation.SetBoardType(boardType);
        model =
            std::make_unique<shell::CVelmorDlg>(operation, driver, service ? *service : dialogs);
        model->SetSleeper(sleeper);
        view = std::make_unique<MainWindow>(*model);
        ASSERT_TRUE(testing::ShowExposed(*view, 1100, 720));
    }
    template <typename T>
    T* Find(const char* name) {
        return testing::FindWidget<T>(view.get(), name);
    }
    void Settle() { testing::Settle(); }
    void ClickTab(int index) {
        QTabBar* tabs = view->Tabs();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
        Settle();
    }

    testing::TempDir home;
    sim::SimDriver driver;
    controller::CMainOperation operation;
    testing::ScriptedDialogService dialogs;
    testing::NoWaitSleeper sleeper;
    std::unique_ptr<shell::CVelmorDlg> model;
    std::unique_ptr<MainWindow> view;
};

TEST_F(MainWindowViewTest, StatusTurnsConnectedAfterATickAndDisconnectedAfterUnplug) {
    sim::SimDevice& device = driver.AddDevice();
    Open("chs", 1);
    auto* status = Find<QLabel>("statusLine");
    EXPECT_EQ(status->text(), QString::fromUtf8("连接断开..."));
    // Timer 1 runs once a second on a QTimer; the test delivers the tick itself.
    auto* timers = view->findChild<QtTimerService*>();
    ASSERT_NE(timers, nullptr);
    EXPECT_EQ(timers->Interval(shell::CVelmorDlg::kConnectionTimerId), 1000);
    model->OnTimer(shell::CVelmorDlg::kConnectionTimerId);
    Settle();
    EXPECT_EQ(status->text(), QString::fromUtf8("已连接..."));
    EXPECT_EQ(Find<QComboBox>("deviceName")->currentText().toStdString(),
              sim::SimDeviceOptions{}.deviceName);

    device.Unplug();
    model->OnTimer(shell::CVelmorDlg::kConnectionTimerId);
    Settle();
    EXPECT_EQ(status->text(), QString::fromUtf8("连接断开..."));
    EXPECT_EQ(Find<QComboBox>("deviceName")->count(), 0);
}

TEST_F(MainWindowViewTest, TabClicksShowThePageOfTheTabAndTheMovementPageOfTheBoard) {
    driver.AddDevice();
    Open("chs", 1);
    ASSERT_EQ(view->Tabs()->count(), 4);
    EXPECT_EQ(view->Tabs()->tabText(3), QString::fromUtf8("清洗设置"));
    EXPECT_TRUE(view->PageView(0)->isVisible());

    ClickTab(1);  // DoubleFiber: page 148, the fifth page, takes the movement tab
    EXPECT_EQ(model->TabHost().CurrentPage(), 1);
    EXPECT_EQ(view->Tabs()->currentIndex(), 1);
    EXPECT_FALSE(view->PageView(0)->isVisible());
    EXPECT_FALSE(view->PageView(1)->isVisible());
    EXPECT_TRUE(view->PageView(4)->isVisible());

    ClickTab(2);
    EXPECT_TRUE(view->PageView(2)->isVisible());
    EXPECT_FALSE(view->PageView(4)->isVisible());

    // Board type "Mainboard" from the selector: the movement tab shows page 145.
    auto* board = Find<QComboBox>("boardType");
    board->setCurrentIndex(0);
    emit board->activated(0);
    EXPECT_EQ(operation.BoardType(), 0);
    ClickTab(1);
    EXPECT_TRUE(view->PageView(1)->isVisible());
    EXPECT_FALSE(view->PageView(4)->isVisible());
}

TEST_F(MainWindowViewTest, EnglishWindowHasThreeTabs) {
    Open("eng", 0);
    ASSERT_EQ(view->Tabs()->count(), 3);
    EXPECT_EQ(view->Tabs()->tabText(0), QStringLiteral("Read write register"));
    EXPECT_EQ(Find<QLabel>("statusLine")->text(), QStringLiteral("Disconnect..."));
}

TEST_F(MainWindowViewTest, ClickingTheDeviceNameLabelTogglesTheVersionLabel) {
    Open("chs", 1);
    auto* version = Find<QLabel>("versionLabel");
    EXPECT_FALSE(version->isVisible());
    QTest::mouseClick(Find<QLabel>("deviceNameLabel"), Qt::LeftButton);
    Settle();
    EXPECT_TRUE(version->isVisible());
    EXPECT_EQ(version->text(), QStringLiteral("V2.0.0519.0(Inside)"));
    QTest::mouseClick(Find<QLabel>("deviceNameLabel"), Qt::LeftButton);
    Settle();
    EXPECT_FALSE(version->isVisible());
}

TEST_F(MainWindowViewTest, AboutButtonOpensTheAboutBoxModally) {
    QtDialogService qtDialogs;
    Open("chs", 1, &qtDialogs);
    qtDialogs.SetParent(view.get());
    bool seen = false;
    // The box runs its own modal loop: a timer inside that loop closes it.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* about = qobject_cast<AboutDialog*>(top); about && about->isVisible()) {
                seen = about->windowTitle() == QString::fromUtf8("关于 VelmorTool");
                about->accept();
                closer.stop();
            }
        }
    });
    closer.start(5);
    // The click returns once the box has closed: it runs modally through the
    // dialog service, and its OK ends it with the OK result.
    QTest::mouseClick(Find<QPushButton>("aboutButton"), Qt::LeftButton);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(model->about.Ended());
    EXPECT_EQ(model->about.Result(), ui::ModalDialog::kOk);
}

TEST_F(MainWindowViewTest, AboutBoxRunsThroughTheDialogServiceAndItsOkEndsIt) {
    Open("chs", 1);
    dialogs.dialogScripts.push_back(
        [](ui::ModalDialog& about) { static_cast<shell::CAboutDlg&>(about).OnOK(); });
    QTest::mouseClick(Find<QPushButton>("aboutButton"), Qt::LeftButton);
    EXPECT_EQ(dialogs.dialogsRun, std::vector<int>{shell::CAboutDlg::kDialogId});
    EXPECT_EQ(model->about.Result(), ui::ModalDialog::kOk);
}

TEST_F(MainWindowViewTest, ExitClosesTheWindowAndThePages) {
    Open("chs", 0);
    QTest::mouseClick(Find<QPushButton>("exitButton"), Qt::LeftButton);
    Settle();
    EXPECT_TRUE(model->ended);
    EXPECT_FALSE(view->isVisible());
    auto* timers = view->findChild<QtTimerService*>();
    EXPECT_FALSE(timers->IsRunning(shell::CVelmorDlg::kConnectionTimerId));
}

}  // namespace
}  // namespace velmor::gui
