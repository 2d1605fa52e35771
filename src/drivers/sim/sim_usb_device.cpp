#include "drivers/sim/sim_usb_device.h"

#include <algorithm>

namespace velmor::sim {

namespace {

constexpr std::uint8_t kTypeStandard = 0;
constexpr std::uint8_t kTypeVendor = 2;

constexpr std::uint8_t kGetStatus = 0;
constexpr std::uint8_t kGetDescriptor = 6;
constexpr std::uint8_t kGetConfiguration = 8;
constexpr std::uint8_t kSetConfiguration = 9;
constexpr std::uint8_t kGetInterface = 10;
constexpr std::uint8_t kSetInterface = 11;

SimOutcome Answer(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> room) {
    const std::size_t n = std::min(bytes.size(), room.size());
    std::copy_n(bytes.begin(), n, room.begin());
    return SimOutcome::Moved(n);
}

}  // namespace

SimUsbDevice::SimUsbDevice(const SimDeviceOptions& options, std::size_t index,
                           SimSaveThread& saveThread, std::function<void(SimUsbDevice&)> onUnplug)
    : options_(options),
      index_(index),
      descriptors_(options, index),
      saveThread_(saveThread),
      onUnplug_(std::move(onUnplug)) {}

void SimUsbDevice::LoadState() {
    std::call_once(loadOnce_, [this] {
        model_ = std::make_unique<SimControllerModel>(options_.flashBusyReads);
        if (!options_.stateFile.empty()) {
            const std::vector<std::uint8_t> bytes = SimStateFile::ReadBytes(options_.stateFile);
            if (const auto state = SimStateFile::Check(bytes)) model_->Restore(*state);
            saver_ = std::make_unique<SimStateSaver>(
                options_.stateFile, [this] { return model_->EncodedState(); }, saveThread_);
            model_->SetChangeListener([saver = saver_.get()] { saver->MarkDirty(); });
        }
        loaded_ = true;
    });
}

SimUsbDevice::~SimUsbDevice() {
    // The saver's last flush reads the model, which outlives it (declared before).
    if (model_) model_->SetChangeListener({});
    saver_.reset();
}

void SimUsbDevice::Unplug() {
    if (!plugged_.exchange(false)) return;
    ++generation_;
    if (onUnplug_) onUnplug_(*this);
}

void SimUsbDevice::Replug() { plugged_ = true; }

std::string SimUsbDevice::Path() const { return "sim:" + std::to_string(index_); }

bool SimUsbDevice::FlushState() {
    // A device never used has nothing to save; loading it here would only cost time.
    if (!loaded_) return true;
    return saver_ ? saver_->Flush() : true;
}

SimOutcome SimUsbDevice::Transfer(const SimTransfer& transfer, std::span<std::uint8_t> data) {
    LoadState();
    if (transfer.kind != SimTransferKind::Control) {
        const SimOutcome outcome = transfer.in ? model_->BulkIn(data) : model_->BulkOut(data);
        // A flash fault may pull the cable mid-transfer; unplug outside the model's lock.
        if (model_->TakeUnplugRequest()) Unplug();
        return outcome;
    }
    const usb::XferRequest& setup = transfer.header;
    switch ((setup.bmRequestType >> 5) & 3) {
        case kTypeStandard:
            return StandardRequest(setup, data);
        case kTypeVendor:
            return model_->VendorRequest(setup, data);
        default:
            return SimOutcome::Failed(status::kUsbdStall);
    }
}

SimOutcome SimUsbDevice::StandardRequest(const usb::XferRequest& setup,
                                         std::span<std::uint8_t> data) {
    const std::uint8_t kind = setup.bmRequestType;
    switch (setup.bRequest) {
        case kGetDescriptor:
            if (kind == 0x80) {
                const auto d = descriptors_.Get(static_cast<std::uint8_t>(setup.wValue >> 8),
                                                static_cast<std::uint8_t>(setup.wValue));
                if (d) return Answer(*d, data);  // at most wLength bytes, as a device does
            }
            break;
        case kGetStatus:
            if ((kind & 0x80) != 0) {
                const std::uint8_t status[2] = {0, 0};
                return Answer(status, data);
            }
            break;
        case kGetConfiguration:
            if (kind == 0x80) {
                const std::uint8_t value[1] = {1};
                return Answer(value, data);
            }
            break;
        case kSetConfiguration:
            if (kind == 0x00 && setup.wValue <= 1) return SimOutcome::Moved(0);
            break;
        case kGetInterface:
            if (kind == 0x81) {
                const std::uint8_t value[1] = {setup.wIndex == 0 ? options_.altSetting
                                                                 : std::uint8_t{0}};
                return Answer(value, data);
            }
            break;
        case kSetInterface:
            if (kind == 0x01) return SimOutcome::Moved(0);
            break;
        default:
            break;
    }
    return SimOutcome::Failed(status::kUsbdStall);
}

}  // namespace velmor::sim
