// The cleaning page's model against the simulated controller, with scripted
// dialogs and files in a temporary program folder. Handlers return once their
// worker has ended, so nothing here waits on a thread.

#include "cleaning/clean_download_dlg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "commands/cmds_mag.h"
#include "drivers/sim/sim_panel.h"
#include "support/fake_timer_service.h"
#include "support/scripted_dialog_service.h"
#include "support/sim_rig.h"
#include "support/temp_dir.h"

namespace velmor::cleaning {
namespace {

using commands::CCmdsMag;
using controller::CleanParams;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

const std::string kBlanks20(20, ' ');

class CleanDownloadDlgTest : public ::testing::Test {
  protected:
    void SetUp() override { rig.op.programFolder = home.Path().string() + "/"; }
    std::string Record(const std::string& name) const { return home.File("CmdsRecord/" + name); }
    std::string StoredPath() {
        return CCmdsMag(rig.op).GetStoredPath(CCmdsMag::PathKind::Cleaning);
    }
    // `params` as a cleaning file, written by the store.
    void WriteFile(const std::string& path, const CleanParams& params) {
        controller::CMainOperation other;
        other.cleanParams = params;
        ASSERT_TRUE(CCmdsMag(other).SaveCleanParams(path));
    }
    CleanParams ReadFile(const std::string& path) {
        controller::CMainOperation other;
        CCmdsMag(other).LoadCleanParams(path);
        return other.cleanParams;
    }
    // A one-head station whose fields pass the download checks.
    void OpenValid() {
        page.OnInitDialog();
        page.OnModelSelChange(1);  // Tessaly: the head count may be chosen
        page.OnHeadCountSelChange(0);
        page.values.carWiper1.text = "1000";
        page.values.carScrape1.text = "1101";
    }

