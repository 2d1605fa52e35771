#include "gui/cmd_sets_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "commands/cmd_sets_dlg.h"
#include "gui/editable_list_view.h"
#include "gui/field_widgets.h"

namespace velmor::gui {

namespace {
using Dlg = commands::CCmdSetsDlg;
constexpr const char* kContext = "CCmdSetsDlg";
}  // namespace

CmdSetsView::CmdSetsView(commands::CCmdSetsDlg& model, QWidget* parent)
    : ModalDialogView(model, kContext, parent) {
    setObjectName(QStringLiteral("CmdSetsView"));
    setWindowTitle(QString());  // the dialog has no title

    FieldBinder& fields = Fields();
    QListWidget* order = fields.List(model.order, "order", Call(model, &Dlg::OnOrderSelChange),
                                     Call(model, &Dlg::OnOrderDblClk));
    order->setMinimumWidth(160);

    auto* left = new QGridLayout;
    left->addWidget(fields.Choice(model.allNames, "allNames"), 0, 0);
    left->addWidget(fields.Button(model.addButton, "addButton", Call(model, &Dlg::OnAdd)), 0, 1);
    left->addWidget(new QLabel(tr("下载顺序")), 1, 0, 1, 2);
    left->addWidget(order, 2, 0, 1, 2);
    auto* buttons = new QGridLayout;
    buttons->addWidget(
        fields.Button(model.deleteButton, "deleteButton", Call(model, &Dlg::OnDelete)), 0, 0);
    buttons->addWidget(fields.Button(model.upButton, "upButton", Call(model, &Dlg::OnMoveUp)), 0,
                       1);
    buttons->addWidget(fields.Button(model.downButton, "downButton", Call(model, &Dlg::OnMoveDown)),
                       0, 2);
    buttons->addWidget(fields.Button(model.editButton, "editButton", Call(model, &Dlg::OnEditSet)),
                       1, 0, 1, 3);
    buttons->addWidget(fields.Button(model.exitButton, "exitButton", Call(model, &Dlg::OnExit)), 2,
                       0, 1, 3);
    left->addLayout(buttons, 3, 0, 1, 2);

    auto* preview = new EditableListView(model.preview, this);
    preview->setObjectName(QStringLiteral("preview"));
    preview->setMinimumSize(std::max(Dlg::kPreviewWidth, preview->FittingWidth()), 360);
    auto* note = new QLabel(fields.Caption(model.unknownKeywordNote.text));
    note->setObjectName(QStringLiteral("unknownKeywordNote"));
    fields.OnRefresh(
        [note, &model] { ApplyVisibility(note, true, model.unknownKeywordNote.visible); });
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(tr("命令预览")));
    right->addWidget(preview, 1);
    right->addWidget(note);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    fields.Focus(model.focus, {{Dlg::kOrderListId, order}, {Dlg::kPreviewId, preview}});
    Bind();
}

}  // namespace velmor::gui
