// The configuration page on the simulated controller: opening, loading and saving
// documents, the download and the read-back, the command sets, and what each shows.

#include <gtest/gtest.h>

#include <algorithm>

#include "commands/cmd_sets_dlg.h"
#include "commands/store_document.h"
#include "prt_config_fixture.h"
#include "ui/modal_dialog.h"

namespace velmor::config {
namespace {

TEST_F(PrtConfigDlgTest, OpeningShowsTheStoredDocumentOrFirstConfig) {
    const std::string first = WriteDocument(Record() + "FirstConfig.cfg", 0, SingleBoardBytes());
    auto page = Open();
    EXPECT_EQ(page->path.text, first);  // nothing stored yet
    EXPECT_EQ(page->ShownLayout(), controller::BoardLayout::kMainBoard);
    ExpectSingleBoardControls(page->controls);
    EXPECT_EQ(page->controls.jetType.SelectedText(), "SPT255-GS-35PL");
    EXPECT_EQ(page->controls.rasterRes.SelectedText(), "720 dpi");
    EXPECT_EQ(page->controls.flashFrequency.SelectedText(), "16  HZ");
    // The GS head type came with the document: the drop lists and "点数" follow.
    EXPECT_TRUE(page->controls.dotSize.enabled);
    EXPECT_FALSE(page->controls.jetType.enabled);
    EXPECT_TRUE(page->controls.orignalAt.enabled);
    EXPECT_EQ(page->Log().Text().rfind("[0000-000F]: 00 00 00 00 - ", 0), 0u);
    EXPECT_TRUE(Texts().empty());

    // A stored path that names a file wins; one that names nothing falls back.
    const std::string stored = WriteDocument(dir.File("stored.cfg"), 1, {}, false);
    CCmdsMag(rig.op).SetStoredPath(stored, CCmdsMag::PathKind::Configuration);
    EXPECT_EQ(Open()->path.text, stored);
    CCmdsMag(rig.op).SetStoredPath(dir.File("gone.cfg"), CCmdsMag::PathKind::Configuration);
    EXPECT_EQ(Open()->path.text, first);
}

TEST_F(PrtConfigDlgTest, AFileWithoutPrinterKeysShowsTheFirstEntries) {
    rig.op.SetBoardType(0);
    auto page = Open();
    page->controls.rasterRes.selected = 2;
    const std::string plain = WriteDocument(dir.File("plain.cfg"), 0, SingleBoardBytes(), false);
    dialogs.openPaths = {plain};
    page->OnLoadFile();
    EXPECT_EQ(page->controls.jetType.SelectedText(), "SPT510-35PL");
    EXPECT_EQ(page->controls.rasterRes.SelectedText(), "360 dpi");  // left as it was
    EXPECT_EQ(page->controls.flashFrequency.SelectedText(), "1   HZ");
    EXPECT_FALSE(page->controls.dotSize.enabled);
}

TEST_F(PrtConfigDlgTest, LoadFileStoresThePathShowsTheDocumentAndRefreshesTheMovementPage) {
    auto page = Open();
    const std::string good = WriteDocument(dir.File("good.cfg"), 0, SingleBoardBytes());
    dialogs.openPaths = {good};
    page->OnLoadFile();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].title, "打开自定义文件");
    EXPECT_EQ(dialogs.fileRequests[0].filters[0].patterns, std::vector<std::string>{"*.cfg"});
    EXPECT_EQ(CCmdsMag(rig.op).GetStoredPath(CCmdsMag::PathKind::Configuration), good);
    EXPECT_EQ(page->path.text, good);
    ASSERT_FALSE(dialogs.progress.empty());
    EXPECT_EQ(dialogs.progress[0].message, std::string(19, ' ') + "Loading");
    EXPECT_EQ(dialogs.progress[0].flagCode, 1);
    EXPECT_EQ(dialogs.progress[0].tickLimit, 20);
    EXPECT_EQ(Texts(), std::vector<std::string>{"     Loading succeed!"});
    EXPECT_EQ(dialogs.messages[0].caption, "VelmorTool");
    ExpectSingleBoardControls(page->controls);
    EXPECT_EQ(movement.refreshes, 1);
    EXPECT_EQ(rig.op.motionList.size(), 1u);