    velmor::testing::TempDir home;
    velmor::testing::SimRig rig;
    sim::SimPanel& panel = rig.Controller().Panel();
    velmor::testing::ScriptedDialogService dialogs;
    velmor::testing::NoWaitSleeper sleeper;
    CCleanDownloadDlg page{{rig.op, dialogs, nullptr, &sleeper}};
};

TEST_F(CleanDownloadDlgTest, OpensTheStoredFileOrFirstConfigInTheRecordFolder) {
    page.OnInitDialog();
    EXPECT_TRUE(std::filesystem::is_directory(home.File("CmdsRecord")));
    EXPECT_EQ(page.path.text, Record("FirstConfig.cfg"));
    EXPECT_EQ(page.values.xGear.text, "4.738689");
    EXPECT_EQ(page.machineModel.SelectedText(), "Orvane");
    EXPECT_EQ(page.headCount.SelectedText(), "双头");  // forced for Orvane
    EXPECT_FALSE(page.headCount.enabled);

    const std::string file = home.File("station.cfg");
    WriteFile(file, {.uiCarleaveclear1 = 1234,
                     .byMachineType = 1,
                     .byStackType = 1,
                     .byMotoHead = 0,
                     .byMotorType = 1});
    ASSERT_TRUE(CCmdsMag(rig.op).SetStoredPath(file, CCmdsMag::PathKind::Cleaning));
    CCleanDownloadDlg stored({rig.op, dialogs, nullptr, &sleeper});
    stored.OnInitDialog();
    EXPECT_EQ(stored.path.text, file);
    EXPECT_EQ(stored.values.carWiper1.text, "1234");
    EXPECT_EQ(stored.machineModel.SelectedText(), "Tessaly");
    EXPECT_EQ(stored.headCount.SelectedText(), "单头");
    EXPECT_EQ(stored.stackType.SelectedText(), "划靠式");
    EXPECT_EQ(stored.motorType.SelectedText(), "直流");
}

TEST_F(CleanDownloadDlgTest, MachineModelDecidesTheStationFields) {
    struct Case {
        int index;
        std::uint8_t code;
        bool flashDistance, wiperList, headList, times;
        std::string downLabel, scrapeLabel;
    };
    const Case cases[] = {
        {0, 0, true, true, false, false, "平台下降的脉冲", "平台刮墨的脉冲"},
        {1, 1, false, false, true, false, "刮墨时的墨栈高度", "墨栈下降的高度"},
        {2, 2, false, true, true, true, "刮墨时的墨栈高度", "墨栈下降的高度"},
        {3, 3, false, true, false, false, "平台下降的脉冲", "平台刮墨的脉冲"},
        {4, 0, true, true, false, false, "平台下降的脉冲", "平台刮墨的脉冲"},
    };
    page.OnInitDialog();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        page.OnModelSelChange(2);
        page.OnHeadCountSelChange(0);
        page.OnWiperTypeSelChange(1);
        page.OnModelSelChange(c.index);
        const CleanParams& p = rig.op.cleanParams;
        EXPECT_EQ(p.byMachineType, c.code);
        EXPECT_EQ(page.values.flashDistance.visible, c.flashDistance);
        EXPECT_EQ(page.wiperType.visible, c.wiperList);
        EXPECT_EQ(p.byMotoType, c.wiperList ? 1 : 0);  // Tessaly forces 非电磁阀
        EXPECT_EQ(page.headCount.enabled, c.headList);
        EXPECT_EQ(p.byMotoHead, c.headList ? 0 : 1);            // the others force 双头 ...
        EXPECT_EQ(page.values.carWiper2.visible, !c.headList);  // ... and show head 2
        EXPECT_EQ(page.values.times[0].visible, c.times);
        EXPECT_EQ(page.platformLabels[1].text, c.downLabel);
        EXPECT_EQ(page.platformLabels[2].text, c.scrapeLabel);
    }
    EXPECT_EQ(dialogs.MessageTexts(), Texts{"此机型暂未添加"});  // Dravik only
    EXPECT_EQ(page.machineModel.SelectedText(), "Dravik");
}

TEST_F(CleanDownloadDlgTest, HeadStackAndMotorListsChangeTheSetAndTheirFields) {
    page.OnInitDialog();
    page.OnModelSelChange(2);
    const CleanParamFields& v = page.values;
    const CleanParams& p = rig.op.cleanParams;
    page.OnHeadCountSelChange(0);
    page.OnStackTypeSelChange(2);
    page.OnMotorTypeSelChange(1);
    page.OnMotorTypeSelChange(7);  // no such entry: nothing changes
    EXPECT_EQ((std::tuple{p.byMotoHead, p.byStackType, p.byMotorType}), (std::tuple{0, 2, 1}));
    for (bool shown : {v.carWiper2.visible, v.wiperIn2.visible, v.platformSpeed.visible,
                       page.platformLabels[6].visible, v.carAccTime.visible, v.xGear.visible})
        EXPECT_FALSE(shown);
    for (bool shown : {v.cleanPos.visible, v.dcStart.visible, v.dcMidFrequency.visible})
        EXPECT_TRUE(shown);
}

// Packet bytes written out by hand: 5000 = 0x1388, 8000 = 0x1F40.
TEST_F(CleanDownloadDlgTest, DownloadSendsWhatTheFieldsSay) {
    page.OnInitDialog();
    page.OnModelSelChange(2);
    page.OnHeadCountSelChange(0);
    page.values.carWiper1.text = "5000";
    page.values.carScrape1.text = "8000";
    page.values.carWiper2.text = "7000";  // hidden with one head: sent as 0
    page.values.carScrape2.text = "7050";
    for (int i = 0; i < 11; ++i) page.values.times[i].text = std::to_string(i + 1);
    page.OnDownload();

    EXPECT_EQ(dialogs.MessageTexts(), Texts{"     下发面板参数成功!"});
    const Bytes general = panel.LastPayload(0x55).value_or(Bytes(48));
    EXPECT_EQ(Bytes(general.begin(), general.begin() + 16),
              (Bytes{0x88, 0x13, 0, 0, 0, 0, 0, 0, 0x40, 0x1F, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(panel.LastPayload(0x5A),
              (Bytes{1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0, 9, 0, 10, 0, 11}));
    EXPECT_TRUE(panel.LastFrame(0xA5).has_value());
    EXPECT_EQ(dialogs.progress.at(0).message, kBlanks20 + "下载中");
}

// A panel exchange that outlasts the window's tick limit: the window opens again, and
// the handler returns only once the worker has ended, with the worker's result.
TEST_F(CleanDownloadDlgTest, AWorkerPastTheTickLimitKeepsTheWindowShown) {
    struct ReleasingDialogs : velmor::testing::ScriptedDialogService {
        velmor::testing::HeldSleeper* held = nullptr;
        void RunProgress(ui::CMessageDown& dialog) override {
            if (!progress.empty()) held->Release();  // the window came back: let the worker go
            ScriptedDialogService::RunProgress(dialog);
        }
    } releasing;
    velmor::testing::HeldSleeper held;
    releasing.held = &held;
    CCleanDownloadDlg slow({rig.op, releasing, nullptr, &held});
    slow.OnInitDialog();

    slow.OnInitSkip();
    EXPECT_TRUE(held.Ended());
    ASSERT_EQ(releasing.progress.size(), 2u);
    EXPECT_EQ(releasing.progress[0].dots, releasing.progress[0].tickLimit);
    EXPECT_EQ(releasing.MessageTexts(), Texts{"     初始化成功!"});
}

TEST_F(CleanDownloadDlgTest, DownloadRefusesBeforeAnyWindowOrFrame) {
    struct Case {
        ui::TextField CleanParamFields::*field;
        std::string text;
        std::uint32_t connected;
        std::string message;
    };
    const std::string u32 = "的值必须是 0 到 4294967295 之间的整数!";
    const Case cases[] = {
        {&CleanParamFields::carScrape1, "1100", 1, "去刮片脉冲值不能大于等于去刮墨脉冲值!"},
        {&CleanParamFields::carWiper1, "-5", 1, "小车去刮片1位脉冲" + u32},
        {&CleanParamFields::xGear, "0", 1, "X齿轮比的值超出范围!"},
        {&CleanParamFields::yManualSpeed, "1e30", 1, "Y手移速度的值超出范围!"},
        {&CleanParamFields::carWiper1, "1000", 0, "与设备断开连接,请检查!"},
    };
    OpenValid();
    page.OnMotorTypeSelChange(1);  // a DC station
    for (const Case& c : cases) {
        const CleanParamFields good = page.values;
        page.values.*c.field = ui::TextField{c.text};
        rig.op.connected = c.connected;
        page.OnDownload();
        page.values = good;
        EXPECT_EQ(dialogs.messages.back().text, c.message);
    }
    EXPECT_TRUE(dialogs.progress.empty());
    EXPECT_TRUE(rig.Controller().VendorFrames().empty());
    rig.op.connected = 1;
    page.OnDownload();  // 1000 and 1101: one pulse more than the gap asks
    EXPECT_EQ(dialogs.messages.back().text, "     下发面板参数成功!");
    EXPECT_TRUE(panel.LastFrame(0x4B).has_value());
}

TEST_F(CleanDownloadDlgTest, SaveAsLoadAndSaveGoThroughTheirFiles) {
    page.OnInitDialog();
    page.OnSave();  // nothing stored yet
    EXPECT_EQ(dialogs.MessageTexts(), Texts{"路径不存在!"});

    const std::string first = home.File("first.cfg");
    page.values.carWiper1.text = "2468";
    dialogs.savePaths.push_back(first);
    page.OnSaveAs();
    EXPECT_EQ(page.path.text, first);
    EXPECT_EQ(ReadFile(first).uiCarleaveclear1, 2468u);

    const std::string second = home.File("second.cfg");
    WriteFile(second, {.uiCarmoveblow1 = 4321, .byMachineType = 3, .byStackType = 2});
    dialogs.openPaths.push_back(second);
    page.OnLoadFile();
    EXPECT_EQ(StoredPath(), second);
    EXPECT_EQ(page.values.carScrape1.text, "4321");
    EXPECT_EQ(page.machineModel.SelectedText(), "Quenbo");
    EXPECT_TRUE(page.values.cleanPos.visible);

    page.values.carScrape1.text = "5555";
    page.OnSave();  // into the stored path
    EXPECT_EQ(ReadFile(second).uiCarmoveblow1, 5555u);

    EXPECT_EQ(dialogs.MessageTexts(),
              (Texts{"路径不存在!", "     保存成功!", "     加载成功!", "     保存成功!"}));
    const auto& [saving, loading] = std::tie(dialogs.progress.at(0), dialogs.progress.at(1));
    EXPECT_EQ((std::tuple{saving.message, saving.flagCode, saving.tickLimit}),
              (std::tuple{kBlanks20 + "保存中", std::uint8_t{3}, 25}));
    EXPECT_EQ((std::tuple{loading.message, loading.flagCode, loading.tickLimit}),
              (std::tuple{kBlanks20 + "加载中", std::uint8_t{1}, 20}));
}

TEST_F(CleanDownloadDlgTest, FailedLoadsAndSavesSaySo) {
    page.OnInitDialog();
    // A checksum that does not match: the values read are shown all the same.
    const std::string spoiled = home.File("spoiled.cfg");
    std::ofstream(spoiled)
        << "[PARAMS_CLEAR]\r\nuiCarleaveclear1=777\r\n[AllCleanInfo]\r\nCRC16=1\r\n";
    dialogs.openPaths.push_back(spoiled);
    page.OnLoadFile();
    EXPECT_EQ(page.values.carWiper1.text, "777");

    dialogs.savePaths.push_back(home.File("no-such-folder/x.cfg"));
    page.OnSaveAs();

    page.OnLoadFile();  // cancelled: nothing happens
    EXPECT_EQ(dialogs.MessageTexts(), (Texts{"加载失败，请检查文件是否正确!", "保存失败!"}));
    EXPECT_EQ(dialogs.progress.size(), 2u);
    EXPECT_EQ(StoredPath(), spoiled);
}

}  // namespace
}  // namespace velmor::cleaning
