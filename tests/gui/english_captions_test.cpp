// With the English translation installed, every caption of the main window, its
// pages and the About box is English: a Chinese text left means a missing entry
// in velmortool_en.ts.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QTest>
#include <QTranslator>

#include "cleaning/clean_download_dlg.h"
#include "commands/cmd_edit_dlg.h"
#include "commands/cmd_sets_dlg.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "gui/about_dialog.h"
#include "gui/clean_download_view.h"
#include "gui/cmd_edit_view.h"
#include "gui/cmd_sets_view.h"
#include "gui/main_window.h"
#include "gui/prt_config_view.h"
#include "shell/velmor_dlg.h"
#include "support/fake_timer_service.h"
#include "support/scripted_dialog_service.h"
#include "support/temp_dir.h"

namespace velmor::gui {
namespace {

bool HasChinese(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x3000) return true;  // CJK symbols, ideographs, full-width forms
    }
    return false;
}

// Captions of labels, buttons, group boxes, choice items and tabs below `root` that are still
// Chinese.
QStringList ChineseCaptions(QWidget* root) {
    QStringList found;
    for (auto* label : root->findChildren<QLabel*>()) {
        if (HasChinese(label->text())) found << label->objectName() + ": " + label->text();
    }
    for (auto* button : root->findChildren<QAbstractButton*>()) {
        if (HasChinese(button->text())) found << button->objectName() + ": " + button->text();
    }
    for (auto* group : root->findChildren<QGroupBox*>()) {
        if (HasChinese(group->title())) found << "group: " + group->title();
    }
    for (auto* action : root->findChildren<QAction*>()) {
        if (HasChinese(action->text())) found << "action: " + action->text();
    }
    for (auto* combo : root->findChildren<QComboBox*>()) {
        for (int i = 0; i < combo->count(); ++i) {
            if (HasChinese(combo->itemText(i)))
                found << combo->objectName() + ": " + combo->itemText(i);
        }
    }
    for (auto* tabs : root->findChildren<QTabBar*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (HasChinese(tabs->tabText(i))) found << "tab: " + tabs->tabText(i);
        }
    }
    return found;
}

class EnglishCaptionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        operation.programFolder = home.Path().string() + "/";  // the pages keep files there
        ASSERT_TRUE(english.load(QStringLiteral(VELMOR_QM_FILE))) << VELMOR_QM_FILE;
        QApplication::installTranslator(&english);
    }
    void TearDown() override { QApplication::removeTranslator(&english); }

    QTranslator english;
    testing::TempDir home;
    sim::SimDriver driver;
    controller::CMainOperation operation;
    testing::ScriptedDialogService dialogs;
    testing::NoWaitSleeper sleeper;
};

TEST_F(EnglishCaptionsTest, MainWindowPagesAndAboutBoxHaveNoChineseCaption) {
    operation.language = controller::Language::kEnglish;
    shell::CVelmorDlg model(operation, driver, dialogs);
    model.SetSleeper(sleeper);
    MainWindow view(model);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    // Both movement pages are among the pages looked at.
    ASSERT_NE(view.findChild<QWidget*>("InitialMoveMentView"), nullptr);
    ASSERT_NE(view.findChild<QWidget*>("InitialDoubleFiberView"), nullptr);
    EXPECT_EQ(ChineseCaptions(&view), QStringList());
    // The configuration page is among them, in both of its layouts.
    auto* config = view.findChild<PrtConfigView*>();
    ASSERT_NE(config, nullptr);
    model.OnBoardTypeSelChange(0);
    model.OnTabClick(2);
    EXPECT_EQ(ChineseCaptions(config), QStringList());

    AboutDialog about(model.about, &view);
    EXPECT_EQ(ChineseCaptions(&about), QStringList());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About VelmorTool"));
}

TEST_F(EnglishCaptionsTest, CommandSetDialogsHaveNoChineseCaption) {
    operation.language = controller::Language::kEnglish;
    commands::CCmdSetsDlg sets({operation, dialogs});
    sets.OnInitDialog();
    CmdSetsView setsView(sets, nullptr);
    EXPECT_EQ(ChineseCaptions(&setsView), QStringList());
    commands::CCmdEditDlg editor({operation, dialogs}, "");
    editor.OnInitDialog();
    CmdEditView editView(editor, nullptr);
    EXPECT_EQ(ChineseCaptions(&editView), QStringList());
    EXPECT_EQ(editView.windowTitle(), QStringLiteral("Edit command set"));
}

// The cleaning page is hosted only in Chinese, but its captions are translated
// like every other: both sets of ink-stack captions are checked.
TEST_F(EnglishCaptionsTest, CleaningPageHasNoChineseCaption) {
    testing::TempDir home;
    operation.language = controller::Language::kEnglish;
    operation.programFolder = home.Path().string() + "/";
    cleaning::CCleanDownloadDlg page({operation, dialogs});
    page.OnInitDialog();
    CleanDownloadView view(page);
    for (int model : {0, 1}) {
        page.OnModelSelChange(model);
        view.Refresh();
        EXPECT_EQ(ChineseCaptions(&view), QStringList()) << model;
    }
}

TEST_F(EnglishCaptionsTest, WithoutTheTranslationTheBuiltInTextsAreChinese) {
    QApplication::removeTranslator(&english);
    shell::CVelmorDlg model(operation, driver, dialogs);
    model.SetSleeper(sleeper);
    MainWindow view(model);
    const QStringList chinese = ChineseCaptions(&view);
    EXPECT_TRUE(chinese.contains(QStringLiteral("exitButton: ") + QString::fromUtf8("退出")));
    EXPECT_TRUE(chinese.contains(QStringLiteral("aboutButton: ") + QString::fromUtf8("关于")));
    EXPECT_TRUE(chinese.contains(QStringLiteral("addButton: ") + QString::fromUtf8("增加")));
    EXPECT_TRUE(
        chinese.contains(QStringLiteral("action: ") + QString::fromUtf8("关于 VelmorTool(&A)...")));
}

}  // namespace
}  // namespace velmor::gui
