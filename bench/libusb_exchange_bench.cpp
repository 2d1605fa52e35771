// One register exchange (a read command on 0x02 and its answer on 0x82) through
// the whole stack over the libusb backend, against the same exchange as two bare
// synchronous libusb bulk transfers, against one controller emulated under
// umockdev. The goal: the stack costs at most 1.10 times the bare calls, as it
// adds no thread hop and no copy a bare caller would not have.
//
// The two take turns within one loop, so both see the same load on a busy
// machine; the counters give each side's mean wall time, their ratio, the ratio
// of the calling thread's CPU time, and the usbfs ioctls per exchange of each.

#include <benchmark/benchmark.h>
#include <libusb.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>

#include "controller/main_operation.h"
#include "drivers/libusb/device_id_sources.h"
#include "drivers/libusb/libusb_driver.h"
#include "support/usbfs_mock.h"
#include "usb/usb_link.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint16_t kRegister = 0x4001;

// CPU time of the calling thread: what the stack itself costs, whatever the
// emulation's thread and the machine's load add to the wall time.
double ThreadCpuMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// The bare caller: its own libusb context on the same emulated controller.
class BareCaller {
  public:
    BareCaller() {
        if (libusb_init(&context_) != 0) return;
        handle_ = libusb_open_device_with_vid_pid(context_, 0x5A17, 0x00F1);
        if (handle_ != nullptr && libusb_claim_interface(handle_, 0) != 0) {
            libusb_close(handle_);
            handle_ = nullptr;
        }
    }
    ~BareCaller() {
        if (handle_ != nullptr) {
            libusb_release_interface(handle_, 0);
            libusb_close(handle_);
        }
        if (context_ != nullptr) libusb_exit(context_);
    }
    bool Ready() const { return handle_ != nullptr; }

    // The read command word (count 1, address, tag 0x81), then the answer word.
    bool Exchange(std::uint8_t& value) {
        unsigned char command[4] = {1, kRegister & 0xFF, kRegister >> 8, 0x81};
        unsigned char answer[4] = {};
        int moved = 0;
        if (libusb_bulk_transfer(handle_, 0x02, command, 4, &moved, 1000) != 0 ||
            libusb_bulk_transfer(handle_, 0x82, answer, 4, &moved, 1000) != 0 || moved != 4) {
            return false;
        }
        value = answer[0];
        return true;
    }

  private:
    libusb_context* context_ = nullptr;
    libusb_device_handle* handle_ = nullptr;
};

void StackAgainstBare(benchmark::State& state) {
    velmor::testing::UsbfsMock mock;  // before libusb starts: it enumerates once
    mock.AddDevice().Controller().SetReg(kRegister, 0x5A);
    std::string error;
    auto driver = velmor::libusb::LibusbDriver::Create(velmor::libusb::BuiltInDeviceIds(), error);
    BareCaller bare;
    if (!driver || !bare.Ready()) {
        state.SkipWithError(driver ? "the bare caller cannot open the controller" : error.c_str());
        return;
    }
    velmor::controller::CMainOperation op;
    op.SetDevice(std::make_unique<velmor::usb::CUsbLink>(*driver, velmor::usb::WindowId{0},
                                                         velmor::usb::kVendorInterfaceClass, true));

    Clock::duration stackTime{};
    Clock::duration bareTime{};
    double stackCpu = 0;
    double bareCpu = 0;
    std::size_t stackIoctls = 0;
    std::size_t bareIoctls = 0;
    std::uint8_t value = 0;
    bool stackFirst = true;
    const auto timeStack = [&] {
        const std::size_t ioctls = mock.Requests(0);
        const double cpu = ThreadCpuMicroseconds();
        const auto start = Clock::now();
        const bool ok = op.ReadRegs(kRegister, &value, 1) && value == 0x5A;
        stackTime += Clock::now() - start;
        stackCpu += ThreadCpuMicroseconds() - cpu;
        stackIoctls += mock.Requests(0) - ioctls;
        return ok;
    };
    const auto timeBare = [&] {
        const std::size_t ioctls = mock.Requests(0);
        const double cpu = ThreadCpuMicroseconds();
        const auto start = Clock::now();
        const bool ok = bare.Exchange(value) && value == 0x5A;
        bareTime += Clock::now() - start;
        bareCpu += ThreadCpuMicroseconds() - cpu;
        bareIoctls += mock.Requests(0) - ioctls;
        return ok;
    };
    for (auto _ : state) {
        const bool ok = stackFirst ? timeStack() && timeBare() : timeBare() && timeStack();
        stackFirst = !stackFirst;
        if (!ok) {
            state.SkipWithError("a register exchange failed");
            break;
        }
    }
    const auto n = static_cast<double>(state.iterations());
    const double stackUs = std::chrono::duration<double, std::micro>(stackTime).count() / n;
    const double bareUs = std::chrono::duration<double, std::micro>(bareTime).count() / n;
    state.counters["stack_us"] = stackUs;
    state.counters["bare_us"] = bareUs;
    state.counters["ratio"] = bareUs > 0 ? stackUs / bareUs : 0;
    state.counters["cpu_ratio"] = bareCpu > 0 ? stackCpu / bareCpu : 0;
    state.counters["stack_ioctls"] = static_cast<double>(stackIoctls) / n;
    state.counters["bare_ioctls"] = static_cast<double>(bareIoctls) / n;
    op.SetDevice(nullptr);
}
BENCHMARK(StackAgainstBare)
    ->Name("register_exchange/stack_vs_bare")
    ->Iterations(2000)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
