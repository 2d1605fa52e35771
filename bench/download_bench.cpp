// The configuration download on the simulated controller: bulk transfers and
// bytes moved for one download with its verify, against the least the register
// protocol allows for a 4096-byte image, and the time a real link would take at a
// fixed 125 us per transfer.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "config/image_download.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_transfer.h"
#include "registers/flash_reg.h"
#include "usb/ioctl_codes.h"
#include "usb/usb_link.h"

namespace {

using namespace velmor;

constexpr double kLatencyUs = 125.0;

// Forwards to the simulated driver and counts the bulk transfers and their data bytes.
class CountingDriver : public usb::UsbDriver {
  public:
    explicit CountingDriver(usb::UsbDriver& inner) : inner_(inner) {}

    std::vector<std::string> EnumerateInterfaces(const usb::Guid& guid) override {
        return inner_.EnumerateInterfaces(guid);
    }
    usb::DriverHandle Open(const std::string& path, std::uint32_t& lastError) override {
        return inner_.Open(path, lastError);
    }
    std::uint32_t Close(usb::DriverHandle handle) override { return inner_.Close(handle); }
    std::uint32_t IoControl(usb::DriverHandle handle, std::uint32_t code,
                            std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                            std::uint32_t& bytesReturned, usb::Overlapped* overlapped) override {
        const auto transfer = sim::SimTransfer::Parse(code, input, output);
        const std::uint32_t error =
            inner_.IoControl(handle, code, input, output, bytesReturned, overlapped);
        if (transfer && transfer->kind != sim::SimTransferKind::Control) {
            ++transfers;
            if (!transfer->in) {
                bytes += transfer->dataLength;
            } else if (error == usb::error::kSuccess) {
                bytes += transfer->kind == sim::SimTransferKind::Direct
                             ? bytesReturned
                             : bytesReturned - transfer->dataOffset;
            }
        }
        return error;
    }

    std::uint64_t transfers = 0;
    std::uint64_t bytes = 0;

  private:
    usb::UsbDriver& inner_;
};

// The least traffic of a download and its verify, from the protocol's rules: a
// register word is 4 bytes, at most 256 words go in one bulk transfer, a read
// of up to 256 registers is one 4-byte command and one answer of 4 bytes per
// register, and one flash transfer moves at most 4096 bytes through the window
// after one ready status read, with its address, length and command (6 words,
// in that order) sent after the data.
struct Minimum {
    std::uint64_t transfers = 0;
    std::uint64_t bytes = 0;
};

Minimum ProtocolMinimum() {
    constexpr std::uint64_t word = 4;
    constexpr std::uint64_t perTransfer = 256;
    constexpr std::uint64_t image = config::kImageSize;
    constexpr std::uint64_t dataTransfers = (image + perTransfer - 1) / perTransfer;
    Minimum m;
    // The control byte 0x51: one word.
    m.transfers += 1;
    m.bytes += word;
    // Write: ready status (command and one-word answer), data, address/length/command.
    m.transfers += 2 + dataTransfers + 1;
    m.bytes += 2 * word + image * word + 6 * word;
    // Verify: ready status, address/length/command, then per 256 registers a read
    // command and its answer.
    m.transfers += 2 + 1 + 2 * dataTransfers;
    m.bytes += 2 * word + 6 * word + dataTransfers * word + image * word;
    return m;
}

struct Rig {
    explicit Rig(std::uint32_t busyReads) : counting(sim) {
        sim::SimDeviceOptions options;
        options.flashBusyReads = busyReads;
        sim.AddDevice(options);
        op.SetDevice(std::make_unique<usb::CUsbLink>(counting, usb::WindowId{0},
                                                     usb::kVendorInterfaceClass, true));
        op.connected = 1;
        op.SetBoardType(1);
    }
    sim::SimDriver sim;
    CountingDriver counting;
    controller::CMainOperation op;
};

config::StartImage SampleImage(int& records) {
    std::vector<controller::CMD_INFO> list;
    for (int i = 0; i < 600; ++i)
        list.push_back({"InitDone", "r", "RegWrite", static_cast<std::uint16_t>(0x4010 + i % 64),
                        static_cast<std::uint8_t>(i)});
    const config::ImageBuild build = config::BuildStartImage(list, {"InitDone"});
    records = build.records;
    return build.image;
}

void BM_DownloadAndVerify(benchmark::State& state) {
    Rig rig(static_cast<std::uint32_t>(state.range(0)));
    registers::CFlashReg flash(rig.op);
    config::CImageDownload download(rig.op, flash);
    int records = 0;
    const config::StartImage image = SampleImage(records);
    std::uint64_t downloads = 0;
    for (auto _ : state) {
        if (!download.Download(image, records).Success()) state.SkipWithError("download failed");
        ++downloads;
    }
    const Minimum minimum = ProtocolMinimum();
    const double transfers = static_cast<double>(rig.counting.transfers) / downloads;
    state.counters["transfers"] = transfers;
    state.counters["bytes"] = static_cast<double>(rig.counting.bytes) / downloads;
    state.counters["min_transfers"] = static_cast<double>(minimum.transfers);
    state.counters["ratio"] = transfers / static_cast<double>(minimum.transfers);
    state.counters["ms_at_125us"] = transfers * kLatencyUs / 1000.0;
    state.SetBytesProcessed(static_cast<std::int64_t>(downloads * config::kImageSize));
}
BENCHMARK(BM_DownloadAndVerify)
    ->ArgName("busy_reads")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// One download with the simulator's default busy status, in plain figures.
void PrintFigures() {
    Rig rig(1);
    registers::CFlashReg flash(rig.op);
    config::CImageDownload download(rig.op, flash);
    int records = 0;
    const config::StartImage image = SampleImage(records);
    const auto start = std::chrono::steady_clock::now();
    const bool ok = download.Download(image, records).Success();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const Minimum minimum = ProtocolMinimum();
    std::printf("download + verify of a %zu-byte image on the simulator (%s)\n", config::kImageSize,
                ok ? "verified" : "FAILED");
    std::printf(
        "  bulk transfers   %8llu   protocol minimum %8llu   ratio %.2f\n",
        static_cast<unsigned long long>(rig.counting.transfers),
        static_cast<unsigned long long>(minimum.transfers),
        static_cast<double>(rig.counting.transfers) / static_cast<double>(minimum.transfers));
    std::printf("  bytes moved      %8llu   protocol minimum %8llu   ratio %.2f\n",
                static_cast<unsigned long long>(rig.counting.bytes),
                static_cast<unsigned long long>(minimum.bytes),
                static_cast<double>(rig.counting.bytes) / static_cast<double>(minimum.bytes));
    std::printf(
        "  time on the simulator %.3f ms; at %.0f us per transfer %.2f ms (minimum %.2f ms)\n", ms,
        kLatencyUs, static_cast<double>(rig.counting.transfers) * kLatencyUs / 1000.0,
        static_cast<double>(minimum.transfers) * kLatencyUs / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
    PrintFigures();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
