#pragma once
// A controller object on a simulated controller through the real USB layer, and
// a timer service the tests tick by hand. Shared by the register page's model
// and view tests.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "ui/timer_service.h"
#include "usb/usb_link.h"

namespace velmor::testing {

class SimRig {
  public:
    SimRig() : device_(driver_.AddDevice()) {
        op.SetDevice(std::make_unique<usb::CUsbLink>(driver_, 0, usb::kVendorInterfaceClass, true));
        op.deviceOpened = 1;
        op.connected = 1;
    }

    sim::SimController& Controller() { return device_.Controller(); }
    sim::SimFaults& Faults() { return Controller().Faults(); }

    // Register writes to [first, last] in order, from the simulator's write log.
    std::vector<std::pair<std::uint16_t, std::uint8_t>> WritesIn(std::uint16_t first,
                                                                 std::uint16_t last) {
        std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
        for (const auto& write : Controller().WriteLog()) {
            if (write.first >= first && write.first <= last) writes.push_back(write);
        }
        return writes;
    }

  private:
    sim::SimDriver driver_;
    sim::SimDevice& device_;

  public:
    // Declared after the driver so it lets go of the device first.
    controller::CMainOperation op;
};

// Timers that only record what the model asked for; tests call OnTimer themselves.
class FakeTimers : public ui::TimerService {
  public:
    void StartTimer(int id, int periodMs) override { starts.emplace_back(id, periodMs); }
    void StopTimer(int id) override { stops.push_back(id); }

    std::vector<std::pair<int, int>> starts;
    std::vector<int> stops;
};

// The dump lines of `bytes` from `start` as the log shows them, computed here
// independently of the controller's formatter.
inline std::string ExpectedDump(const std::vector<std::uint8_t>& bytes, std::uint32_t start,
                                int width) {
    std::string text;
    char header[48];
    for (std::size_t line = 0; line * 16 < bytes.size(); ++line) {
        const std::uint32_t first = start + static_cast<std::uint32_t>(line * 16);
        std::snprintf(header, sizeof header, "[%0*X-%0*X]: ", width, first, width, first + 15);
        text += header;
        for (std::size_t i = line * 16; i < bytes.size() && i < line * 16 + 16; ++i) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "%02X ", bytes[i]);
            text += byte;
            if ((i + 1) % 4 == 0 && (i + 1) % 16 != 0) text += "- ";
        }
        if (bytes.size() > 16 && (line + 1) * 16 <= bytes.size()) text += "\r\n";
    }
    return text;
}

}  // namespace velmor::testing
