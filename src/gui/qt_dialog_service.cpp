#include "gui/qt_dialog_service.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>
#include <functional>

#include "gui/modal_dialog_view.h"
#include "gui/progress_dialog.h"
#include "ui/modal_dialog.h"

namespace velmor::gui {

namespace {
// Dialogs live on the GUI thread. A model that asks from a worker thread (the USB
// layer's messages can come from one) waits there until the user has answered.
template <typename T>
T OnGuiThread(const std::function<T()>& show) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) return show();
    T result{};
    QMetaObject::invokeMethod(
        app, [&] { result = show(); }, Qt::BlockingQueuedConnection);
    return result;
}

QString CaptionOrDefault(const std::string& caption) {
    return caption.empty() ? QString::fromLatin1(QtDialogService::kDefaultCaption)
                           : QString::fromStdString(caption);
}
}  // namespace

QWidget* QtDialogService::Parent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return parent_;
}

QString FilterText(const std::vector<ui::FileFilter>& filters) {
    QStringList parts;
    for (const ui::FileFilter& filter : filters) {
        QStringList patterns;
        for (const std::string& pattern : filter.patterns)
            patterns << QString::fromStdString(pattern);
        parts << QStringLiteral("%1 (%2)").arg(QString::fromStdString(filter.name),
                                               patterns.join(' '));
    }
    return parts.join(QStringLiteral(";;"));
}

void QtDialogService::ShowMessage(const std::string& text, const std::string& caption) {
    OnGuiThread<bool>([&] {
        QMessageBox box(QMessageBox::NoIcon, CaptionOrDefault(caption),
                        QString::fromStdString(text), QMessageBox::Ok, Parent());
        box.exec();
        return true;
    });
}

bool QtDialogService::AskYesNo(const std::string& text, const std::string& caption) {
    return OnGuiThread<bool>([&] {
        QMessageBox box(QMessageBox::Question, CaptionOrDefault(caption),
                        QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No, Parent());
        return box.exec() == QMessageBox::Yes;
    });
}

std::optional<std::string> QtDialogService::OpenFile(const ui::FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::optional<std::string> QtDialogService::SaveFile(const ui::FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

std::optional<std::string> QtDialogService::RunFileDialog(const ui::FileDialogRequest& request,
                                                          bool save) {
    return OnGuiThread<std::optional<std::string>>([&] { return ShowFileDialog(request, save); });
}

std::optional<std::string> QtDialogService::ShowFileDialog(const ui::FileDialogRequest& request,
                                                           bool save) {
    QFileDialog dialog(Parent(), QString::fromStdString(request.title),
                       QString::fromStdString(request.initialPath), FilterText(request.filters));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultExtension.empty()) {
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

void QtDialogService::RunProgress(ui::CMessageDown& dialog) {
    OnGuiThread<bool>([&] {
        ProgressDialog window(dialog, Parent());
        window.exec();
        return true;
    });
}

int QtDialogService::RunModal(ui::ModalDialog& dialog) {
    return OnGuiThread<int>([&] {
        dialog.Reopen();
        dialog.OnInitDialog();
        QDialog* view = CreateDialogView(dialog, Parent());
        // A dialog without a view cannot be answered: it ends as cancelled.
        if (view == nullptr) {
            dialog.EndDialog(ui::ModalDialog::kCancel);
        } else if (!dialog.Ended()) {
            view->exec();
        }
        delete view;
        return dialog.Result();
    });
}

}  // namespace velmor::gui
