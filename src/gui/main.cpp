// velmortool: options, start-up, the main window. Everything else lives in the
// core and in the views of velmor_gui.
#include <QApplication>
#include <QTranslator>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "backend/driver_selection.h"
#include "controller/main_operation.h"
#include "drivers/replay/recording_driver.h"
#include "drivers/replay/replay_driver.h"
#include "drivers/sim/sim_driver.h"
#include "files/process_environment.h"
#include "gui/main_window.h"
#include "gui/qt_dialog_service.h"
#include "gui/simulator_board_type.h"
#include "history/history_log.h"
#include "shell/command_line.h"
#include "shell/program_folder.h"
#include "shell/velmor_app.h"
#include "shell/velmor_dlg.h"
#include "usb/null_usb_driver.h"

namespace {

// The driver lives as long as the process: the controller object, which is never
// destroyed, keeps its device object talking to it. The simulated controller keeps
// its registers and flash in a state file, so an image written to its flash is
// still there after a restart. Without a driver the program runs disconnected.
velmor::backend::SelectedDriver MakeDriver(const velmor::shell::CommandLine& line,
                                           const std::string& executableFolder) {
    using velmor::backend::DriverFailure;
    velmor::backend::DriverChoice choice;
    choice.simulate = line.simulate;
    choice.stateFile = line.state;
    choice.executableFolder = executableFolder;
    choice.onBadIds = velmor::backend::OnBadIds::kUseBuiltIn;
    choice.replayFile = line.replay;
    choice.replayTiming = line.replayTiming;
    choice.recordFile = line.record;
    choice.recordOverwrite = line.force;
    choice.program = "velmortool";
    choice.version = VELMOR_VERSION;
    choice.recordingWarning = [](const std::string& warning) {
        std::cerr << "velmortool: " << warning << "\n";
    };
    velmor::backend::SelectedDriver selected = velmor::backend::SelectDriver(choice);
    if (!selected.refusedIds.empty())
        std::cerr << "velmortool: " << selected.refusedIds
                  << "; using the built-in controller IDs.\n";
    if (selected.failure == DriverFailure::kNotBuilt) {
        // The program runs disconnected rather than pretending to look for devices
        // it cannot reach.
        std::cerr << "velmortool: this build has no USB driver backend for real devices: running "
                     "disconnected. Start with --simulate to use the simulated controller.\n";
    } else if (selected.failure == DriverFailure::kNoRecording ||
               selected.failure == DriverFailure::kBadRecording ||
               selected.failure == DriverFailure::kCannotRecord) {
        // A recording asked for and not to be had: the person should know before
        // anything runs.
        std::cerr << "velmortool: " << selected.error << "\n";
        return selected;
    } else if (selected.failure != DriverFailure::kNone) {
        std::cerr << "velmortool: " << selected.error << " Running disconnected.\n";
    }
    if (!selected.driver) selected.driver = std::make_unique<velmor::usb::NullUsbDriver>();
    return selected;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace velmor;
    const shell::CommandLine line = shell::ParseCommandLine(argc, argv);
    if (!line.error.empty()) {
        std::cerr << "velmortool: " << line.error << "\n" << shell::UsageText("velmortool");
        return 2;
    }
    if (line.help) {
        std::cout << shell::UsageText("velmortool");
        return 0;
    }
    if (!shell::SessionCanShowWindows()) {
        std::cerr << "velmortool: no display available (neither DISPLAY nor WAYLAND_DISPLAY is "
                     "set).\nRun it in a desktop session, or set QT_QPA_PLATFORM=offscreen to run "
                     "it without showing windows.\n";
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VelmorTool"));

    controller::CMainOperation& operation = *controller::CMainOperation::GetInstance();
    gui::QtDialogService dialogs;
    QTranslator english;

    shell::CVelmorApp::Setup setup;
    const std::optional<std::string> home = files::EnvironmentValue("VELMOR_HOME");
    setup.executableFolder = shell::ExecutableFolder(argv[0]);
    setup.programFolder =
        shell::ResolveProgramFolder(line.home, home ? home->c_str() : nullptr, setup.executableFolder);
    setup.loadEnglish = [&english](const std::string& path) {
        if (!english.load(QString::fromStdString(path))) return false;
        QApplication::installTranslator(&english);
        return true;
    };
    operation.historyFile = history::DefaultHistoryFile();
    operation.programName = "velmortool";
    operation.programVersion = VELMOR_VERSION;
    shell::CVelmorApp velmorApp(operation, dialogs, setup);
    if (!velmorApp.InitInstance()) return 1;

    velmor::backend::SelectedDriver drivers = MakeDriver(line, setup.executableFolder);
    if (!drivers.driver) return 1;
    // The drivers live as long as the process (see MakeDriver).
    drivers.recorded.release();
    shell::CVelmorDlg window(operation, *drivers.driver.release(), dialogs);
    sim::SimDriver* simulator = drivers.simulator;
    if (simulator != nullptr) gui::FollowBoardType(window, *simulator);
    gui::MainWindow view(window);
    dialogs.SetParent(&view);
    // A controller plugged in or taken away shows in the status line at once
    // instead of at the next connection check.
    if (drivers.setHotplugListener) {
        drivers.setHotplugListener([&view, &window](bool) {
            QMetaObject::invokeMethod(
                &view, [&window] { window.OnTimer(shell::CVelmorDlg::kConnectionTimerId); },
                Qt::QueuedConnection);
        });
    }
    view.show();
    view.exec();
    if (drivers.setHotplugListener) drivers.setHotplugListener({});
    if (drivers.recorder != nullptr) drivers.recorder->Flush();
    if (drivers.replay != nullptr && drivers.replay->Mismatches() > 0)
        std::cerr << "velmortool: " << drivers.replay->FirstMismatch() << "\n";
    // The driver is never destroyed, so its last changes are written out here.
    if (simulator != nullptr && !simulator->Device(0).FlushState()) {
        std::cerr << "velmortool: the simulated controller's state could not be saved to "
                  << simulator->Device(0).Options().stateFile << "\n";
        return 1;
    }
    return 0;
}
