// Renders every window of the program offscreen to PNG files, in Chinese and in
// English: the main window on each tab, both movement pages with rows in their
// lists and a test move in progress, the start-up motion preview of each, the
// version label, the About box, the command-set dialogs, the progress window, a message box, and
// the cleaning page alone for each machine model and motor type. Used to check layouts and glyphs
// by eye.
//
//   velmortool_screens --out DIR
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <mutex>
#include <optional>

#include "cleaning/clean_download_dlg.h"
#include "commands/cmd_edit_dlg.h"
#include "commands/cmd_sets_dlg.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_motors.h"
#include "gui/about_dialog.h"
#include "gui/clean_download_view.h"
#include "gui/cmd_edit_view.h"
#include "gui/cmd_sets_view.h"
#include "gui/main_window.h"
#include "gui/progress_dialog.h"
#include "gui/qt_dialog_service.h"
#include "gui/simulator_board_type.h"
#include "motion/movement_page.h"
#include "shell/program_folder.h"
#include "shell/velmor_app.h"
#include "shell/velmor_dlg.h"
#include "ui/message_down.h"
#include "ui/modal_dialog.h"
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

// A few command sets, one command with a keyword that has no image code.
void FillCommandSets(controller::CMainOperation& operation) {
    operation.allCmdNames = {"InitDone", "HeadPower", "Fans"};
    operation.cmdNames = {"InitDone", "HeadPower", "InitDone"};
    operation.cmdList = {{"InitDone", "SYS_CTRL[7:0]", "RegWrite", 0x4002, 0xff},
                         {"InitDone", "SYS_CTRL[15:8]", "RegWrite", 0x4003, 0x01},
                         {"HeadPower", "HB_PWR[7:0]", "WriteOR", 0x4110, 0x80},
                         {"HeadPower", "HB_STAT", "RegRead", 0x4111, 0x00},
                         {"HeadPower", "HB_PWR[7:0]", "Wait", 0x4110, 0x10},
                         {"Fans", "FAN_SPEED[7:0]", "RegWrite", 0x4030, 0x3c}};
}

bool RenderCommandSets(controller::CMainOperation& operation, gui::QtDialogService& dialogs,
                       QWidget* parent, const QString& folder, const QString& lang) {
    FillCommandSets(operation);
    commands::CCmdSetsDlg sets({operation, dialogs});
    sets.OnInitDialog();
    sets.order.selected = 0;
    sets.OnOrderSelChange();
    gui::CmdSetsView setsView(sets, parent);
    setsView.show();
    bool ok = Save(setsView, folder, QStringLiteral("cmd_sets_%1").arg(lang));

    commands::CCmdEditDlg editor({operation, dialogs}, "HeadPower");
    editor.OnInitDialog();
    editor.list.SetSelectedRows({1});
    editor.list.SetSelectionMark(1);
    editor.OnListClick();
    gui::CmdEditView editView(editor, parent);
    editView.show();
    return ok & Save(editView, folder, QStringLiteral("cmd_edit_%1").arg(lang));
}

// Dialogs that never show: the cleaning page's notice for "Dravik" must not stop
// the rendering.
class QuietDialogs : public ui::DialogService {
  public:
    void ShowMessage(const std::string&, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> OpenFile(const ui::FileDialogRequest&) override { return {}; }
    std::optional<std::string> SaveFile(const ui::FileDialogRequest&) override { return {}; }
    void RunProgress(ui::CMessageDown&) override {}
    int RunModal(ui::ModalDialog&) override { return ui::ModalDialog::kCancel; }
};

// The cleaning page for every machine model, with a stepper and a DC carriage.
bool RenderCleaningPage(controller::CMainOperation& operation, const QString& folder,
                        const QString& lang) {
    QuietDialogs quiet;
    cleaning::CCleanDownloadDlg page({operation, quiet});
    page.OnInitDialog();
    gui::CleanDownloadView view(page);
    view.resize(1180, 700);
    view.show();
    bool ok = true;
    for (int model = 0; model < static_cast<int>(page.machineModel.items.size()); ++model) {
        for (int motor = 0; motor < 2; ++motor) {
            page.OnModelSelChange(model);
            page.OnMotorTypeSelChange(motor);
            ok &= Save(view, folder,
                       QStringLiteral("cleaning_%1_model%2_%3")
                           .arg(lang)
                           .arg(model)
                           .arg(motor == 0 ? "stepper" : "dc"));
        }
    }
    return ok;
}

controller::MotorListInfo Step(std::uint8_t motors, const char* led, std::int32_t frequency = 0) {
    controller::MotorListInfo step;
    step.motorIndex = motors;
    for (int slot = 0; slot < controller::kMotorSlots; ++slot) {
        if ((motors & (1u << slot)) == 0) continue;
        ++step.nMotorNums;
        step.MotonTabLen[slot] = 512;
        step.MotonnMaxSpeed[slot] = 4000 + 500 * slot;
        step.MotonnnMoveLenth[slot] = 1000 * (slot + 1);
        step.MotonnnstrDir[slot] = slot % 2 == 0 ? "End" : "Orignal";
    }
    if (frequency > 0) {
        step.MotonTabLen[0] = 2000;
        step.MotonnMaxSpeed[0] = 2500;
        step.MotonnFrequency = frequency;
    }
    step.strLedIndx = led;
    return step;
}

// The preview dialog as "预览" opens it: grabbed once it is up, then closed.
bool RenderPreview(motion::MovementPage& page, const QString& folder, const QString& name) {
    bool ok = false;
    std::function<void(int)> grab = [&](int triesLeft) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(top);
            if (dialog == nullptr || !dialog->isVisible() ||
                dialog->objectName() != QStringLiteral("MotionPreviewView"))
                continue;
            dialog->resize(1000, dialog->sizeHint().height());
            ok = Save(*dialog, folder, name);
            dialog->reject();
            return;
        }
        if (triesLeft > 0) QTimer::singleShot(10, [&grab, triesLeft] { grab(triesLeft - 1); });
    };
    QTimer::singleShot(0, [&grab] { grab(200); });
    page.OnPreview();
    return ok;
}

