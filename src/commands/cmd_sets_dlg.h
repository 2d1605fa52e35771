#pragma once
// CCmdSetsDlg (dialog 132): arranges the download order list of the controller
// object, the order in which the command sets go into the start-up image, and
// previews the commands in image order: every command of each listed set, a set
// listed twice shown twice, numbered from 0. Opens the editor of one set
// (CCmdEditDlg). Works on the lists in memory only; the configuration page saves
// them to a document later.
//
// User-interface thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "controller/cmd_info.h"
#include "ui/editable_list_ctrl.h"
#include "ui/fields.h"
#include "ui/modal_dialog.h"
#include "ui/page_context.h"

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::ui {
class DialogService;
}

namespace velmor::commands {

class CCmdSetsDlg : public ui::ModalDialog {
  public:
    static constexpr int kDialogId = 132;
    static constexpr int kOrderListId = 1031;
    static constexpr int kPreviewId = 1006;
    // The preview's width in pixels, from which its column widths follow.
    static constexpr int kPreviewWidth = 640;

    explicit CCmdSetsDlg(const ui::PageContext& context);

    int DialogId() const override { return kDialogId; }
    void OnInitDialog() override;
    // Closing the window is "退出".
    void OnCancel() override { OnExit(); }

    // The opener's entry; kept and not used further.
    void AddNameInfo(controller::CmdNameInfo info) { nameInfos_.push_back(std::move(info)); }
    const std::vector<controller::CmdNameInfo>& NameInfos() const { return nameInfos_; }
    // The dialog's copy of the download order, taken at every preview refresh.
    const std::vector<std::string>& OrderCopy() const { return orderCopy_; }

    // ---- handlers ----
    void OnAdd();       // 1008 "添加": the combo's name to the end of the order
    void OnDelete();    // 1005 "删除": the selected entry
    void OnMoveUp();    // 1004 "上移"
    void OnMoveDown();  // 1011 "下移"
    void OnEditSet();   // 1002 "编辑命令集": the editor of the selected set
    void OnExit();      // 2 "退出"
    // The selection of the order list changed (the field holds it), or an entry was
    // double-clicked: mark the entry's rows in the preview.
    void OnOrderSelChange();
    void OnOrderDblClk();

    // ---- controls ----
    ui::ChoiceField allNames;       // 1009, all command-set names
    ui::ChoiceField order;          // 1031, the download order
    ui::CEditableListCtrl preview;  // 1006
    ui::ButtonField addButton{"添加"};
    ui::ButtonField deleteButton{"删除"};
    ui::ButtonField upButton{"上移"};
    ui::ButtonField downButton{"下移"};
    ui::ButtonField editButton{"编辑命令集"};
    ui::ButtonField exitButton{"退出"};
    // Shown while the preview holds a command whose keyword has no image code.
    ui::TextField unknownKeywordNote{"红色的命令没有映像代码，下载时会被拒绝。", true, false};
    ui::FocusRequest focus;

  private:
    void RefreshPreview();
    void MarkPreviewRows();
    void FillFromController();
    void Move(int step);

    controller::CMainOperation& op_;
    ui::DialogService& dialogs_;
    std::vector<std::string> orderCopy_;
    std::vector<controller::CmdNameInfo> nameInfos_;
};

}  // namespace velmor::commands
