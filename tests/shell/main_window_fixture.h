#pragma once
// A main window on the simulated driver, with scripted dialogs, hand-driven
// timers and no real waiting. The driver is declared first: the controller
// object's device talks to it until the very end.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "shell/velmor_dlg.h"
#include "support/fake_timer_service.h"
#include "support/program_home.h"
#include "support/scripted_dialog_service.h"
#include "support/temp_dir.h"

namespace velmor::shell {

class MainWindowTest : public ::testing::Test {
  protected:
    // Builds and initialises the window with the language and board type given.
    // The configuration page opens the document FirstConfig.cfg, whose motor
    // settings carry the board type: one with that board type is there.
    void Open(const std::string& language = "chs", std::uint8_t boardType = 1) {
        PrepareHome(boardType);
        operation.language = controller::LanguageOf(language);
        operation.SetBoardType(boardType);
        window = std::make_unique<CVelmorDlg>(operation, driver, dialogs);
        window->SetTimerService(&timers);
        window->SetSleeper(sleeper);
        window->OnInitDialog();
    }
    // The program folder with its FirstConfig.cfg of that board type.
    void PrepareHome(std::uint8_t boardType) {
        operation.programFolder = home.Path().string() + "/";
        testing::WriteFirstConfig(operation.programFolder, boardType);
    }
    void Tick() { window->OnTimer(CVelmorDlg::kConnectionTimerId); }

    std::set<int> VisiblePages() const {
        std::set<int> visible;
        for (const ui::CWnd_ITEM& item : window->TabHost().Items()) {
            if (item.page->Visible()) visible.insert(item.templateNumber);
        }
        return visible;
    }

    testing::TempDir home;
    sim::SimDriver driver;
    controller::CMainOperation operation;
    testing::ScriptedDialogService dialogs;
    testing::FakeTimerService timers;
    testing::NoWaitSleeper sleeper;
    std::unique_ptr<CVelmorDlg> window;
};

}  // namespace velmor::shell
