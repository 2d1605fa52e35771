// What recording costs: the stack's time per register exchange with and without
// the recording driver in between (same run, same simulated controller), and the
// size a recording grows by while a movement page is left open: the status thread
// polling every motor every 100 ms, run for real for some seconds and projected to
// ten minutes.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "controller/main_operation.h"
#include "drivers/replay/recording_driver.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_motors.h"
#include "motion/motor_tester.h"
#include "usb/usb_link.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::unique_ptr<velmor::replay::RecordingDriver> Recording(velmor::usb::UsbDriver& inner,
                                                          const fs::path& file) {
    std::string error;
    auto writer = velmor::replay::TrafficWriter::Create(file.string(), true, {}, error);
    if (!writer) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    return std::make_unique<velmor::replay::RecordingDriver>(
        inner, std::move(writer), velmor::replay::RecordingHeader{"bench", "1", "sim", {}});
}

void Connect(velmor::controller::CMainOperation& op, velmor::usb::UsbDriver& driver) {
    op.SetDevice(std::make_unique<velmor::usb::CUsbLink>(
        driver, velmor::usb::WindowId{0}, velmor::usb::kVendorInterfaceClass, true));
    op.connected = 1;
    op.firstConnection = 1;
}

// Median microseconds of one ReadRegs of 4 registers, over `rounds` rounds of 500.
double ExchangeMicros(velmor::usb::UsbDriver& driver, int rounds) {
    velmor::controller::CMainOperation op;
    Connect(op, driver);
    std::vector<double> us;
    std::uint8_t bytes[4];
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        for (int i = 0; i < 500; ++i) {
            if (!op.ReadRegs(0x6000, bytes, 4)) {
                std::fprintf(stderr, "a register read failed\n");
                std::exit(1);
            }
        }
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / 500);
    }
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

}  // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / "velmor-recording-bench";
    fs::create_directories(dir);

    // Interleaved rounds, so that a busy machine slows both alike.
    velmor::sim::SimDriver plain;
    plain.AddDevice();
    velmor::sim::SimDriver under;
    under.AddDevice();
    auto recorder = Recording(under, dir / "exchanges.jsonl");
    double without = 0, with = 0;
    for (int round = 0; round < 5; ++round) {
        without += ExchangeMicros(plain, 7) / 5;
        with += ExchangeMicros(*recorder, 7) / 5;
    }
    recorder.reset();
    std::printf("register exchange (read of 4 registers): %.2f us plain, %.2f us recorded, "
                "%.2f us for the recording (%.2fx)\n",
                without, with, with - without, with / without);

    // A movement page left open: the status thread with every motor ticked.
    const std::chrono::seconds span(20);
    velmor::sim::SimDriver sim;
    sim.AddDevice().Controller().Motors().SetLayout(velmor::sim::SimMotionLayout::kMainBoard);
    const fs::path file = dir / "status.jsonl";
    auto recording = Recording(sim, file);
    {
        velmor::controller::CMainOperation op;
        Connect(op, *recording);
        op.SetBoardType(0);
        velmor::motion::MotorTester tester(op, velmor::controller::BoardLayout::kMainBoard);
        velmor::motion::TestMoveInputs in;
        in.ticked.fill(true);
        in.y0Ticked = true;
        in.y1Ticked = true;
        tester.UpdateInputs(in);
        tester.StartStatusThread();
        std::this_thread::sleep_for(span);
        tester.StopStatusThread();
    }
    recording.reset();
    const double bytes = static_cast<double>(fs::file_size(file));
    std::printf("open movement page, every motor ticked: %.0f bytes in %lld s, %.1f kB/s; "
                "ten minutes: %.1f MB (the limit: 50 MB)\n",
                bytes, static_cast<long long>(span.count()), bytes / span.count() / 1000,
                bytes / span.count() * 600 / 1e6);
    fs::remove_all(dir);
    return 0;
}
