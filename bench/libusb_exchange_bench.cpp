// One register exchange (a read command on 0x02 and its answer on 0x82) through
// the whole stack over the libusb backend, against the same exchange as two bare
// synchronous libusb bulk transfers, in one run against one controller emulated
// under umockdev. The goal: the stack costs at most 1.10 times the bare calls,
// as it adds no thread hop and no copy a bare caller would not have. The ratio
// is printed at the end.

#include <benchmark/benchmark.h>
#include <libusb.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "controller/main_operation.h"
#include "drivers/libusb/device_id_sources.h"
#include "drivers/libusb/libusb_driver.h"
#include "support/usbfs_mock.h"
#include "usb/usb_link.h"

namespace {

constexpr std::uint16_t kRegister = 0x4001;

// The emulated controller lives for the whole run: libusb enumerates it once.
velmor::testing::UsbfsMock& Mock() {
    static auto* mock = [] {
        auto* m = new velmor::testing::UsbfsMock;
        m->AddDevice().Controller().SetReg(kRegister, 0x5A);
        return m;
    }();
    return *mock;
}

void StackExchange(benchmark::State& state) {
    Mock();
    std::string error;
    auto driver = velmor::libusb::LibusbDriver::Create(velmor::libusb::BuiltInDeviceIds(), error);
    if (!driver) {
        state.SkipWithError(error.c_str());
        return;
    }
    velmor::controller::CMainOperation op;
    op.SetDevice(std::make_unique<velmor::usb::CUsbLink>(*driver, velmor::usb::WindowId{0},
                                                         velmor::usb::kVendorInterfaceClass, true));
    std::uint8_t value = 0;
    for (auto _ : state) {
        if (!op.ReadRegs(kRegister, &value, 1) || value != 0x5A) {
            state.SkipWithError("register read failed");
            break;
        }
    }
    op.SetDevice(nullptr);
}
BENCHMARK(StackExchange)->Name("exchange/stack")->MinTime(2.0);

void BareExchange(benchmark::State& state) {
    Mock();
    libusb_context* context = nullptr;
    if (libusb_init(&context) != 0) {
        state.SkipWithError("libusb_init failed");
        return;
    }
    libusb_device_handle* handle = libusb_open_device_with_vid_pid(context, 0x5A17, 0x00F1);
    if (handle == nullptr || libusb_claim_interface(handle, 0) != 0) {
        state.SkipWithError("cannot open the emulated controller");
        libusb_exit(context);
        return;
    }
    // The read command word: count 1, address 0x4001, tag 0x81.
    unsigned char command[4] = {1, kRegister & 0xFF, kRegister >> 8, 0x81};
    unsigned char answer[4] = {};
    int moved = 0;
    for (auto _ : state) {
        if (libusb_bulk_transfer(handle, 0x02, command, 4, &moved, 1000) != 0 ||
            libusb_bulk_transfer(handle, 0x82, answer, 4, &moved, 1000) != 0 || answer[0] != 0x5A) {
            state.SkipWithError("bare exchange failed");
            break;
        }
    }
    libusb_release_interface(handle, 0);
    libusb_close(handle);
    libusb_exit(context);
}
BENCHMARK(BareExchange)->Name("exchange/bare")->MinTime(2.0);

// Collects the time per exchange of both runs and prints their ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred) seconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto stack = seconds_.find("exchange/stack");
        const auto bare = seconds_.find("exchange/bare");
        if (stack != seconds_.end() && bare != seconds_.end() && bare->second > 0) {
            std::printf("stack / bare per register exchange: %.3f (goal: at most 1.10)\n",
                        stack->second / bare->second);
        }
    }

  private:
    std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
