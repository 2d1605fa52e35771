#include "commands/command_rows.h"

#include "commands/command_bytes.h"
#include "commands/operation_keywords.h"
#include "ui/editable_list_ctrl.h"

namespace velmor::commands {

namespace {

constexpr controller::BilingualText kNumber{"Number", "序号"};
constexpr controller::BilingualText kSetName{"Command name", "命令集名称"};
constexpr controller::BilingualText kKeyword{"Command(0x)", "命令(0x)"};
constexpr controller::BilingualText kRegName{"Name of target register", "目的寄存器名称"};
constexpr controller::BilingualText kAddress{"Target address", "目的地址(0x)"};
constexpr controller::BilingualText kData{"Data", "数据"};

}  // namespace

void SetUpCommandColumns(ui::CEditableListCtrl& list, CommandListKind kind,
                         controller::Language language, int listWidth) {
    struct Column {
        controller::BilingualText text;
        int width;
    };
    const int third = listWidth / 3;
    const std::vector<Column> columns =
        kind == CommandListKind::Editor
            ? std::vector<Column>{{kNumber, 40},
                                  {kKeyword, 60},
                                  {kRegName, third + 20},
                                  {kAddress, third - 60},
                                  {kData, third - 80}}
            : std::vector<Column>{{kNumber, 40},          {kSetName, 80},
                                  {kKeyword, 80},         {kRegName, third - 20},
                                  {kAddress, third - 90}, {kData, third - 120}};
    for (const Column& column : columns) {
        list.InsertColumn(list.ColumnCount(), column.text.Text(language), column.width);
    }
}

void AppendCommandRows(ui::CEditableListCtrl& list, CommandListKind kind,
                       const std::vector<controller::CMD_INFO>& commands) {
    const bool preview = kind == CommandListKind::Preview;
    for (const controller::CMD_INFO& command : commands) {
        const int row = list.InsertItem(list.GetItemCount(), std::to_string(list.GetItemCount()));
        int column = 1;
        if (preview) list.SetItemText(row, column++, command.KeyName);
        list.SetItemText(row, column++, command.OptType);
        list.SetItemText(row, column++, command.RegName);
        list.SetItemText(row, column++, numbers::Hex(command.Addr, kListHex));
        list.SetItemText(row, column, numbers::Hex(command.Data, kListHex));
        MarkKeyword(list, row, command.OptType);
    }
}

void MarkKeyword(ui::CEditableListCtrl& list, int row, const std::string& keyword) {
    if (row < 0) return;
    if (OperationCode(keyword))
        list.ClearRowColour(static_cast<std::uint32_t>(row));
    else
        list.SetRowColour(static_cast<std::uint32_t>(row), kUnknownKeywordColour);
}

bool HasUnknownKeyword(const std::vector<controller::CMD_INFO>& commands) {
    for (const controller::CMD_INFO& command : commands) {
        if (!OperationCode(command.OptType)) return true;
    }
    return false;
}

}  // namespace velmor::commands