    // A document without a movement list loads, but reports failure.
    controller::CMainOperation empty;
    ASSERT_TRUE(CCmdsMag(empty).SaveConfigDocument(dir.File("empty.cfg")));
    dialogs.openPaths = {dir.File("empty.cfg")};
    rig.op.language = controller::Language::kChinese;
    page->OnLoadFile();
    EXPECT_EQ(dialogs.messages.back().text, "加载失败，请检查文件是否正确!");
    EXPECT_EQ(dialogs.messages.back().caption, "");
    EXPECT_EQ(dialogs.progress.back().dots, 20);  // the flag never came

    dialogs.openPaths = {std::nullopt};  // cancelled: nothing happens
    page->OnLoadFile();
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(PrtConfigDlgTest, SaveAsRefusesTheSystemDiskAndWritesTwoPrinterKeys) {
    rig.op.SetBoardType(0);
    auto page = Open();
    page->controls.orignalAt.selected = 1;
    page->controls.jetType.selected = 2;  // as a loaded file would show it
    dialogs.savePaths = {"C:\\data\\x.cfg", "/usr/share/x.cfg"};
    page->OnSaveAs();
    page->OnSaveAs();
    EXPECT_EQ(Texts(), std::vector<std::string>(2, "Cannot be saved in the system disk!"));
    EXPECT_TRUE(dialogs.progress.empty());

    const std::string file = dir.File("saved.cfg");
    dialogs.savePaths = {file};
    page->OnSaveAs();
    EXPECT_EQ(Texts().back(), "     Save complete!");
    EXPECT_EQ(dialogs.progress.back().message, std::string(19, ' ') + "Saveing");
    EXPECT_EQ(dialogs.progress.back().flagCode, 2);
    EXPECT_EQ(dialogs.progress.back().tickLimit, 30);
    commands::StoreDocument saved;
    ASSERT_TRUE(saved.Open(file));
    EXPECT_EQ(saved.Profile().GetInt("JETTYPE", "JetType", -1), 3);
    EXPECT_EQ(saved.Profile().GetInt("DPITYPE", "DPIType", -1), 2);
    EXPECT_EQ(saved.Profile().GetInt("FlashSel", "FlashSel", -1), -1);  // Save As leaves it out
    // Encode ran first: the document carries "MB Ctrl1" with Orignal At set.
    controller::CMainOperation back;
    CCmdsMag(back).LoadConfigDocument(file);
    const auto ctrl1 = std::find_if(back.cmdList.begin(), back.cmdList.end(),
                                    [](const CMD_INFO& c) { return c.Addr == 0x4009; });
    ASSERT_NE(ctrl1, back.cmdList.end());
    EXPECT_EQ(ctrl1->Data, 0x80);
}

TEST_F(PrtConfigDlgTest, SaveGoesToTheStoredPathOrDefaultWithThreeKeys) {
    auto page = Open();
    rig.op.motionList = {testing::XStep()};
    page->OnSave();
    EXPECT_TRUE(rig.op.motionGenerated);
    const std::string file = CCmdsMag::DefaultDocumentPath(rig.op.programFolder);
    commands::StoreDocument saved;
    ASSERT_TRUE(saved.Open(file));
    EXPECT_EQ(saved.Profile().GetInt("FlashSel", "FlashSel", -1), 0);
    EXPECT_EQ(saved.Profile().GetInt("JETTYPE", "JetType", -1), 1);
    // "保存" does not rebuild the motion groups, and with the flag set neither does "另存为".
    const auto movement = [this] {
        return std::count_if(rig.op.cmdList.begin(), rig.op.cmdList.end(),
                             [](const CMD_INFO& c) { return c.KeyName == "InitMovement"; });
    };
    EXPECT_EQ(movement(), 0);
    dialogs.savePaths = {dir.File("as.cfg")};
    page->OnSaveAs();
    EXPECT_EQ(movement(), 0);
    rig.op.motionGenerated = false;
    dialogs.savePaths = {dir.File("as.cfg")};
    page->OnSaveAs();
    EXPECT_GT(movement(), 0);
}

TEST_F(PrtConfigDlgTest, LayoutFollowsTheBoardTypeOnTheLayoutMessage) {
    auto page = Open();
    const ConfigPageFields& f = page->controls;
    for (std::uint8_t board : {0, 2, 1, 0}) {
        rig.op.SetBoardType(board);
        page->OnLayoutMessage();
        const bool fiber = board != 0;
        EXPECT_EQ(page->ShownLayout(),
                  fiber ? controller::BoardLayout::kFiber : controller::BoardLayout::kMainBoard);
        EXPECT_EQ(f.mLLeftPol.visible, !fiber) << int(board);
        EXPECT_EQ(f.motoXDir.visible, !fiber);
        EXPECT_EQ(f.motoYDir.visible, !fiber);
        EXPECT_EQ(f.doubleYSel.visible, fiber);
        EXPECT_EQ(f.secondColumn.inkPol[7].visible, fiber);
        EXPECT_EQ(f.secondColumnTitle.visible, fiber);
        EXPECT_TRUE(f.mainColumn.inkPol[7].visible);
        EXPECT_FALSE(f.memSize.visible);
        EXPECT_FALSE(f.drop10.visible);
    }
}

TEST_F(PrtConfigDlgTest, HeadTypeRuleOnSelectionChanges) {
    auto page = Open();
    const ConfigPageFields& f = page->controls;
    const struct {
        int index;
        bool enabled;
    } steps[] = {{0, false}, {5, true}, {7, true}, {6, true}, {2, false}, {7, false}};
    for (const auto& step : steps) {
        page->OnJetTypeSelChange(step.index);
        EXPECT_EQ(f.dotSize.enabled, step.enabled) << step.index;
        EXPECT_EQ(f.drop10.enabled, step.enabled);
        EXPECT_EQ(f.dropTick.enabled, step.enabled);
    }
}

TEST_F(PrtConfigDlgTest, DefaultReloadTakesOnlyInitDoneAndDoesNotDecode) {
    controller::CMainOperation doc;
    doc.cmdList = {{"InitDone", "MB Ctrl1", "RegWrite", 0x4009, 0x80},
                   {"Other", "MB Ctrl2", "RegWrite", 0x400A, 0x33}};
    doc.motionList = {testing::XStep()};
    ASSERT_TRUE(
        CCmdsMag(doc).SaveConfigDocument(CCmdsMag::DefaultDocumentPath(rig.op.programFolder)));
    auto page = Open();
    page->controls.orignalAt.selected = 0;
    page->OnDefault();
    EXPECT_EQ(page->Params().mbCtrl1, 0x80);
    EXPECT_EQ(page->Params().mbCtrl2, 0x00);
    EXPECT_EQ(page->controls.orignalAt.selected, 0);
}

TEST_F(PrtConfigDlgTest, InitialMovementDesignEncodesBuildsOpensTheSetsAndDecodes) {
    std::optional<controller::CmdNameInfo> entry;
    bool motionBuilt = false;
    auto page = Open();
    EXPECT_TRUE(page->initMotionButton.enabled);
    rig.op.SetBoardType(1);
    page->OnLayoutMessage();
    rig.op.motionList = {testing::XStep()};
    rig.op.rebuildFlag = true;
    page->controls.inkAutoEn.selected = 1;  // fiber: bit 4 of "MB Ctrl1"
    dialogs.dialogScripts.push_back([&](ui::ModalDialog& dialog) {
        const auto& entries = dynamic_cast<commands::CCmdSetsDlg&>(dialog).NameInfos();
        if (entries.size() == 1) entry = entries.front();
        motionBuilt = std::any_of(rig.op.cmdList.begin(), rig.op.cmdList.end(),
                                  [](const CMD_INFO& c) { return c.KeyName == "InitMovement"; });
        for (CMD_INFO& c : rig.op.cmdList) {
            if (c.Addr == 0x4009) {
                EXPECT_EQ(c.Data, 0x10);  // encoded before the dialog opened
                c.Data = 0x80;            // the user edits the set
            }
        }
        dialog.EndDialog(ui::ModalDialog::kOk);
    });
    page->OnInitMovementDesign();
    EXPECT_EQ(dialogs.dialogsRun, std::vector<int>{132});
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->number, 0);
    EXPECT_EQ(entry->name, "InitDone");
    EXPECT_EQ(entry->path, CCmdsMag::DefaultDocumentPath(rig.op.programFolder));
    EXPECT_TRUE(motionBuilt);
    EXPECT_EQ(page->controls.orignalAt.SelectedText(), "Right");
    EXPECT_EQ(page->controls.inkAutoEn.SelectedText(), "Disable");
}

}  // namespace
}  // namespace velmor::config
