// The table of modal dialog views: which view shows which dialog model, by the
// dialog's template number. Adding a dialog is one row here.
#include <functional>
#include <map>

#include "commands/cmd_edit_dlg.h"
#include "commands/cmd_sets_dlg.h"
#include "gui/about_dialog.h"
#include "gui/cmd_edit_view.h"
#include "gui/cmd_sets_view.h"
#include "gui/modal_dialog_view.h"
#include "gui/motion_preview_view.h"
#include "motion/motion_preview_dlg.h"
#include "shell/about_dlg.h"
#include "ui/modal_dialog.h"

namespace velmor::gui {

namespace {

using ViewMaker = std::function<QDialog*(ui::ModalDialog&, QWidget*)>;

template <typename Model, typename View>
ViewMaker Make() {
    return [](ui::ModalDialog& model, QWidget* parent) -> QDialog* {
        auto* typed = dynamic_cast<Model*>(&model);
        return typed != nullptr ? new View(*typed, parent) : nullptr;
    };
}

const std::map<int, ViewMaker>& DialogViews() {
    static const std::map<int, ViewMaker> views = {
        {shell::CAboutDlg::kDialogId, Make<shell::CAboutDlg, AboutDialog>()},
        {commands::CCmdSetsDlg::kDialogId, Make<commands::CCmdSetsDlg, CmdSetsView>()},
        {commands::CCmdEditDlg::kDialogId, Make<commands::CCmdEditDlg, CmdEditView>()},
        {motion::CMotionPreviewDlg::kDialogId,
         Make<motion::CMotionPreviewDlg, MotionPreviewView>()},
    };
    return views;
}

}  // namespace

QDialog* CreateDialogView(ui::ModalDialog& model, QWidget* parent) {
    const auto it = DialogViews().find(model.DialogId());
    return it != DialogViews().end() ? it->second(model, parent) : nullptr;
}

}  // namespace velmor::gui
