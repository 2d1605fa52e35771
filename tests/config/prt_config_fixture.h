#pragma once
// A configuration page on the simulated controller with scripted dialogs, its
// program folder in a temporary folder, and documents written for it.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "commands/cmds_mag.h"
#include "config/command_list_update.h"
#include "config/prt_config_dlg.h"
#include "controller/main_operation.h"
#include "motion/motion_builder.h"
#include "support/motion_steps.h"
#include "support/recording_page.h"
#include "support/scripted_dialog_service.h"
#include "support/sim_rig.h"
#include "support/temp_dir.h"
#include "ui/modal_dialog.h"

namespace velmor::config {

using commands::CCmdsMag;
using controller::CMD_INFO;

// The single-board bytes of one document, and the controls they stand for,
// worked out by hand from the encoding table.
inline PrtConfigParams SingleBoardBytes() {
    PrtConfigParams p;
    p.mbCtrl1 = 0x82;          // "Orignal At" Right, "Ink-Auto En" Enable
    p.mbCtrl2 = 0x21;          // Y-Limit "HB-Limit", X-Limit "MB-Limit", both rasters HB
    p.hbCtrl1 = 0x80 | 0x08;   // Orignal At again, "Prn-Limit Sel" MB-Limit
    p.hbCtrl2 = 0x81;          // "Ink-k Pol" and "Ink-LY Pol" Negetive
    p.fiberChannelMap = 0x02;  // channel 3 only
    p.inkSupplyTime = 0;       // shows as "1"
    return p;
}

// A fresh page shows index 0 everywhere; these are the differences.
inline void ExpectSingleBoardControls(const ConfigPageFields& f) {
    EXPECT_EQ(f.orignalAt.SelectedText(), "Right");
    EXPECT_EQ(f.inkAutoEn.SelectedText(), "Enable");
    EXPECT_EQ(f.yLimitSel.SelectedText(), "HB-Limit");
    EXPECT_EQ(f.xLimitSel.SelectedText(), "MB-Limit");
    EXPECT_EQ(f.xRaster.SelectedText(), "HB-Raster");
    EXPECT_EQ(f.mainColumn.prnLimitSel.SelectedText(), "MB-Limit");
    EXPECT_EQ(f.mainColumn.prnRasterSel.SelectedText(), "HB-Raster");
    EXPECT_EQ(f.mainColumn.jetOriental.SelectedText(), "PCB at Right");
    EXPECT_EQ(f.mainColumn.inkPol[0].SelectedText(), "Negetive");
    EXPECT_EQ(f.mainColumn.inkPol[3].SelectedText(), "Positive");
    EXPECT_EQ(f.mainColumn.inkPol[7].SelectedText(), "Negetive");
    EXPECT_EQ(f.inkSupplyTime.text, "1");
    EXPECT_FALSE(f.channels[0].checked);
    EXPECT_TRUE(f.channels[2].checked);
}

// A modal dialog standing in for the command sets: it keeps the entry it was made with.
class PrtConfigDlgTest : public ::testing::Test {
  protected:
    PrtConfigDlgTest() {
        rig.op.programFolder = dir.Path().string() + "/";
        rig.op.language = controller::Language::kEnglish;
        std::filesystem::create_directories(Record());
    }

    std::string Record() const { return CCmdsMag::RecordFolder(rig.op.programFolder); }

    // A document with the parameter commands of `params`, one movement step and,
    // when `keys`, the printer keys JetType 6, DPIType 8, FlashSel 4.
    std::string WriteDocument(const std::string& path, std::uint8_t boardType,
                              const PrtConfigParams& params, bool keys = true) {
        controller::CMainOperation doc;
        doc.SetBoardType(boardType);
        doc.rebuildFlag = true;
        doc.cmdNames = {"InitDone"};
        UpdateCommandList(doc, params);
        if (boardType == 0) {
            // Written by the command-set editor: the list update never adds them.
            doc.cmdList.insert(
                doc.cmdList.begin(),
                {{"InitDone", "Ink time", "RegWrite", 0x4071, params.inkSupplyTime},
                 {"InitDone", "Channels", "RegWrite", 0x407B, params.fiberChannelMap}});
        }
        doc.motionList = {testing::XStep()};
        motion::BuildInitMotion(doc);
        doc.cmdNames = {"InitDone", "InitMovement", "InitEnd"};
        EXPECT_TRUE(CCmdsMag(doc).SaveConfigDocument(path));
        if (keys) {
            CCmdsMag store(doc);
            store.WriteJetType(path, 6);
            store.WriteDpiType(path, 8);
            store.WriteFlashSel(path, 4);
        }
        return path;
    }

    std::unique_ptr<CPrtConfigDlg> Open() {
        auto page = std::make_unique<CPrtConfigDlg>(ui::PageContext{rig.op, dialogs});
        page->OnInitDialog();
        page->LinkMovementPage(&movement);
        return page;
    }

    std::vector<std::string> Texts() const { return dialogs.MessageTexts(); }

    testing::TempDir dir;
    testing::SimRig rig;
    testing::ScriptedDialogService dialogs;
    testing::RecordingPage movement;
};

}  // namespace velmor::config
