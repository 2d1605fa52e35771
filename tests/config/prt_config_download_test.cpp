// "DownFirm" and "读取参数" on the configuration page: what reaches the simulated
// controller's flash, what the page shows and says, and the refusals.

#include <gtest/gtest.h>

#include "config/config_preparation.h"
#include "config/start_image.h"
#include "history/history_log.h"
#include "prt_config_fixture.h"

namespace velmor::config {
namespace {

class PrtConfigDownloadTest : public PrtConfigDlgTest {
  protected:
    std::vector<std::uint8_t> Flash() {
        return rig.Controller().ReadFlash(kImageFlashAddress, kImageSize);
    }
    // The page after loading a single-board document through "加载文件".
    std::unique_ptr<CPrtConfigDlg> Loaded() {
        auto page = Open();
        dialogs.openPaths = {WriteDocument(dir.File("board.cfg"), 0, SingleBoardBytes())};
        page->OnLoadFile();
        dialogs.messages.clear();
        dialogs.progress.clear();
        rig.Controller().ClearWriteLog();
        return page;
    }
};

TEST_F(PrtConfigDownloadTest, DisconnectedOrNoWritesNothing) {
    auto page = Loaded();
    rig.op.connected = 0;
    page->OnDownFirm();
    page->OnReadParams();
    EXPECT_EQ(Texts(), std::vector<std::string>(2, "Disconnect from device.Please check!"));
    EXPECT_TRUE(dialogs.questions.empty());
    rig.op.connected = 1;
    dialogs.answers = {false};
    page->OnDownFirm();
    EXPECT_EQ(dialogs.questions.back().text, "Do you want to download data?");
    EXPECT_EQ(Texts().size(), 2u);
    EXPECT_TRUE(rig.Controller().WriteLog().empty());
}

TEST_F(PrtConfigDownloadTest, DownloadWritesTheImageThatRunsAfterAReset) {
    auto page = Loaded();
    page->OnDownFirm();
    EXPECT_EQ(Texts(), std::vector<std::string>{"     Download complete!"});
    EXPECT_EQ(dialogs.messages[0].caption, "VelmorTool");
    ASSERT_FALSE(dialogs.progress.empty());
    EXPECT_EQ(dialogs.progress[0].message, std::string(19, ' ') + "Downloading");
    EXPECT_EQ(dialogs.progress[0].flagCode, 0);
    EXPECT_EQ(dialogs.progress[0].tickLimit, 6);
    EXPECT_EQ(rig.WritesIn(0x40D0, 0x40D0).front().second, 0x51);  // Mainboard's block

    // The first records, by hand: the two command-set entries (the list update
    // leaves them as the document had them), then "MB Ctrl1".
    const std::vector<std::uint8_t> flash = Flash();
    const std::vector<std::uint8_t> head = {0x10, 0x40, 0x71, 0x00, 0x10, 0x40,
                                            0x7B, 0x02, 0x10, 0x40, 0x09, 0x82};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), flash.begin()));

    EXPECT_EQ(ParseStartImage(flash).state, ImageState::Valid);
    EXPECT_NE(page->Log().Text().find("[1B0000-1B000F]: 10 40 71 00 - 10 40 7B 02 - 10 40 09 82"),
              std::string::npos);
    EXPECT_EQ(page->TransferPercent(), 0);

    // The same document prepared without the page gives the same image.
    controller::CMainOperation other;
    other.programFolder = rig.op.programFolder;
    CCmdsMag store(other);
    store.LoadConfigDocument(dir.File("board.cfg"));
    const PreparedDownload prepared = PrepareLoadedDocument(other, store.LoadedPrinterKeys());
    ASSERT_TRUE(prepared.build.Ok());
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), prepared.build.image.begin()));

    rig.Controller().PowerUp();
    EXPECT_EQ(rig.Controller().Reg(0x4009), 0x82);
    EXPECT_EQ(rig.Controller().Reg(0x410A), 0x81);
}

// Each download is one line of the history; a history that cannot be written is
// said in the log while the download stands.
TEST_F(PrtConfigDownloadTest, DownloadsAreRecordedAndAnUnwritableHistoryIsSaid) {
    auto page = Loaded();
    rig.op.programName = "velmortool";
    rig.op.historyFile = dir.File("state/history.jsonl");
    page->OnDownFirm();
    std::vector<std::string> warnings;
    const std::vector<history::HistoryEntry> entries =
        history::HistoryLog(rig.op.historyFile).Read(warnings);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].program, "velmortool");
    EXPECT_EQ(entries[0].operation, "download");
    EXPECT_EQ(entries[0].result, "verified");
    EXPECT_EQ(entries[0].document, dir.File("board.cfg"));
    EXPECT_EQ(entries[0].imageCrc, Flash()[0xFFA] << 8 | Flash()[0xFFB]);
    EXPECT_EQ(entries[0].device.serial, "SIM0");

    WriteDocument(dir.File("blocker"), 0, SingleBoardBytes());
    rig.op.historyFile = dir.File("blocker/history.jsonl");  // its folder is a file
    page->OnDownFirm();
    EXPECT_EQ(Texts().back(), "     Download complete!");
    EXPECT_NE(page->Log().Text().find("the write itself stands"), std::string::npos);
}

