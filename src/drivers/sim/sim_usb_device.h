#pragma once
// The USB face of one simulated controller: its descriptors and standard
// requests, the routing of vendor requests and bulk transfers to the controller
// model, its plug state, and the state file that keeps it between runs.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "drivers/sim/sim_controller_model.h"
#include "drivers/sim/sim_descriptors.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_state_saver.h"
#include "drivers/sim/sim_transfer.h"

namespace velmor::sim {

class SimUsbDevice final : public SimDevice {
  public:
    // `onUnplug` runs after the device has gone, so the driver can end the
    // requests still pending on it. `saveThread`, which outlives the device, saves
    // its state in the background.
    SimUsbDevice(const SimDeviceOptions& options, std::size_t index, SimSaveThread& saveThread,
                 std::function<void(SimUsbDevice&)> onUnplug);
    ~SimUsbDevice() override;

    // ---- SimDevice ----
    SimController& Controller() override { return Model(); }
    const SimDeviceOptions& Options() const override { return options_; }
    void Unplug() override;
    void Replug() override;
    bool Plugged() const override { return plugged_.load(); }
    std::string Path() const override;
    bool FlushState() override;

    // Changes on every unplug: handles opened before it are stale.
    std::uint64_t Generation() const { return generation_.load(); }
    std::size_t Index() const { return index_; }
    SimControllerModel& Model() {
        LoadState();
        return *model_;
    }
    const SimDescriptors& Descriptors() const { return descriptors_; }

    // Makes the controller, reads the state file into it and starts saving changes
    // to it, once. It happens on the device's first use rather than when it is
    // added, so a line of simulated controllers is made side by side, each on the
    // thread that first talks to it.
    void LoadState();

    // Carries out a parsed transfer; `data` is its data stage (sent bytes or room).
    SimOutcome Transfer(const SimTransfer& transfer, std::span<std::uint8_t> data);

  private:
    SimOutcome StandardRequest(const usb::XferRequest& setup, std::span<std::uint8_t> data);

    SimDeviceOptions options_;
    std::size_t index_;
    std::unique_ptr<SimControllerModel> model_;  // made by LoadState
    SimDescriptors descriptors_;
    SimSaveThread& saveThread_;
    std::function<void(SimUsbDevice&)> onUnplug_;
    std::atomic<bool> plugged_{true};
    std::atomic<std::uint64_t> generation_{0};
    std::once_flag loadOnce_;
    std::atomic<bool> loaded_{false};
    std::unique_ptr<SimStateSaver> saver_;
};

}  // namespace velmor::sim
