#include "cli/ctl_session.h"

#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_motors.h"
#include "drivers/sim/sim_state_location.h"
#include "usb/usb_link.h"

namespace velmor::cli {

namespace {

constexpr const char* kNoBackendText =
    "no USB backend for real devices in this build; use --simulate";

}  // namespace

CtlSession::CtlSession(CtlOptions options, CtlOutput& output,
                       std::unique_ptr<sim::SimDriver> simDriver, RealDriverFactory realDriver)
    : options_(std::move(options)),
      output_(output),
      realDriver_(std::move(realDriver)),
      sim_(std::move(simDriver)) {}

CtlSession::CtlSession(CtlOptions options, CtlOutput& output, CtlSession& owner)
    : options_(std::move(options)), output_(output), owner_(&owner) {}

CtlSession::~CtlSession() {
    // The device goes before the driver it runs on.
    operation_.reset();
    real_.driver.reset();
    sim_.reset();
}

std::string CtlSession::StateFile() const {
    return options_.stateFile.empty() ? sim::DefaultStateFile() : options_.stateFile;
}

int CtlSession::Driver(usb::UsbDriver*& driver) {
    driver = nullptr;
    if (owner_ != nullptr) return owner_->Driver(driver);
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
    if (!real_.driver) {
        if (realDriver_) real_ = realDriver_(options_);
        if (!real_.driver) {
            return output_.Fail(real_.failureCode != 0 ? real_.failureCode : kExitUnavailable,
                                real_.error.empty() ? kNoBackendText : real_.error);
        }
    }
    driver = real_.driver.get();
    return kExitOk;
}

int CtlSession::CountDevices(int& count) {
    count = 0;
    usb::UsbDriver* driver = nullptr;
    if (const int code = Driver(driver); code != kExitOk) return code;
    usb::CUsbLink link(*driver, usb::WindowId{0}, usb::kVendorInterfaceClass, false);
    count = link.CountDevices();
    return kExitOk;
}

std::string CtlSession::NoDeviceText() const {
    const RealDriver& real = owner_ != nullptr ? owner_->real_ : real_;
    return real.noDevice && !options_.simulate ? real.noDevice() : "no devices found";
}

int CtlSession::Connect(controller::CMainOperation*& operation) {
    operation = operation_.get();
    if (operation != nullptr) return kExitOk;
    usb::UsbDriver* driver = nullptr;
    if (const int code = Driver(driver); code != kExitOk) return code;
    const RealDriver& real = owner_ != nullptr ? owner_->real_ : real_;
    auto link = std::make_unique<usb::CUsbLink>(*driver, usb::WindowId{0},
                                                usb::kVendorInterfaceClass, false);
    const int count = link->CountDevices();
    if (count == 0 && real.noDevice) return output_.Fail(kExitUnavailable, real.noDevice());
    if (options_.device < 0 || options_.device >= count)
        return output_.Fail(kExitUnavailable, "no device " + std::to_string(options_.device) +
                                                  " (" + std::to_string(count) + " found)");
    if (!link->OpenDevice(static_cast<std::uint8_t>(options_.device))) {
        return output_.Fail(kExitUnavailable,
                            real.openFailure
                                ? real.openFailure()
                                : "cannot open device " + std::to_string(options_.device));
    }
    operation_ = std::make_unique<controller::CMainOperation>();
    operation_->SetBoardType(static_cast<std::uint8_t>(options_.boardType));
    sim::SimDriver* sim = owner_ != nullptr ? owner_->sim_.get() : sim_.get();
    if (sim != nullptr) {
        sim->Device(static_cast<std::size_t>(options_.device))
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
    if (owner_ != nullptr) return kExitOk;  // the owner keeps every device's state
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
