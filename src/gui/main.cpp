// velmortool: options, start-up, the main window. Everything else lives in the
// core and in the views of velmor_gui.
#include <QApplication>
#include <QTranslator>
#include <cstdlib>
#include <iostream>

#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_state_location.h"
#include "gui/main_window.h"
#include "gui/qt_dialog_service.h"
#include "gui/simulator_board_type.h"
#include "shell/command_line.h"
#include "shell/program_folder.h"
#include "shell/velmor_app.h"
#include "shell/velmor_dlg.h"
#include "usb/null_usb_driver.h"

#ifdef VELMOR_HAVE_LIBUSB
#include "drivers/libusb/libusb_driver.h"
#include "drivers/libusb/program_backend.h"
#endif

namespace {

// The driver lives as long as the process: the controller object, which is never
// destroyed, keeps its device object talking to it. The simulated controller keeps
// its registers and flash in a state file, so an image written to its flash is
// still there after a restart.
struct Drivers {
    velmor::sim::SimDriver* simulator = nullptr;
#ifdef VELMOR_HAVE_LIBUSB
    velmor::libusb::LibusbDriver* real = nullptr;
#endif
};

velmor::usb::UsbDriver& MakeDriver(const velmor::shell::CommandLine& line,
                                   const std::string& executableFolder, Drivers& drivers) {
    if (line.simulate) {
        drivers.simulator = new velmor::sim::SimDriver;
        velmor::sim::SimDeviceOptions options;
        options.stateFile = line.state.empty() ? velmor::sim::DefaultStateFile() : line.state;
        drivers.simulator->AddDevice(options);
        return *drivers.simulator;
    }
#ifdef VELMOR_HAVE_LIBUSB
    velmor::libusb::ProgramBackend backend = velmor::libusb::StartProgramBackend(
        executableFolder, std::getenv(velmor::libusb::kMatchEnvironment), {});
    if (backend.failure == velmor::libusb::BackendFailure::kBadIds) {
        std::cerr << "velmortool: " << backend.error << "; using the built-in controller IDs.\n";
        backend = velmor::libusb::StartProgramBackend({}, nullptr, {});
    }
    if (backend.driver) {
        drivers.real = backend.driver.release();
        return *drivers.real;
    }
    std::cerr << "velmortool: " << backend.error << " Running disconnected.\n";
#else
    (void)executableFolder;
    // This build has no backend for real devices: the program runs disconnected
    // rather than pretending to look for devices it cannot reach.
    std::cerr << "velmortool: this build has no USB driver backend for real devices: running "
                 "disconnected. Start with --simulate to use the simulated controller.\n";
#endif
    return *new velmor::usb::NullUsbDriver;
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
    if (!shell::CanShowWindows(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                               std::getenv("QT_QPA_PLATFORM"))) {
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
    setup.executableFolder = shell::ExecutableFolder(argv[0]);
    setup.programFolder =
        shell::ResolveProgramFolder(line.home, std::getenv("VELMOR_HOME"), setup.executableFolder);
    setup.loadEnglish = [&english](const std::string& path) {
        if (!english.load(QString::fromStdString(path))) return false;
        QApplication::installTranslator(&english);
        return true;
    };
    shell::CVelmorApp velmorApp(operation, dialogs, setup);
    if (!velmorApp.InitInstance()) return 1;

    Drivers drivers;
    shell::CVelmorDlg window(operation, MakeDriver(line, setup.executableFolder, drivers), dialogs);
    if (drivers.simulator != nullptr) gui::FollowBoardType(window, *drivers.simulator);
    gui::MainWindow view(window);
    dialogs.SetParent(&view);
#ifdef VELMOR_HAVE_LIBUSB
    // A controller plugged in or taken away shows in the status line at once
    // instead of at the next connection check.
    if (drivers.real != nullptr) {
        drivers.real->SetHotplugListener([&view, &window](bool) {
            QMetaObject::invokeMethod(
                &view, [&window] { window.OnTimer(shell::CVelmorDlg::kConnectionTimerId); },
                Qt::QueuedConnection);
        });
    }
#endif
    view.show();
    view.exec();
#ifdef VELMOR_HAVE_LIBUSB
    if (drivers.real != nullptr) drivers.real->SetHotplugListener({});
#endif
    sim::SimDriver* simulator = drivers.simulator;
    // The driver is never destroyed, so its last changes are written out here.
    if (simulator != nullptr && !simulator->Device(0).FlushState()) {
        std::cerr << "velmortool: the simulated controller's state could not be saved to "
                  << simulator->Device(0).Options().stateFile << "\n";
        return 1;
    }
    return 0;
}
