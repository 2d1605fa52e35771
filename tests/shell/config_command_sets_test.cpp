// The configuration page of the main window opens the command sets from
// "初始化动作设计", with the entry of the default document.
#include <gtest/gtest.h>

#include <algorithm>

#include "commands/cmd_sets_dlg.h"
#include "config/prt_config_dlg.h"
#include "main_window_fixture.h"
#include "ui/window_messages.h"

namespace velmor::shell {
namespace {

TEST_F(MainWindowTest, ConfigurationPageOpensTheCommandSets) {
    Open("chs");
    auto* page = dynamic_cast<config::CPrtConfigDlg*>(
        window->TabHost().FindPage(config::CPrtConfigDlg::kDialogId));
    ASSERT_NE(page, nullptr);
    operation.allCmdNames = {"InitDone", "A"};
    operation.cmdNames = {"InitDone"};
    dialogs.dialogScripts.push_back([](ui::ModalDialog& modal) {
        auto& sets = dynamic_cast<commands::CCmdSetsDlg&>(modal);
        const auto& items = sets.allNames.items;
        sets.allNames.selected =
            static_cast<int>(std::find(items.begin(), items.end(), "A") - items.begin());
        sets.OnAdd();
        sets.OnExit();
    });
    page->OnInitMovementDesign();
    EXPECT_EQ(dialogs.dialogsRun, std::vector<int>{commands::CCmdSetsDlg::kDialogId});
    EXPECT_EQ(operation.cmdNames.back(), "A");
}

}  // namespace
}  // namespace velmor::shell
