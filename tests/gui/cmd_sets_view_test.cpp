#include "gui/cmd_sets_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QTableWidget>
#include <QTimer>

#include "commands/cmd_sets_dlg.h"
#include "controller/main_operation.h"
#include "gui/cmd_edit_view.h"
#include "gui/qt_dialog_service.h"
#include "support/view_test.h"

namespace velmor::gui {
namespace {

using controller::CMD_INFO;
using testing::ClickButton;
using testing::FindWidget;
using testing::Settle;
using testing::TypeInto;

// A press that opens a modal window, posted so that the tick returns first: a
// timer does not fire again while its own slot runs.
void PressLater(QWidget* root, const char* name) {
    QMetaObject::invokeMethod(
        root, [root, name] { ClickButton(root, name); }, Qt::QueuedConnection);
}

// The whole road through the real dialog service: the sets dialog runs modally,
// "编辑命令集" runs the editor modally inside it, "保存" shows its message inside
// that. A timer plays the user: each tick acts on the topmost modal window.
TEST(CmdSetsView, AddASetEditANewOneAndSeeThePreviewGrow) {
    controller::CMainOperation op;
    op.allCmdNames = {"A", "B"};
    op.cmdList = {{"A", "R1", "RegWrite", 0x4001, 0x11}, {"B", "S1", "RegRead", 0x4100, 0x22}};
    QtDialogService dialogs;
    commands::CCmdSetsDlg sets({op, dialogs});

    std::vector<int> previewRows;
    QStringList messages;
    QString lastRow;
    enum class Step { AddA, EditorOpening, Saving, EditorClosed, Done };
    Step step = Step::AddA;
    int ticks = 0;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* top = QApplication::activeModalWidget();
        // A road that went wrong fails the test instead of hanging it.
        if (++ticks > 6000 && top != nullptr) {
            top->close();
            return;
        }
        auto* view = qobject_cast<CmdSetsView*>(top);
        auto* editor = qobject_cast<CmdEditView*>(top);
        if (auto* box = qobject_cast<QMessageBox*>(top)) {
            messages << box->text();
            box->accept();
        } else if (view && step == Step::AddA) {
            ClickButton(view, "addButton");  // "A", the first of all names
            Settle();
            previewRows.push_back(FindWidget<QTableWidget>(view, "preview")->rowCount());
            step = Step::EditorOpening;
            PressLater(view, "editButton");
        } else if (editor && step == Step::EditorOpening) {
            TypeInto(editor, "setName", "C");
            TypeInto(editor, "regName", "T");
            TypeInto(editor, "address", "20");
            TypeInto(editor, "data", "0x0102");
            ClickButton(editor, "addButton");
            step = Step::Saving;
            PressLater(editor, "saveButton");
        } else if (editor && step == Step::Saving && !messages.isEmpty()) {
            step = Step::EditorClosed;
            ClickButton(editor, "exitButton");
        } else if (view && step == Step::EditorClosed) {
            auto* preview = FindWidget<QTableWidget>(view, "preview");
            Settle();
            previewRows.push_back(preview->rowCount());
            FindWidget<QComboBox>(view, "allNames")->setCurrentIndex(2);  // "C", new
            ClickButton(view, "addButton");
            Settle();
            previewRows.push_back(preview->rowCount());
            lastRow = preview->item(2, 3)->text() + " " + preview->item(2, 4)->text();
            step = Step::Done;
            ClickButton(view, "exitButton");
        }
    });
    user.start(5);
    EXPECT_EQ(dialogs.RunModal(sets), ui::ModalDialog::kCancel);
    user.stop();

    EXPECT_EQ(step, Step::Done);
    EXPECT_EQ(previewRows, (std::vector<int>{1, 1, 3}));
    EXPECT_EQ(lastRow, QStringLiteral("T[15:8] 21"));
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("     保存完成!")});
    EXPECT_EQ(op.cmdNames, (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(op.cmdList.back(), (CMD_INFO{"C", "T[15:8]", "RegWrite", 0x21, 0x02}));
}

}  // namespace
}  // namespace velmor::gui
