#include "cli/ctl_session.h"

#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "cli/ctl_prepared_document.h"
#include "controller/main_operation.h"
#include "drivers/replay/recording_driver.h"
#include "drivers/replay/replay_driver.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_motors.h"
#include "drivers/sim/sim_state_location.h"
#include "history/history_log.h"
#include "usb/usb_link.h"

namespace velmor::cli {

namespace {

constexpr const char* kNoBackendText =
    "no USB backend for real devices in this build; use --simulate";

// A controller ID that is not one is a mistake on the command line or in the ID
// files; no backend for real devices is an unavailable service.
int FailureCode(backend::DriverFailure failure) {
    switch (failure) {
        case backend::DriverFailure::kBadIds:
            return kExitUsage;
        case backend::DriverFailure::kNoRecording:
            return kExitNoInput;
        case backend::DriverFailure::kBadRecording:
            return kExitDataErr;
        case backend::DriverFailure::kCannotRecord:
            return kExitCantCreate;
        default:
            return kExitUnavailable;
    }
}

}  // namespace

CtlSession::CtlSession(CtlOptions options, CtlOutput& output,
                       std::unique_ptr<sim::SimDriver> simDriver)
    : options_(std::move(options)), output_(output) {
    if (simDriver) {
        driver_.simulator = simDriver.get();
        driver_.driver = std::move(simDriver);
    }
}

CtlSession::CtlSession(CtlOptions options, CtlOutput& output, backend::SelectedDriver prepared)
    : options_(std::move(options)), output_(output), driver_(std::move(prepared)) {}

CtlSession::CtlSession(CtlOptions options, CtlOutput& output, CtlSession& owner)
    : options_(std::move(options)), output_(output), owner_(&owner) {}

CtlSession::~CtlSession() {
    // The device goes before the driver it runs on.
    operation_.reset();
}

void CtlSession::ShareDocument(PreparedDocument document) {
    sharedDocument_ = std::make_unique<const PreparedDocument>(std::move(document));
}

const PreparedDocument* CtlSession::SharedDocument(const std::string& path) const {
    if (owner_ != nullptr) return owner_->SharedDocument(path);
    return sharedDocument_ != nullptr && sharedDocument_->path == path ? sharedDocument_.get()
                                                                       : nullptr;
}

std::string CtlSession::StateFile() const {
    return options_.stateFile.empty() ? sim::DefaultStateFile() : options_.stateFile;
}

int CtlSession::Driver(usb::UsbDriver*& driver) {
    driver = nullptr;
    if (owner_ != nullptr) return owner_->Driver(driver);
    if (!driver_.driver) {
        backend::DriverChoice choice;
        choice.simulate = options_.simulate;
        choice.simulatedDevices = options_.simulatedDevices;
        choice.simulatedAnswerTime = std::chrono::microseconds(options_.simLatencyMicros);
        choice.stateFile = StateFile();
        choice.executableFolder = options_.executableFolder;
        choice.matches = options_.matches;
        choice.replayFile = options_.replayFile;
        choice.replayTiming = options_.replayTiming;
        choice.recordFile = options_.recordFile;
        choice.recordOverwrite = options_.recordOverwrite;
        choice.program = "velmorctl";
        choice.version = VELMOR_VERSION;
        choice.recordingWarning = [&output = output_](const std::string& warning) {
            output.Note(warning);
        };
        driver_ = backend::SelectDriver(choice);
        if (!driver_.driver) {
            return output_.Fail(FailureCode(driver_.failure),
                                driver_.error.empty() ? kNoBackendText : driver_.error);
        }
    }
    driver = driver_.driver.get();
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
    const backend::SelectedDriver& selected = owner_ != nullptr ? owner_->driver_ : driver_;
    return selected.noDeviceText ? selected.noDeviceText() : "no devices found";
}

int CtlSession::Connect(controller::CMainOperation*& operation) {
    operation = operation_.get();
    if (operation != nullptr) return kExitOk;
    usb::UsbDriver* driver = nullptr;
    if (const int code = Driver(driver); code != kExitOk) return code;
    const backend::SelectedDriver& selected = owner_ != nullptr ? owner_->driver_ : driver_;
    auto link = std::make_unique<usb::CUsbLink>(*driver, usb::WindowId{0},
                                                usb::kVendorInterfaceClass, false);
    const int count = link->CountDevices();
    if (count == 0 && selected.noDeviceText)
        return output_.Fail(kExitUnavailable, selected.noDeviceText());
    if (options_.device < 0 || options_.device >= count)
        return output_.Fail(kExitUnavailable, "no device " + std::to_string(options_.device) +
                                                  " (" + std::to_string(count) + " found)");
    if (!link->OpenDevice(static_cast<std::uint8_t>(options_.device))) {
        return output_.Fail(kExitUnavailable,
                            selected.openFailureText
                                ? selected.openFailureText()
                                : "cannot open device " + std::to_string(options_.device));
    }
    operation_ = std::make_unique<controller::CMainOperation>();
    operation_->SetBoardType(static_cast<std::uint8_t>(options_.boardType));
    if (selected.simulator != nullptr) {
        selected.simulator->Device(static_cast<std::size_t>(options_.device))
            .Controller()
            .Motors()
            .SetLayout(backend::SimMotionLayoutFor(static_cast<std::uint8_t>(options_.boardType)));
    }
    operation_->SetDevice(std::move(link));
    operation_->historyFile = options_.historyFile;
    operation_->programName = "velmorctl";
    operation_->programVersion = VELMOR_VERSION;
    operation_->deviceOpened = 1;
    operation_->connected = 1;
    operation = operation_.get();
    return kExitOk;
}

void CtlSession::RecordWrite(const history::WriteRecord& what) {
    if (operation_ == nullptr || operation_->historyFile.empty()) return;
    if (owner_ != nullptr) {
        const std::lock_guard lock(owner_->historyMutex_);
        owner_->historyLines_.push_back(history::EntryFor(*operation_, what));
        return;
    }
    if (const std::optional<std::string> failed = history::RecordWrite(*operation_, what))
        output_.Note(*failed);
}

void CtlSession::WriteHistory() {
    const std::lock_guard lock(historyMutex_);
    if (historyLines_.empty()) return;
    std::string error;
    if (!history::HistoryLog(options_.historyFile).AppendAll(historyLines_, error))
        output_.Note(history::NotRecordedText(error));
    historyLines_.clear();
}

int CtlSession::Finish(int code) {
    if (owner_ != nullptr) return code;
    if (driver_.recorder != nullptr) driver_.recorder->Flush();
    if (driver_.replay == nullptr || driver_.replay->Mismatches() == 0) return code;
    output_.Note(driver_.replay->FirstMismatch());
    return kExitIoErr;
}

int CtlSession::KeepState() {
    // A device's session of --device all keeps its own device's state, so that the
    // devices save while others still wait on their transfers; the owner then keeps
    // whatever is left unsaved.
    const CtlSession& root = owner_ != nullptr ? *owner_ : *this;
    sim::SimDriver* sim = root.driver_.simulator;
    if (sim == nullptr) return kExitOk;
    const std::size_t first = owner_ != nullptr ? static_cast<std::size_t>(options_.device) : 0;
    const std::size_t end = owner_ != nullptr ? first + 1 : sim->DeviceCount();
    for (std::size_t i = first; i < end; ++i) {
        sim::SimDevice& device = sim->Device(i);
        if (!device.FlushState())
            return output_.Fail(kExitCantCreate,
                                "the simulated controller's state could not be saved to " +
                                    device.Options().stateFile);
    }
    return kExitOk;
}

}  // namespace velmor::cli
