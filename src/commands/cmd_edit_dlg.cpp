#include "commands/cmd_edit_dlg.h"

#include <algorithm>
#include <utility>

#include "commands/command_bytes.h"
#include "commands/command_rows.h"
#include "commands/operation_keywords.h"
#include "controller/main_operation.h"
#include "ui/dialog_service.h"

namespace velmor::commands {

namespace {

constexpr controller::BilingualText kNoKeyword{"Please input the correct operation type",
                                               "请输入正确的操作类型"};
constexpr controller::BilingualText kNoRegName{"Please input the correct register name",
                                               "请输入正确的寄存器名"};
constexpr controller::BilingualText kNoAddress{"Please input the correct register address",
                                               "请输入正确的寄存器地址"};
constexpr controller::BilingualText kNoData{"Please input the correct data", "请输入正确数据"};
constexpr controller::BilingualText kNoSetName{"Please enter the command name!",
                                               "请输入命令集名称!"};
constexpr controller::BilingualText kSaved{"Save complete!", "保存完成!"};

}  // namespace

CCmdEditDlg::CCmdEditDlg(const ui::PageContext& context, std::string setName)
    : op_(context.operation),
      dialogs_(context.dialogs),
      messages_(context.dialogs, context.operation.language),
      openedName_(std::move(setName)) {
    list.SetMultipleSelection(true);
}

void CCmdEditDlg::OnInitDialog() {
    if (list.ColumnCount() == 0)
        SetUpCommandColumns(list, CommandListKind::Editor, op_.language, kListWidth);
    keyword.items.clear();
    for (const OperationKeyword& k : kOperationKeywords) keyword.items.emplace_back(k.text);

    cmdList_.clear();
    if (!openedName_.empty()) {
        setName.text = openedName_;
        for (const controller::CMD_INFO& command : op_.cmdList) {
            if (command.KeyName == openedName_) cmdList_.push_back(command);
        }
    }
    FillAllNames();
    keyword.text = "RegWrite";
    ShowWorkingList();
    Changed();
}

void CCmdEditDlg::FillAllNames() {
    allNames.items = op_.allCmdNames;
    allNames.selected = allNames.items.empty() ? -1 : 0;
}

void CCmdEditDlg::ShowWorkingList() {
    list.DeleteAllItems();
    list.ClearRowColours();
    AppendCommandRows(list, CommandListKind::Editor, cmdList_);
    unknownKeywordNote.visible = HasUnknownKeyword(cmdList_);
}

bool CCmdEditDlg::CheckFields() {
    const controller::BilingualText* failure = nullptr;
    if (keyword.text.empty())
        failure = &kNoKeyword;
    else if (regName.text.empty())
        failure = &kNoRegName;
    else if (address.text.empty())
        failure = &kNoAddress;
    else if (data.text.empty() || DataByteCount(data.text) > kMaxDataBytes)
        failure = &kNoData;
    if (failure == nullptr) return true;
    messages_.Failure(*failure);
    return false;
}

std::vector<controller::CMD_INFO> CCmdEditDlg::FieldCommands() const {
    return SplitDataBytes(keyword.text, regName.text, address.text, data.text);
}

void CCmdEditDlg::SelectRows(int first, int count) {
    for (int row = first; row < first + count; ++row) {
        list.SetRowSelected(row, true);
        list.SetFocusedRow(row);
    }
}

void CCmdEditDlg::OnAdd() {
    if (CheckFields()) {
        const std::vector<controller::CMD_INFO> added = FieldCommands();
        cmdList_.insert(cmdList_.end(), added.begin(), added.end());
        ShowWorkingList();
        const int count = static_cast<int>(added.size());
        const int first = list.GetItemCount() - count;
        SelectRows(first, count);
        for (int row = first; row < first + count; ++row) list.SetSelectionMark(row);
        focus.Request(kListId);
    }
    Changed();
}

void CCmdEditDlg::OnInsert() {
    if (CheckFields()) {
        const int mark = list.SelectionMark();
        if (mark < 0) {
            ShowWorkingList();
        } else {
            list.SetSelectionMark(-1);
            const std::vector<controller::CMD_INFO> added = FieldCommands();
            const int at = std::min(mark + 1, static_cast<int>(cmdList_.size()));
            cmdList_.insert(cmdList_.begin() + at, added.begin(), added.end());
            ShowWorkingList();
            SelectRows(at, static_cast<int>(added.size()));
            focus.Request(kListId);
        }
    }
    Changed();
}

void CCmdEditDlg::OnModify() {
    if (CheckFields()) {
        const int mark = list.SelectionMark();
        if (mark >= 0) {
            // The row keeps the texts as typed until the list is next shown again.
            list.SetItemText(mark, 1, keyword.text);
            list.SetItemText(mark, 2, regName.text);
            list.SetItemText(mark, 3, address.text);
            list.SetItemText(mark, 4, data.text);
            MarkKeyword(list, mark, keyword.text);
            RebuildFromRows(setName.text);
            unknownKeywordNote.visible = HasUnknownKeyword(cmdList_);
        }
    }
    Changed();
}

void CCmdEditDlg::OnDelete() {
    if (rowPicked_) {
        const std::vector<int> rows = list.SelectedRows();
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) list.DeleteItem(*it);
        RebuildFromRows(setName.text);
        ShowWorkingList();
    }
    Changed();
}

