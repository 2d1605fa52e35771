#include "commands/cmd_sets_dlg.h"

#include <utility>

#include "commands/cmd_edit_dlg.h"
#include "commands/command_rows.h"
#include "controller/main_operation.h"
#include "ui/dialog_service.h"

namespace velmor::commands {

CCmdSetsDlg::CCmdSetsDlg(const ui::PageContext& context)
    : op_(context.operation), dialogs_(context.dialogs) {
    preview.SetMultipleSelection(true);
}

void CCmdSetsDlg::OnInitDialog() {
    if (preview.ColumnCount() == 0)
        SetUpCommandColumns(preview, CommandListKind::Preview, op_.language, kPreviewWidth);
    FillFromController();
    RefreshPreview();
    Changed();
}

void CCmdSetsDlg::FillFromController() {
    order.items = op_.cmdNames;
    order.selected = -1;
    allNames.items = op_.allCmdNames;
    allNames.selected = allNames.items.empty() ? -1 : 0;
}

void CCmdSetsDlg::RefreshPreview() {
    preview.DeleteAllItems();
    preview.ClearRowColours();
    op_.cmdNames = order.items;
    orderCopy_ = order.items;
    std::vector<controller::CMD_INFO> shown;
    for (const std::string& name : order.items) {
        for (const controller::CMD_INFO& command : op_.cmdList) {
            if (command.KeyName == name) shown.push_back(command);
        }
    }
    AppendCommandRows(preview, CommandListKind::Preview, shown);
    unknownKeywordNote.visible = HasUnknownKeyword(shown);
}

void CCmdSetsDlg::OnAdd() {
    const std::string name = allNames.SelectedText();
    if (!name.empty()) {
        order.items.push_back(name);
        RefreshPreview();
    }
    Changed();
}

void CCmdSetsDlg::OnDelete() {
    const int s = order.selected;
    if (s >= 0 && s < static_cast<int>(order.items.size()) && !order.items[s].empty()) {
        order.items.erase(order.items.begin() + s);
        order.selected = -1;
        RefreshPreview();
    }
    Changed();
}

void CCmdSetsDlg::OnMoveUp() { Move(-1); }

void CCmdSetsDlg::OnMoveDown() { Move(+1); }

void CCmdSetsDlg::Move(int step) {
    const int n = static_cast<int>(order.items.size());
    const int s = order.selected;
    const int target = s + step;
    // Nothing to move, or already at the end it would move past.
    if (s < 0 || s >= n || target < 0 || target >= n) return;
    std::string entry = std::move(order.items[s]);
    order.items.erase(order.items.begin() + s);
    order.items.insert(order.items.begin() + target, std::move(entry));
    focus.Request(kOrderListId);
    order.selected = target;
    RefreshPreview();
    Changed();
}

void CCmdSetsDlg::OnEditSet() {
    CCmdEditDlg editor({op_, dialogs_}, order.SelectedText());
    dialogs_.RunModal(editor);
    FillFromController();
    RefreshPreview();
    Changed();
}

void CCmdSetsDlg::OnExit() {
    op_.cmdNames = orderCopy_;
    EndDialog(kCancel);
}

void CCmdSetsDlg::OnOrderSelChange() {
    if (order.selected < 0)
        preview.SetSelectionMark(-1);
    else
        MarkPreviewRows();
    Changed();
}

void CCmdSetsDlg::OnOrderDblClk() {
    MarkPreviewRows();
    Changed();
}

void CCmdSetsDlg::MarkPreviewRows() {
    const std::string name = order.SelectedText();
    if (name.empty()) return;
    // Every row is visited: a later row that does not match clears the mark again,
    // so the mark stays only on a matching last row.
    for (int row = 0; row < preview.GetItemCount(); ++row) {
        if (preview.GetItemText(row, 1) == name) {
            preview.SetRowSelected(row, true);
            preview.SetFocusedRow(row);
            preview.SetSelectionMark(row);
            preview.EnsureVisible(row);
        } else {
            preview.SetRowSelected(row, false);
            preview.SetSelectionMark(-1);
        }
    }
    focus.Request(kPreviewId);
}

}  // namespace velmor::commands
