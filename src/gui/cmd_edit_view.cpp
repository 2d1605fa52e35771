#include "gui/cmd_edit_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "commands/cmd_edit_dlg.h"
#include "gui/editable_list_view.h"
#include "gui/field_widgets.h"

namespace velmor::gui {

namespace {
using Dlg = commands::CCmdEditDlg;
constexpr const char* kContext = "CCmdEditDlg";
}  // namespace

CmdEditView::CmdEditView(commands::CCmdEditDlg& model, QWidget* parent)
    : ModalDialogView(model, kContext, parent) {
    setObjectName(QStringLiteral("CmdEditView"));
    FieldBinder& fields = Fields();
    setWindowTitle(fields.Caption("编辑命令集"));

    auto* list = new EditableListView(model.list, this);
    list->setObjectName(QStringLiteral("commandList"));
    list->setMinimumSize(std::max(Dlg::kListWidth, list->FittingWidth()), 300);
    connect(list, &EditableListView::Clicked, this, [this, &model] {
        model.OnListClick();
        Refresh();
    });
    auto* note = new QLabel(fields.Caption(model.unknownKeywordNote.text));
    note->setObjectName(QStringLiteral("unknownKeywordNote"));
    fields.OnRefresh(
        [note, &model] { ApplyVisibility(note, true, model.unknownKeywordNote.visible); });

    // One command: its fields, then what to do with it.
    auto* command = new QGridLayout;
    command->addWidget(new QLabel(tr("序号")), 0, 0);
    command->addWidget(fields.Label(model.number, "number"), 0, 1);
    command->addWidget(new QLabel(tr("命令")), 1, 0);
    command->addWidget(fields.Combo(model.keyword, "keyword"), 1, 1);
    command->addWidget(new QLabel(tr("目标寄存器名称")), 2, 0);
    command->addWidget(fields.Text(model.regName, "regName"), 2, 1);
    command->addWidget(new QLabel(tr("目标地址")), 3, 0);
    command->addWidget(fields.Text(model.address, "address", Dlg::kAddressLimit), 3, 1);
    command->addWidget(new QLabel(tr("数据")), 4, 0);
    auto* dataRow = new QHBoxLayout;
    dataRow->addWidget(fields.Text(model.data, "data"), 1);
    dataRow->addWidget(new QLabel(QStringLiteral("H")));
    command->addLayout(dataRow, 4, 1);
    command->setColumnStretch(1, 1);

    auto* actions = new QHBoxLayout;
    actions->addWidget(fields.Button(model.addButton, "addButton", Call(model, &Dlg::OnAdd)));
    actions->addWidget(
        fields.Button(model.insertButton, "insertButton", Call(model, &Dlg::OnInsert)));
    actions->addWidget(
        fields.Button(model.modifyButton, "modifyButton", Call(model, &Dlg::OnModify)));
    actions->addWidget(
        fields.Button(model.deleteButton, "deleteButton", Call(model, &Dlg::OnDelete)));
    actions->addWidget(
        fields.Button(model.deleteAllButton, "deleteAllButton", Call(model, &Dlg::OnDeleteAll)));

    // The set: its name and "保存"; the names of all sets, one of which may go.
    auto* set = new QHBoxLayout;
    set->addWidget(new QLabel(tr("命令集名称:")));
    set->addWidget(fields.Text(model.setName, "setName"), 1);
    set->addWidget(fields.Button(model.saveButton, "saveButton", Call(model, &Dlg::OnSave)));
    set->addWidget(fields.Button(model.exitButton, "exitButton", Call(model, &Dlg::OnExit)));
    auto* names = new QHBoxLayout;
    names->addWidget(fields.Choice(model.allNames, "allNames"), 1);
    names->addWidget(
        fields.Button(model.deleteNameButton, "deleteNameButton", Call(model, &Dlg::OnDeleteName)));
    auto* namesGroup = new QGroupBox(tr("现有命令集"));
    namesGroup->setLayout(names);

    auto* below = new QVBoxLayout;
    below->addLayout(command);
    below->addLayout(actions);
    below->addLayout(set);
    below->addWidget(namesGroup);
    below->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list, 1);
    layout->addWidget(note);
    layout->addLayout(below);

    fields.Focus(model.focus, {{Dlg::kListId, list}});
    Bind();
}

}  // namespace velmor::gui
