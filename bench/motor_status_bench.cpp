// What the motor status display costs: one RefreshMotorStatus with every motor
// ticked against the simulated controller (bulk transfers, register reads and
// wall time), and the CPU time a status thread takes per second while the
// motors stand still. The goal: one exchange (a read command and its answer)
// per status register, and well under 1 % of one core for a page left open.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <thread>

#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_motors.h"
#include "motion/motor_tester.h"
#include "usb/ioctl_codes.h"
#include "usb/usb_link.h"

namespace {

using velmor::motion::MotorTester;
using velmor::motion::TestMoveInputs;

struct Rig {
    explicit Rig(std::uint8_t boardType) {
        driver.AddDevice().Controller().Motors().SetLayout(
            boardType == 0 ? velmor::sim::SimMotionLayout::kMainBoard
                           : velmor::sim::SimMotionLayout::kFiber);
        op.SetDevice(std::make_unique<velmor::usb::CUsbLink>(
            driver, velmor::usb::WindowId{0}, velmor::usb::kVendorInterfaceClass, true));
        op.connected = 1;
        op.firstConnection = 1;
        op.SetBoardType(boardType);
    }
    velmor::sim::SimDriver driver;
    velmor::controller::CMainOperation op;
};

TestMoveInputs AllTicked() {
    TestMoveInputs in;
    in.ticked.fill(true);
    in.y0Ticked = true;
    in.y1Ticked = true;
    return in;
}

// Bulk transfers (each exchange is a command out and an answer in) per refresh.
std::size_t BulkTransfersPerRefresh(std::uint8_t boardType) {
    Rig rig(boardType);
    MotorTester tester(rig.op, velmor::controller::LayoutOf(boardType));
    tester.UpdateInputs(AllTicked());
    rig.driver.ClearRequests();
    tester.RefreshMotorStatus();
    std::size_t bulk = 0;
    for (const auto& request : rig.driver.Requests())
        if (request.code == velmor::usb::ioctl::kSendBufferedTransfer ||
            request.code == velmor::usb::ioctl::kDirectTransfer)
            ++bulk;
    return bulk;
}

void BM_RefreshMotorStatusAllTicked(benchmark::State& state) {
    const auto boardType = static_cast<std::uint8_t>(state.range(0));
    Rig rig(boardType);
    MotorTester tester(rig.op, velmor::controller::LayoutOf(boardType));
    tester.UpdateInputs(AllTicked());
    for (auto _ : state) tester.RefreshMotorStatus();
    const std::size_t bulk = BulkTransfersPerRefresh(boardType);
    state.counters["bulk_transfers"] = static_cast<double>(bulk);
    state.counters["exchanges"] = static_cast<double>(bulk) / 2;
    // Main-board page: X, Y0, Y1, Z, M0, M1; fiber page: X, Y, Z, M0, M1.
    state.counters["status_registers"] = boardType == 0 ? 6 : 5;
}
BENCHMARK(BM_RefreshMotorStatusAllTicked)->ArgName("board_type")->Arg(0)->Arg(1)->Arg(2);

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The status thread running for real (100 ms period) with every motor ticked
// and idle; nothing else in the process works meanwhile.
void IdleStatusThreadCpu(std::uint8_t boardType, std::chrono::seconds span) {
    Rig rig(boardType);
    MotorTester tester(rig.op, velmor::controller::LayoutOf(boardType));
    tester.UpdateInputs(AllTicked());
    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    tester.StartStatusThread();
    std::this_thread::sleep_for(span);
    tester.StopStatusThread();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    std::printf(
        "idle status thread, board type %d, all motors ticked: %.3f ms CPU per second "
        "(%.4f %% of one core) over %.1f s\n",
        boardType, cpu / wall * 1000.0, cpu / wall * 100.0, wall);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (std::uint8_t type : {0, 2}) IdleStatusThreadCpu(type, std::chrono::seconds(5));
    return 0;
}