// The movement page of selector item `boardItem` on the movement tab, with the
// lists shown and an X test move that does not end by itself in progress; then
// its start-up motion preview.
bool RenderMovementPage(shell::CVelmorDlg& model, gui::MainWindow& view, sim::SimDriver& driver,
                        int boardItem, const QString& folder, const QString& name,
                        const QString& previewName) {
    model.OnTabClick(0);
    model.OnBoardTypeSelChange(boardItem);
    model.OnTabClick(1);
    auto* page = dynamic_cast<motion::MovementPage*>(model.TabHost().MovementPageFor(
        controller::LayoutOf(static_cast<std::uint8_t>(boardItem))));
    if (page == nullptr) return false;
    driver.Device(0).Controller().Motors().SetStuck(sim::SimGenerator::kX0, true);
    page->motors[0].ticked.checked = true;
    page->OnMotorCheck(0);
    page->testMode.checked = true;
    page->OnTestMode();
    page->movementList.SetSelectedRows({1});
    page->OnMoveMotor();
    for (int i = 0; i < 2000 && page->StatusText().empty(); ++i) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
    const bool ok = Save(view, folder, name);
    page->OnStopMotor();
    page->Tester().WaitForMove();
    page->testMode.checked = false;
    page->OnTestMode();
    return ok & RenderPreview(*page, folder, previewName);
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

bool RenderLanguage(controller::Language language, const QString& folder) {
    sim::SimDriver driver;
    driver.AddDevice();
    QTemporaryDir home;
    controller::CMainOperation operation;
    operation.programFolder = home.path().toStdString() + "/";
    WriteFirstConfig(operation.programFolder);
    operation.language = language;
    operation.SetBoardType(1);
    gui::QtDialogService dialogs;
    const QString lang = QString::fromLatin1(controller::LanguageSetting(language).data());
    bool ok = true;

    shell::CVelmorDlg model(operation, driver, dialogs);
    gui::FollowBoardType(model, driver);
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
        ok &= Save(view, folder, QStringLiteral("config_%1_fiber").arg(lang));

        model.OnTabClick(0);  // leaving the movement tab stores its (empty) lists first
        operation.motionList = {Step(0b00001, "1"), Step(0b00110, "2"), Step(0b00001, "3", 5000),
                                Step(0b00010, "4")};
        operation.testMotionList = {Step(0b01000, "none"), Step(0b10000, "E"), Step(0b00101, "D")};
        for (const char* name : {"InitMovement", "InitMovetest"}) {
            if (std::find(operation.cmdNames.begin(), operation.cmdNames.end(), name) ==
                operation.cmdNames.end())
                operation.cmdNames.emplace_back(name);
        }
        ok &= RenderMovementPage(model, view, driver, 0, folder,
                                 QStringLiteral("movement_%1_mainboard").arg(lang),
                                 QStringLiteral("preview_%1_mainboard").arg(lang));
        ok &= RenderMovementPage(model, view, driver, 1, folder,
                                 QStringLiteral("movement_%1_fiber").arg(lang),
                                 QStringLiteral("preview_%1_fiber").arg(lang));
        model.OnTabClick(0);
        model.OnDeviceNameLabelClick();
        ok &= Save(view, folder, QStringLiteral("main_%1_version").arg(lang));

        gui::AboutDialog about(model.about, &view);
        about.show();
        ok &= Save(about, folder, QStringLiteral("about_%1").arg(lang));
        ok &= RenderCommandSets(operation, dialogs, &view, folder, lang);

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
    ok &= RenderCleaningPage(operation, folder, lang);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QString folder = QStringLiteral("screenshots");
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--out") folder = QString::fromLocal8Bit(argv[i + 1]);
    }
    QApplication app(argc, argv);
    if (!QDir().mkpath(folder)) {
        std::cerr << "velmortool_screens: cannot create " << folder.toStdString() << "\n";
        return 1;
    }
    bool ok = RenderLanguage(controller::Language::kChinese, folder);

    QTranslator english;
    const std::string qm = shell::ExecutableFolder(argv[0]) + shell::CVelmorApp::kEnglishFileName;
    if (!english.load(QString::fromStdString(qm))) {
        std::cerr << "velmortool_screens: cannot load " << qm << "\n";
        return 1;
    }
    QApplication::installTranslator(&english);
    ok &= RenderLanguage(controller::Language::kEnglish, folder);
    return ok ? 0 : 1;
}
