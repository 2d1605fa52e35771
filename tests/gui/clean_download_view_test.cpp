#include "gui/clean_download_view.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "cleaning/panel_packets.h"
#include "commands/cmds_mag.h"
#include "drivers/sim/sim_panel.h"
#include "support/fake_timer_service.h"
#include "support/scripted_dialog_service.h"
#include "support/sim_rig.h"
#include "support/temp_dir.h"
#include "support/view_test.h"

namespace velmor::gui {
namespace {

using Texts = std::vector<std::string>;

class CleanDownloadViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.op.programFolder = home.Path().string() + "/";
        page.OnInitDialog();
        ASSERT_TRUE(testing::ShowExposed(view, 1180, 720));
        testing::Settle();
    }
    template <typename T>
    T* Find(const char* name) {
        return testing::FindWidget<T>(&view, name);
    }
    void Click(const char* name) {
        testing::ClickButton(&view, name);
        testing::Settle();
    }
    void Choose(const char* list, int index) {
        QComboBox* combo = Find<QComboBox>(list);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        testing::Settle();
    }

    testing::TempDir home;
    testing::SimRig rig;
    sim::SimPanel& panel = rig.Controller().Panel();
    testing::ScriptedDialogService dialogs;
    testing::NoWaitSleeper sleeper;
    cleaning::CCleanDownloadDlg page{{rig.op, dialogs, nullptr, &sleeper}};
    CleanDownloadView view{page};
};

TEST_F(CleanDownloadViewTest, LoadsAFileAndDownloadsItToTheSimulatedPanel) {
    controller::CMainOperation writer;
    writer.cleanParams = {.uiCarleaveclear1 = 5000,
                          .uiCarmoveblow1 = 8000,
                          .byMachineType = 2,
                          .byMotoHead = 0,
                          .uiTimeConsuming = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
    const std::string file = home.File("station.cfg");
    ASSERT_TRUE(commands::CCmdsMag(writer).SaveCleanParams(file));

    dialogs.openPaths.push_back(file);
    Click("loadButton");
    EXPECT_EQ(Find<QLineEdit>("carWiper1")->text(), QStringLiteral("5000"));
    EXPECT_EQ(Find<QLabel>("path")->text().toStdString(), file);
    EXPECT_TRUE(Find<QLineEdit>("time10")->isVisible());
    EXPECT_FALSE(Find<QLineEdit>("carWiper2")->isVisible());

    Click("downloadButton");
    EXPECT_EQ(dialogs.MessageTexts(), (Texts{"     加载成功!", "     下发面板参数成功!"}));
    const auto frames =
        cleaning::BuildPanelFrames(writer.cleanParams, 720, controller::Language::kChinese).frames;
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(panel.LastFrame(0x55), frames[0]);
    EXPECT_EQ(panel.LastFrame(0x5A), frames[1]);
    EXPECT_EQ(panel.LastFrame(0xA5), frames[2]);
}

TEST_F(CleanDownloadViewTest, InitSkipSucceedsAndFailsWhenThePanelDoesNotAnswer) {
    Click("initSkipButton");
    panel.Faults().silentFrames = 1;
    Click("initSkipButton");
    EXPECT_EQ(dialogs.MessageTexts(), (Texts{"     初始化成功!", "初始化失败!"}));
}

TEST_F(CleanDownloadViewTest, ListsShowAndHideTheirFieldsAndGroups) {
    Choose("machineModel", 1);
    EXPECT_FALSE(Find<QComboBox>("wiperType")->isVisible());
    EXPECT_EQ(Find<QLabel>("platformLabel1")->text(), QString::fromUtf8("刮墨时的墨栈高度"));
    QWidget* stackGroup = Find<QLineEdit>("platformFlash")->parentWidget();
    EXPECT_TRUE(stackGroup->isVisible());

    Choose("stackType", 1);
    EXPECT_FALSE(stackGroup->isVisible());  // every field of the group hidden
    EXPECT_TRUE(Find<QLineEdit>("cleanPos")->isVisible());
    EXPECT_EQ(rig.op.cleanParams.byStackType, 1);
}

}  // namespace
}  // namespace velmor::gui
