#include "backend/driver_selection.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "controller/board_layout.h"
#include "drivers/replay/recording_driver.h"
#include "drivers/replay/replay_driver.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_motors.h"
#include "drivers/sim/sim_state_location.h"
#include "files/utf8_path.h"
#include "numbers/hex_text.h"

#ifdef VELMOR_HAVE_LIBUSB
#include "drivers/libusb/device_ids.h"
#include "drivers/libusb/libusb_texts.h"
#include "drivers/libusb/program_backend.h"
#endif
#ifdef VELMOR_HAVE_WIN_DRIVER
#include "drivers/win/win_driver.h"
#include "drivers/win/win_texts.h"
#endif

namespace velmor::backend {

namespace {

SelectedDriver Simulated(const DriverChoice& choice) {
    SelectedDriver selected;
    auto simulator = std::make_unique<sim::SimDriver>();
    const std::string stateFile =
        choice.stateFile.empty() ? sim::DefaultStateFile() : choice.stateFile;
    // Device k keeps its registers and flash in FILE.k (the first in FILE itself).
    std::vector<sim::SimDeviceOptions> devices(
        static_cast<std::size_t>(std::max(1, choice.simulatedDevices)));
    for (std::size_t k = 0; k < devices.size(); ++k) {
        devices[k].stateFile = k == 0 ? stateFile : stateFile + "." + std::to_string(k);
        devices[k].answerTime = choice.simulatedAnswerTime;
    }
    for (const sim::SimDeviceOptions& device : devices) simulator->AddDevice(device);
    selected.simulator = simulator.get();
    selected.driver = std::move(simulator);
    selected.backendName = "sim";
    constexpr numbers::HexStyle kIdHex{.digits = 4, .upper = false};
    selected.controllerIds = {numbers::Hex(devices[0].vendorId, kIdHex) + ":" +
                              numbers::Hex(devices[0].productId, kIdHex)};
    return selected;
}

SelectedDriver Replayed(const DriverChoice& choice) {
    SelectedDriver selected;
    std::error_code ec;
    const std::filesystem::path file = files::PathFromUtf8(choice.replayFile);
    std::string error;
    std::optional<replay::TrafficRecording> recording =
        replay::ReadRecording(choice.replayFile, error);
    if (!recording) {
        selected.failure = std::filesystem::is_regular_file(file, ec) ? DriverFailure::kBadRecording
                                                                      : DriverFailure::kNoRecording;
        selected.error = error;
        return selected;
    }
    selected.backendName = "replay of " + recording->header.backend;
    selected.controllerIds = recording->header.ids;
    auto driver =
        std::make_unique<replay::ReplayDriver>(std::move(*recording), choice.replayTiming);
    selected.replay = driver.get();
    selected.driver = std::move(driver);
    return selected;
}

// Wraps the chosen driver in a recording driver.
SelectedDriver Recorded(const DriverChoice& choice, SelectedDriver selected) {
    std::string error;
    std::unique_ptr<replay::TrafficWriter> writer = replay::TrafficWriter::Create(
        choice.recordFile, choice.recordOverwrite, choice.recordingWarning, error);
    if (!writer) {
        SelectedDriver refused;
        refused.failure = DriverFailure::kCannotRecord;
        refused.error = error;
        return refused;
    }
    auto recorder = std::make_unique<replay::RecordingDriver>(
        *selected.driver, std::move(writer),
        replay::RecordingHeader{choice.program, choice.version, selected.backendName,
                                selected.controllerIds});
    selected.recorder = recorder.get();
    selected.recorded = std::move(selected.driver);
    selected.driver = std::move(recorder);
    return selected;
}

#ifdef VELMOR_HAVE_LIBUSB
SelectedDriver Libusb(const DriverChoice& choice) {
    SelectedDriver selected;
    libusb::ProgramBackend backend = libusb::StartProgramBackend(
        choice.executableFolder, std::getenv(libusb::kMatchEnvironment), choice.matches);
    if (backend.failure == libusb::BackendFailure::kBadIds &&
        choice.onBadIds == OnBadIds::kUseBuiltIn) {
        selected.refusedIds = backend.error;
        backend = libusb::StartProgramBackend({}, nullptr, {});
    }
    if (!backend.driver) {
        selected.failure = backend.failure == libusb::BackendFailure::kBadIds
                               ? DriverFailure::kBadIds
                               : DriverFailure::kNotStarted;
        selected.error = backend.error;
        return selected;
    }
    libusb::LibusbDriver* driver = backend.driver.get();
    selected.backendName = "libusb";
    for (const libusb::DeviceId& id : driver->Ids())
        selected.controllerIds.push_back(libusb::FormatDeviceId(id));
    selected.noDeviceText = [driver] { return libusb::NoDeviceText(driver->Ids()); };
    selected.openFailureText = [driver] { return driver->LastErrorText(); };
    selected.setHotplugListener = [driver](std::function<void(bool)> listener) {
        driver->SetHotplugListener(std::move(listener));
    };
    selected.driver = std::move(backend.driver);
    return selected;
}
#endif

#ifdef VELMOR_HAVE_WIN_DRIVER
// The vendor driver, reached through its interface class; it has no IDs to match.
SelectedDriver WindowsDriver() {
    SelectedDriver selected;
    auto driver = std::make_unique<win::WinDriver>(win::SystemWin32Api());
    win::WinDriver* windows = driver.get();
    selected.backendName = "windows";
    selected.controllerIds = {win::kInterfaceClassText};
    selected.noDeviceText = [] { return win::NoDeviceText(); };
    selected.openFailureText = [windows] {
        const std::string text = windows->LastOpenFailureText();
        // The handle opened, so the controller did not answer what opening asks of it.
        return text.empty() ? "The controller opened but did not answer its descriptor "
                              "requests. Unplug it, plug it in again and retry."
                            : text;
    };
    selected.driver = std::move(driver);
    return selected;
}
#endif

SelectedDriver Backend(const DriverChoice& choice) {
    if (choice.simulate) return Simulated(choice);
#if defined(VELMOR_HAVE_WIN_DRIVER)
    return WindowsDriver();
#elif defined(VELMOR_HAVE_LIBUSB)
    return Libusb(choice);
#else
    SelectedDriver selected;
    selected.failure = DriverFailure::kNotBuilt;
    return selected;
#endif
}

}  // namespace

SelectedDriver SelectDriver(const DriverChoice& choice) {
    SelectedDriver selected = choice.replayFile.empty() ? Backend(choice) : Replayed(choice);
    if (!selected.driver || choice.recordFile.empty()) return selected;
    return Recorded(choice, std::move(selected));
}

sim::SimMotionLayout SimMotionLayoutFor(std::uint8_t boardType) {
    return controller::SingleBoard(boardType) ? sim::SimMotionLayout::kMainBoard
                                              : sim::SimMotionLayout::kFiber;
}

}  // namespace velmor::backend
