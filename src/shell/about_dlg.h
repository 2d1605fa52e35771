#pragma once
// CAboutDlg (dialog 100): the About box of the main window, a modal dialog with
// its texts and one button.

#include <string>
#include <vector>

#include "ui/modal_dialog.h"

namespace velmor::shell {

class CAboutDlg : public ui::ModalDialog {
  public:
    static constexpr int kDialogId = 100;
    static constexpr int kMenuCommand = 0x10;  // the window menu item that opens it

    int DialogId() const override { return kDialogId; }
    void OnOK() { EndDialog(kOk); }  // "确定"

    std::string caption = "关于 VelmorTool";
    std::string versionText = "VelmorTool，1.000.001.037 版";
    std::vector<std::string> changeNotes = {
        "1.清洗参数下载支持直流电机", "2.初始化运动添加了X直流电机", "3.测试运动里添加了X直流电机"};
    // Where the writes to controllers are recorded; empty: nowhere (not shown).
    std::string historyText;
    std::string okCaption = "确定";
    std::string menuItem = "关于 VelmorTool(&A)...";
};

}  // namespace velmor::shell
