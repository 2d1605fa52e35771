#include "gui/prt_config_view.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <map>

#include "config/prt_config_fixture.h"
#include "support/view_test.h"

namespace velmor::gui {
namespace {

class PrtConfigViewTest : public config::PrtConfigDlgTest {
  protected:
    void SetUp() override {
        page = Open();
        view = std::make_unique<PrtConfigView>(*page);
        ASSERT_TRUE(testing::ShowExposed(*view, 1180, 760));
    }
    void TearDown() override { view.reset(); }

    // What every choice and check box shows, by name.
    std::map<QString, int> Shown() {
        testing::Settle();
        std::map<QString, int> shown;
        for (auto* combo : view->findChildren<QComboBox*>())
            shown[combo->objectName()] = combo->currentIndex();
        for (auto* box : view->findChildren<QCheckBox*>())
            shown[box->objectName()] = box->isChecked() ? 1 : 0;
        return shown;
    }
    bool VisibleInView(const char* name) {
        QWidget* widget = testing::FindWidget<QWidget>(view.get(), name);
        return widget != nullptr && widget->isVisibleTo(view.get());
    }

    std::unique_ptr<config::CPrtConfigDlg> page;
    std::unique_ptr<PrtConfigView> view;
};

TEST_F(PrtConfigViewTest, LoadDownloadResetAndReadBackShowTheSameControls) {
    dialogs.openPaths = {WriteDocument(dir.File("board.cfg"), 0, config::SingleBoardBytes())};
    testing::ClickButton(view.get(), "loadButton");
    const std::map<QString, int> loaded = Shown();
    EXPECT_EQ(loaded.at("orignalAt"), 1);
    EXPECT_EQ(loaded.at("main_inkPol0"), 1);
    EXPECT_EQ(loaded.at("channel3"), 1);
    EXPECT_EQ(testing::FindWidget<QLabel>(view.get(), "path")->text().toStdString(),
              dir.File("board.cfg"));

    testing::ClickButton(view.get(), "downFirmButton");
    EXPECT_EQ(dialogs.messages.back().text, "     Download complete!");
    rig.Controller().PowerUp();  // the simulated board starts from its flash
    EXPECT_EQ(rig.Controller().Reg(0x4009), 0x82);

    // The user changes a few controls; reading the parameters back restores them.
    testing::FindWidget<QComboBox>(view.get(), "orignalAt")->setCurrentIndex(0);
    testing::FindWidget<QComboBox>(view.get(), "xLimitSel")->setCurrentIndex(3);
    testing::FindWidget<QComboBox>(view.get(), "main_inkPol0")->setCurrentIndex(0);
    ASSERT_NE(Shown(), loaded);
    testing::ClickButton(view.get(), "readParamsButton");
    EXPECT_EQ(dialogs.messages.back().text, "     Read complete!");
    EXPECT_EQ(Shown(), loaded);
}

TEST_F(PrtConfigViewTest, TheLayoutShowsItsOwnControlsAndTheSecondColumn) {
    for (std::uint8_t board : {0, 1}) {
        rig.op.SetBoardType(board);
        page->OnLayoutMessage();
        testing::Settle();
        const bool fiber = board == 1;
        EXPECT_EQ(VisibleInView("mLLeftPol"), !fiber) << int(board);
        EXPECT_EQ(VisibleInView("motoXDir"), !fiber);
        EXPECT_EQ(VisibleInView("doubleYSel"), fiber);
        EXPECT_EQ(VisibleInView("second_inkPol7"), fiber);
        EXPECT_TRUE(VisibleInView("main_inkPol7"));
        EXPECT_FALSE(VisibleInView("drop10"));
        EXPECT_FALSE(VisibleInView("defaultButton"));
    }
    EXPECT_FALSE(testing::FindWidget<QComboBox>(view.get(), "jetType")->isEnabled());
    EXPECT_FALSE(testing::FindWidget<QCheckBox>(view.get(), "channel1")->isEnabled());
    EXPECT_EQ(testing::FindWidget<QProgressBar>(view.get(), "progress")->value(), 0);
}

}  // namespace
}  // namespace velmor::gui
