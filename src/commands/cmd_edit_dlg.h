#pragma once
// CCmdEditDlg (dialog 133, "编辑命令集"): edits the commands of one command set in
// a working list that mirrors the rows of its list, and on "保存" stores them in
// the command list of the controller object under the set's name. Rows change
// only through the buttons; a click on a row copies it into the fields.
//
// User-interface thread only.

#include <string>
#include <vector>

#include "controller/cmd_info.h"
#include "ui/editable_list_ctrl.h"
#include "ui/fields.h"
#include "ui/modal_dialog.h"
#include "ui/page_context.h"
#include "ui/page_messages.h"

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::ui {
class DialogService;
}

namespace velmor::commands {

class CCmdEditDlg : public ui::ModalDialog {
  public:
    static constexpr int kDialogId = 133;
    static constexpr int kListId = 1006;
    // The list's width in pixels, from which its column widths follow.
    static constexpr int kListWidth = 600;
    static constexpr int kAddressLimit = 4;    // characters of the address edit
    static constexpr int kCellTextLimit = 79;  // characters a click copies from a cell

    // `setName`: the set to edit (may be empty).
    CCmdEditDlg(const ui::PageContext& context, std::string setName);

    int DialogId() const override { return kDialogId; }
    void OnInitDialog() override;
    // Closing the window is "退出".
    void OnCancel() override { OnExit(); }

    // ---- handlers ----
    void OnAdd();         // 1038 "增加": the fields' commands at the end
    void OnInsert();      // 1044 "插入": ... after the marked row
    void OnModify();      // 1001 "修改": the texts as typed into the marked row
    void OnDelete();      // 1040 "删除": the selected rows, once a row was picked
    void OnDeleteAll();   // 1043 "删除全部"
    void OnDeleteName();  // 1045 "删除": the name chosen in 1010 from the list of all names
    void OnSave();        // 1009 "保存"
    void OnExit();        // 2 "退出"
    void OnListClick();   // a click on the list (the selection has followed it)

    const std::vector<controller::CMD_INFO>& WorkingList() const { return cmdList_; }
    bool RowPicked() const { return rowPicked_; }

    // ---- controls ----
    ui::CEditableListCtrl list;  // 1006
    ui::ComboField keyword;      // 1034 "命令", editable
    ui::TextField regName;       // 1035 "目标寄存器名称"
    ui::TextField address;       // 1036 "目标地址", hex, 4 characters
    ui::TextField data;          // 1037 "数据", hex
    ui::TextField number;        // 1039 "序号" of the picked row
    ui::TextField setName;       // 1003 "命令集名称:"
    ui::ChoiceField allNames;    // 1010, under "现有命令集"
    ui::ButtonField addButton{"增加"};
    ui::ButtonField insertButton{"插入"};
    ui::ButtonField modifyButton{"修改"};
    ui::ButtonField deleteButton{"删除"};
    ui::ButtonField deleteAllButton{"删除全部"};
    ui::ButtonField deleteNameButton{"删除"};
    ui::ButtonField saveButton{"保存"};
    ui::ButtonField exitButton{"退出"};
    // Shown while the list holds a command whose keyword has no image code.
    ui::TextField unknownKeywordNote{"红色的命令没有映像代码，下载时会被拒绝。", true, false};
    ui::FocusRequest focus;

  private:
    bool CheckFields();
    std::vector<controller::CMD_INFO> FieldCommands() const;
    void RebuildFromRows(const std::string& name);
    void ShowWorkingList();
    void SelectRows(int first, int count);
    void FillAllNames();

    controller::CMainOperation& op_;
    ui::DialogService& dialogs_;
    ui::PageMessages messages_;
    std::string openedName_;
    std::vector<controller::CMD_INFO> cmdList_;
    bool rowPicked_ = false;
};

}  // namespace velmor::commands
