// Renders every window of the program offscreen to PNG files, in Chinese and in
// English: the main window on each tab, the version label, the About box, the
// progress window and a message box. Used to check layouts and glyphs by eye.
//
//   velmortool_screens --out DIR
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTranslator>
#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>

#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "gui/about_dialog.h"
#include "gui/main_window.h"
#include "gui/progress_dialog.h"
#include "gui/qt_dialog_service.h"
#include "shell/program_folder.h"
#include "shell/velmor_app.h"
#include "shell/velmor_dlg.h"
#include "ui/message_down.h"
#include "ui/sleeper.h"

namespace {

using namespace velmor;

// Lets the progress window show `dots` dots at once, then holds it there.
class HoldingSleeper : public ui::Sleeper {
  public:
    explicit HoldingSleeper(int free) : free_(free) {}
    bool SleepFor(std::chrono::milliseconds, std::stop_token stop) override {
        if (--free_ > 0) return true;
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        wake.wait(lock, stop, [] { return false; });
        return false;
    }

  private:
    std::atomic<int> free_;
};

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
}

bool Save(QWidget& widget, const QString& folder, const QString& name) {
    Settle();
    const QString path = folder + "/" + name + ".png";
    if (!widget.grab().save(path)) {
        std::cerr << "velmortool_screens: cannot write " << path.toStdString() << "\n";
        return false;
    }
    std::cout << path.toStdString() << "\n";
    return true;
}

// The document the configuration page opens: a DoubleFiber board with a few
// settings, so the page shows more than its first entries.
void WriteFirstConfig(const std::string& programFolder) {
    controller::CMainOperation doc;
    doc.SetBoardType(1);
    doc.cmdList = {{"InitDone", "MB Ctrl1", "RegWrite", 0x4009, 0x91},
                   {"InitDone", "HB Ctrl2", "RegWrite", 0x410A, 0xC3}};
    const std::string record = commands::CCmdsMag::RecordFolder(programFolder);
    QDir().mkpath(QString::fromStdString(record));
    commands::CCmdsMag(doc).SaveConfigDocument(record + "FirstConfig.cfg");
}

bool RenderLanguage(const std::string& language, const QString& folder) {
    sim::SimDriver driver;
    driver.AddDevice();
    QTemporaryDir home;
    controller::CMainOperation operation;
    operation.programFolder = home.path().toStdString() + "/";
    WriteFirstConfig(operation.programFolder);
    operation.language = language;
    operation.SetBoardType(1);
    gui::QtDialogService dialogs;
    const QString lang = QString::fromStdString(language);
    bool ok = true;

    shell::CVelmorDlg model(operation, driver, dialogs);
    {
        gui::MainWindow view(model);
        dialogs.SetParent(&view);
        view.resize(1180, 780);
        view.show();
        model.OnTimer(shell::CVelmorDlg::kConnectionTimerId);
        for (int tab = 0; tab < view.Tabs()->count(); ++tab) {
            model.OnTabClick(tab);
            ok &= Save(view, folder, QStringLiteral("main_%1_tab%2").arg(lang).arg(tab));
        }
        model.OnTabClick(0);
        model.OnBoardTypeSelChange(0);
        model.OnTabClick(1);
        ok &= Save(view, folder, QStringLiteral("main_%1_tab1_mainboard").arg(lang));
        model.OnTabClick(2);  // the configuration page follows the board type
        ok &= Save(view, folder, QStringLiteral("config_%1_single").arg(lang));
        model.OnBoardTypeSelChange(1);
        model.OnTabClick(0);
        model.OnTabClick(2);
        ok &= Save(view, folder, QStringLiteral("config_%1_fibre").arg(lang));
        model.OnTabClick(0);
        model.OnDeviceNameLabelClick();
        ok &= Save(view, folder, QStringLiteral("main_%1_version").arg(lang));

        gui::AboutDialog about(model.about, &view);
        about.show();
        ok &= Save(about, folder, QStringLiteral("about_%1").arg(lang));

        ui::CMessageDown progressModel(operation);
        HoldingSleeper sleeper(8);
        progressModel.SetSleeper(sleeper);
        progressModel.Setup(ui::ProgressMessage(ui::ProgressKind::Saving, language), 0, 30);
        {
            gui::ProgressDialog progress(progressModel, &view);
            progress.show();
            while (progressModel.Dots() < 8) QThread::msleep(1);
            ok &= Save(progress, folder, QStringLiteral("progress_%1").arg(lang));
        }

        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VelmorTool"),
                        QString::fromUtf8(shell::CVelmorApp::kAlreadyRunningText), QMessageBox::Ok,
                        &view);
        box.show();
        ok &= Save(box, folder, QStringLiteral("message_%1").arg(lang));
        model.OnExit();
        Settle();
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QString folder = QStringLiteral("screenshots");
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--out") folder = QString::fromLocal8Bit(argv[i + 1]);
    }
    QApplication app(argc, argv);
    if (!QDir().mkpath(folder)) {
        std::cerr << "velmortool_screens: cannot create " << folder.toStdString() << "\n";
        return 1;
    }
    bool ok = RenderLanguage("chs", folder);

    QTranslator english;
    const std::string qm = shell::ExecutableFolder(argv[0]) + shell::CVelmorApp::kEnglishFileName;
    if (!english.load(QString::fromStdString(qm))) {
        std::cerr << "velmortool_screens: cannot load " << qm << "\n";
        return 1;
    }
    QApplication::installTranslator(&english);
    ok &= RenderLanguage("eng", folder);
    return ok ? 0 : 1;
}
