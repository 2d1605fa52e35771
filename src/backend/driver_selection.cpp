#include "backend/driver_selection.h"

#include "controller/board_layout.h"
#include "drivers/sim/sim_motors.h"

#include <cstdlib>

#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_state_location.h"

#ifdef VELMOR_HAVE_LIBUSB
#include "drivers/libusb/libusb_texts.h"
#include "drivers/libusb/program_backend.h"
#endif

namespace velmor::backend {

namespace {

SelectedDriver Simulated(const DriverChoice& choice) {
    SelectedDriver selected;
    auto simulator = std::make_unique<sim::SimDriver>();
    sim::SimDeviceOptions device;
    device.stateFile = choice.stateFile.empty() ? sim::DefaultStateFile() : choice.stateFile;
    simulator->AddDevice(device);
    selected.simulator = simulator.get();
    selected.driver = std::move(simulator);
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
    selected.noDeviceText = [driver] { return libusb::NoDeviceText(driver->Ids()); };
    selected.openFailureText = [driver] { return driver->LastErrorText(); };
    selected.setHotplugListener = [driver](std::function<void(bool)> listener) {
        driver->SetHotplugListener(std::move(listener));
    };
    selected.driver = std::move(backend.driver);
    return selected;
}
#endif

}  // namespace

SelectedDriver SelectDriver(const DriverChoice& choice) {
    if (choice.simulate) return Simulated(choice);
#ifdef VELMOR_HAVE_LIBUSB
    return Libusb(choice);
#else
    SelectedDriver selected;
    selected.failure = DriverFailure::kNotBuilt;
    return selected;
#endif
}

sim::SimMotionLayout SimMotionLayoutFor(std::uint8_t boardType) {
    return controller::SingleBoard(boardType) ? sim::SimMotionLayout::kMainBoard
                                              : sim::SimMotionLayout::kFiber;
}

}  // namespace velmor::backend
