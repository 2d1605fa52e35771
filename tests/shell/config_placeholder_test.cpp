// Until the configuration page exists, its placeholder opens the command sets
// from the same button the page will have.
#include <gtest/gtest.h>

#include "commands/cmd_sets_dlg.h"
#include "main_window_fixture.h"
#include "ui/placeholder_page.h"
#include "ui/window_messages.h"

namespace velmor::shell {
namespace {

TEST_F(MainWindowTest, ConfigurationPlaceholderOpensTheCommandSets) {
    operation.cmdNames = {"InitDone"};
    operation.allCmdNames = {"A"};
    Open("chs");
    auto* page = dynamic_cast<ui::PlaceholderPage*>(window->TabHost().FindPage(ui::kConfigPageId));
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->Actions().size(), 1u);
    EXPECT_EQ(page->Actions()[0].button.caption, "初始化动作设计");

    dialogs.dialogScripts.push_back([](ui::ModalDialog& modal) {
        auto& sets = dynamic_cast<commands::CCmdSetsDlg&>(modal);
        sets.OnAdd();
        sets.OnExit();
    });
    page->OnAction(0);
    EXPECT_EQ(dialogs.dialogsRun, std::vector<int>{commands::CCmdSetsDlg::kDialogId});
    EXPECT_EQ(operation.cmdNames, (std::vector<std::string>{"InitDone", "A"}));
}

}  // namespace
}  // namespace velmor::shell
