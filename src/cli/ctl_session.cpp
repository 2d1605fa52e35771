#include "cli/ctl_session.h"

#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_motors.h"
#include "drivers/sim/sim_state_location.h"
#include "usb/usb_link.h"

namespace velmor::cli {

CtlSession::CtlSession(CtlOptions options, CtlOutput& output,
                       std::unique_ptr<sim::SimDriver> simDriver, RealDriverFactory realDriver)
    : options_(std::move(options)),
      output_(output),
      realDriver_(std::move(realDriver)),
      sim_(std::move(simDriver)) {}

CtlSession::~CtlSession() {
    // The device goes before the driver it runs on.
    operation_.reset();
    real_.reset();
    sim_.reset();
}

std::string CtlSession::StateFile() const {
    return options_.stateFile.empty() ? sim::DefaultStateFile() : options_.stateFile;
}

int CtlSession::Driver(usb::UsbDriver*& driver) {
    driver = nullptr;
    if (options_.simulate) {
        if (!sim_) {
            sim_ = std::make_unique<sim::SimDriver>();
            sim::SimDeviceOptions device;
            device.stateFile = StateFile();
            sim_->AddDevice(device);
        }
        driver = sim_.get();
        return kExitOk;
    }
    if (!real_) {
        std::string error = "no USB backend for real devices in this build; use --simulate";
        if (realDriver_) real_ = realDriver_(error);
        if (!real_) return output_.Fail(kExitUnavailable, error);
    }
    driver = real_.get();
    return kExitOk;
}

int CtlSession::Connect(controller::CMainOperation*& operation) {
    operation = operation_.get();
    if (operation != nullptr) return kExitOk;
    usb::UsbDriver* driver = nullptr;
    if (const int code = Driver(driver); code != kExitOk) return code;
    auto link = std::make_unique<usb::CUsbLink>(*driver, usb::WindowId{0},
                                                usb::kVendorInterfaceClass, false);
    const int count = link->CountDevices();
    if (options_.device < 0 || options_.device >= count)
        return output_.Fail(kExitUnavailable, "no device " + std::to_string(options_.device) +
                                                  " (" + std::to_string(count) + " found)");
    if (!link->OpenDevice(static_cast<std::uint8_t>(options_.device)))
        return output_.Fail(kExitUnavailable,
                            "cannot open device " + std::to_string(options_.device));
    operation_ = std::make_unique<controller::CMainOperation>();
    operation_->SetBoardType(static_cast<std::uint8_t>(options_.boardType));
    if (sim_) {
        sim_->Device(static_cast<std::size_t>(options_.device))
            .Controller()
            .Motors()
            .SetLayout(options_.boardType == 0 ? sim::SimMotionLayout::kMainBoard
                                               : sim::SimMotionLayout::kFibre);
    }
    operation_->SetDevice(std::move(link));
    operation_->deviceOpened = 1;
    operation_->connected = 1;
    operation = operation_.get();
    return kExitOk;
}

int CtlSession::KeepState() {
    if (!sim_) return kExitOk;
    for (std::size_t i = 0; i < sim_->DeviceCount(); ++i) {
        if (!sim_->Device(i).FlushState())
            return output_.Fail(
                kExitCantCreate,
                "the simulated controller's state could not be saved to " + StateFile());
    }
    return kExitOk;
}

}  // namespace velmor::cli
