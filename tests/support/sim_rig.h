#pragma once
// A controller object on a real CUsbLink over the simulated controller, with the
// scripted driver in between: a pass-through unless a test scripts exact answers
// and failures. The simulator's fault knobs are at Faults().

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "support/scripted_driver.h"
#include "usb/usb_link.h"

namespace velmor::testing {

struct SimRig {
    explicit SimRig(const sim::SimDeviceOptions& options = {})
        : device(sim.AddDevice(options)), driver(sim) {
        op.SetDevice(std::make_unique<usb::CUsbLink>(driver, usb::WindowId{0},
                                                     usb::kVendorInterfaceClass, true));
        op.deviceOpened = 1;
        op.connected = 1;
        driver.ClearTransfers();
        device.Controller().ClearWriteLog();
    }

    sim::SimController& Controller() { return device.Controller(); }
    sim::SimFaults& Faults() { return Controller().Faults(); }

    // The data bytes of every out transfer on `endpoint`, one entry per transfer.
    std::vector<std::vector<std::uint8_t>> Sent(std::uint8_t endpoint) const {
        std::vector<std::vector<std::uint8_t>> sent;
        for (const auto& t : driver.Transfers(endpoint)) sent.push_back(t.data);
        return sent;
    }

    // Register writes to [first, last] in order, from the simulator's write log.
    std::vector<std::pair<std::uint16_t, std::uint8_t>> WritesIn(std::uint16_t first,
                                                                 std::uint16_t last) {
        std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
        for (const auto& write : Controller().WriteLog()) {
            if (write.first >= first && write.first <= last) writes.push_back(write);
        }
        return writes;
    }

    sim::SimDriver sim;
    sim::SimDevice& device;
    ScriptedDriver driver;
    controller::CMainOperation op;  // last: its device goes before the drivers
};

// Answer words [data, address low, address high, tag] for consecutive registers.
inline std::vector<std::uint8_t> AnswerWords(std::uint32_t start,
                                             const std::vector<std::uint8_t>& data,
                                             std::uint8_t tag = 0x81) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint32_t a = start + static_cast<std::uint32_t>(i);
        bytes.insert(bytes.end(), {data[i], static_cast<std::uint8_t>(a),
                                   static_cast<std::uint8_t>(a >> 8), tag});
    }
    return bytes;
}

}  // namespace velmor::testing
