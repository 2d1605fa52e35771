// What the USB stack itself costs per register exchange: the controller object,
// CUsbLink and its endpoints, the request blocks and the simulated driver, with no
// wire in between. Compare with 125 us, one USB 2.0 microframe: the stack's share
// of a real exchange should be small against it.

#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "usb/usb_link.h"

namespace {

using velmor::controller::CMainOperation;

// Plain registers of the simulated controller, without behaviour hooks.
constexpr std::uint16_t kPlain = 0x6000;

struct Rig {
    explicit Rig(bool asyncCompletion) {
        velmor::sim::SimDeviceOptions options;
        options.asyncCompletion = asyncCompletion;
        driver.AddDevice(options);
        op.SetDevice(std::make_unique<velmor::usb::CUsbLink>(
            driver, velmor::usb::WindowId{0}, velmor::usb::kVendorInterfaceClass, true));
        op.connected = 1;
    }
    velmor::sim::SimDriver driver;
    CMainOperation op;
};

// One bulk exchange carrying one 4-byte write word.
void BM_BulkExchangeWriteWord(benchmark::State& state) {
    Rig rig(state.range(0) != 0);
    std::array<std::uint8_t, 4> word = {0x5A, 0x00, 0x60, 0x80};
    for (auto _ : state) {
        std::int32_t length = 4;
        if (!rig.op.BulkExchange(word.data(), length, 0)) state.SkipWithError("exchange failed");
        benchmark::DoNotOptimize(length);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BulkExchangeWriteWord)->ArgName("async")->Arg(0)->Arg(1);

// WriteRegs of one register: the word is built, sent and the result checked.
void BM_WriteOneRegister(benchmark::State& state) {
    Rig rig(state.range(0) != 0);
    std::uint8_t value = 0;
    for (auto _ : state) {
        ++value;
        if (!rig.op.WriteRegs(kPlain, &value, 1)) state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteOneRegister)->ArgName("async")->Arg(0)->Arg(1);

// ReadRegs of 256 registers: one 4-byte command out, one 1024-byte answer in, and
// the walk over the answer words.
void BM_Read256Registers(benchmark::State& state) {
    Rig rig(state.range(0) != 0);
    std::array<std::uint8_t, 256> out{};
    for (auto _ : state) {
        if (!rig.op.ReadRegs(kPlain, out.data(), 256)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * 256);
    state.SetBytesProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_Read256Registers)->ArgName("async")->Arg(0)->Arg(1);

// WriteRegs of 256 registers: one full 1024-byte chunk.
void BM_Write256Registers(benchmark::State& state) {
    Rig rig(state.range(0) != 0);
    std::array<std::uint8_t, 256> data{};
    for (auto _ : state) {
        ++data[0];
        if (!rig.op.WriteRegs(kPlain, data.data(), 256)) state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_Write256Registers)->ArgName("async")->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