TEST_F(PrtConfigDownloadTest, ListsTheImageCannotCarryAreRefusedBeforeAnyWrite) {
    struct Case {
        const char* name;
        std::vector<CMD_INFO> extra;
        const char* english;
        const char* chinese;
    };
    std::vector<CMD_INFO> many(1100, CMD_INFO{"InitDone", "r", "RegWrite", 0x4020, 1});
    const Case cases[] = {
        {"unknown keyword",
         {{"InitDone", "Odd reg", "RegWrit", 0x4020, 1}},
         "Download refused: command \"Odd reg\" of the set \"InitDone\" has the operation "
         "\"RegWrit\", which has no code in the start-up image.",
         "拒绝下载：命令集\"InitDone\"中的命令\"Odd "
         "reg\"的操作\"RegWrit\"在启动镜像中没有对应的代码。"},
        {"too many records", many, "The command list needs ", "命令列表需要 "},
    };
    for (const Case& c : cases) {
        auto page = Loaded();
        rig.op.cmdList.insert(rig.op.cmdList.end(), c.extra.begin(), c.extra.end());
        for (const char* language : {"eng", "chs"}) {
            rig.op.language = controller::LanguageOf(language);
            page->OnDownFirm();
            const std::string& text = dialogs.messages.back().text;
            EXPECT_EQ(text.rfind(language == std::string("eng") ? c.english : c.chinese, 0), 0u)
                << c.name << ": " << text;
            EXPECT_EQ(dialogs.messages.back().caption, "") << c.name;
        }
        EXPECT_TRUE(rig.Controller().WriteLog().empty()) << c.name;
        EXPECT_TRUE(dialogs.progress.empty()) << c.name;
        rig.op.language = controller::Language::kEnglish;
    }
}

TEST_F(PrtConfigDownloadTest, AFlashThatLiesOrGoesIsNeverReportedComplete) {
    auto page = Loaded();
    rig.Controller().FlashFaults().flipWrites = sim::SimFlashFaults::kAlways;
    page->OnDownFirm();
    EXPECT_EQ(Texts().back().rfind("Download failed\n", 0), 0u);
    EXPECT_NE(page->Log().Text().find("Verify failed after 6 rounds"), std::string::npos);

    rig.Controller().FlashFaults() = {};
    rig.Controller().FlashFaults().unplugAfterWindowWrites = 100;
    page->OnDownFirm();
    EXPECT_EQ(Texts().back(),
              "Download failed\nThe transfer to the controller failed. Check that it is "
              "connected and powered.");
    page->OnReadParams();
    EXPECT_EQ(Texts().back().rfind("Read Failed!\n", 0), 0u);
    ExpectSingleBoardControls(page->controls);  // the page is left as it was
}

TEST_F(PrtConfigDownloadTest, ReadParametersShowsTheImageAndRebuildsTheMotion) {
    auto page = Loaded();
    page->OnReadParams();  // blank flash: no image
    EXPECT_EQ(Texts().back(),
              "Read Failed!\nThe flash holds no start-up image (the block is blank).");

    page->OnDownFirm();
    // The log says whether the flash holds what "DownFirm" would write now.
    const auto logEndsWith = [&](const std::string& line) {
        return page->Log().Text().ends_with(line + "\r\n");
    };
    page->OnReadParams();
    EXPECT_TRUE(logEndsWith("The flash holds the image of the current document."));
    page->controls.orignalAt.selected = 0;
    page->controls.mainColumn.inkPol[0].selected = 0;
    page->controls.xLimitSel.selected = 3;
    rig.op.motionList.clear();
    const int refreshes = movement.refreshes;
    page->OnReadParams();
    EXPECT_TRUE(logEndsWith("The flash differs from the image of the current document."));
    EXPECT_EQ(Texts().back(), "     Read complete!");
    EXPECT_EQ(dialogs.messages.back().caption, "VelmorTool");
    ExpectSingleBoardControls(page->controls);
    ASSERT_EQ(rig.op.motionList.size(), 1u);
    EXPECT_EQ(rig.op.motionList[0].motorIndex, 1);
    EXPECT_EQ(rig.op.motionList[0].MotonnnMoveLenth[0], 1000);
    EXPECT_EQ(rig.op.motionList[0].MotonnnstrDir[0], "End");
    EXPECT_EQ(rig.op.readBackList.size(), 1024u);
    EXPECT_EQ(movement.refreshes, refreshes + 1);

    // A damaged image fails on its CRC and changes nothing.
    rig.Controller().WriteFlash(kImageFlashAddress + 3, std::vector<std::uint8_t>{0xEE});
    page->controls.orignalAt.selected = 0;
    page->OnReadParams();
    EXPECT_EQ(Texts().back(),
              "Read Failed!\nThe flash block is not a valid start-up image (its CRC does not "
              "match).");
    EXPECT_EQ(page->controls.orignalAt.selected, 0);
}

TEST(TransferProgress, OneFigureForTheWholeTransfer) {
    const struct {
        TransferStage stage;
        int percent;
        int overall;
    } cases[] = {{TransferStage::Idle, 0, 0},        {TransferStage::ControlByte, 0, 0},
                 {TransferStage::Writing, 0, 5},     {TransferStage::Writing, 100, 50},
                 {TransferStage::Writing, 1000, 50}, {TransferStage::Reading, 40, 70},
                 {TransferStage::Reading, -3, 50},   {TransferStage::Done, 0, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(OverallPercent({c.stage, 0, c.percent}), c.overall)
            << int(c.stage) << " " << c.percent;
}

}  // namespace
}  // namespace velmor::config