void CCmdEditDlg::OnDeleteAll() {
    list.DeleteAllItems();
    list.ClearRowColours();
    cmdList_.clear();
    unknownKeywordNote.visible = false;
    Changed();
}

void CCmdEditDlg::OnDeleteName() {
    const std::string name = allNames.SelectedText();
    if (!name.empty()) {
        std::erase(op_.allCmdNames, name);
        FillAllNames();
    }
    Changed();
}

void CCmdEditDlg::OnListClick() {
    const int picked = list.SelectedRow();
    // Rows before the first selected one clear the fields; a click that selects
    // nothing clears them as well.
    if (picked != 0 && list.GetItemCount() > 0) {
        number.text.clear();
        regName.text.clear();
        address.text.clear();
        data.text.clear();
    }
    if (picked >= 0) {
        rowPicked_ = true;
        const auto cell = [this, picked](int column) {
            return ui::TruncateUtf8(list.GetItemText(picked, column), kCellTextLimit);
        };
        number.text = cell(0);
        keyword.text = cell(1);
        regName.text = cell(2);
        address.text = cell(3);
        data.text = cell(4);
    }
    Changed();
}

void CCmdEditDlg::RebuildFromRows(const std::string& name) {
    cmdList_.clear();
    cmdList_.reserve(static_cast<std::size_t>(list.GetItemCount()));
    for (int row = 0; row < list.GetItemCount(); ++row) {
        controller::CMD_INFO command;
        command.KeyName = name;
        command.OptType = list.GetItemText(row, 1);
        command.RegName = list.GetItemText(row, 2);
        command.Addr = AddressFromText(list.GetItemText(row, 3));
        command.Data = DataFromText(list.GetItemText(row, 4));
        cmdList_.push_back(std::move(command));
    }
}

void CCmdEditDlg::OnSave() {
    const std::string name = setName.text;
    if (name.empty()) {
        messages_.Failure(kNoSetName);
        Changed();
        return;
    }
    if (std::find(op_.allCmdNames.begin(), op_.allCmdNames.end(), name) == op_.allCmdNames.end())
        op_.allCmdNames.push_back(name);
    std::erase_if(op_.cmdList,
                  [&name](const controller::CMD_INFO& command) { return command.KeyName == name; });
    RebuildFromRows(name);
    op_.cmdList.insert(op_.cmdList.end(), cmdList_.begin(), cmdList_.end());
    messages_.Success(kSaved);
    FillAllNames();
    Changed();
}

void CCmdEditDlg::OnExit() { EndDialog(kCancel); }

}  // namespace velmor::commands
