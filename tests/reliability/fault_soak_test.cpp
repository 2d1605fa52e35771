// A seeded fault soak: for a bounded time, status polling on one thread, register and
// flash traffic on a second and downloads with verification on a third all run against
// one simulated controller, while the main thread switches its faults on and off at
// random (wrong tags and addresses, short and empty answers, failed transfers, time-outs,
// bit flips, lost and partial flash writes, stale reads, a busy flash, unplug and replug).
//
// What must hold whatever the faults do:
// - a read that reports success returns exactly what the registers hold (no answer of
//   another thread or of an earlier read is ever taken for it);
// - no download is reported as verified unless the simulated flash holds the image;
// - every operation ends within its time-outs (a watchdog calls a hang);
// - once the faults stop, every kind of operation succeeds again.
//
// VELMOR_SOAK_SECONDS sets the time (20 by default) and VELMOR_SOAK_SEED the seed; the
// seed is printed, so a failing run can be repeated with the same fault schedule.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "config/image_download.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "registers/flash_reg.h"
#include "usb/usb_link.h"

namespace velmor {
namespace {

using Clock = std::chrono::steady_clock;

// Registers the status thread polls: set once, never written by the host.
constexpr std::uint16_t kStatusBlock = 0x7000;
constexpr int kStatusCount = 64;
// Registers the traffic thread writes and reads back: more than one chunk's worth.
constexpr std::uint16_t kTrafficBlock = 0x6000;
constexpr int kTrafficMax = 600;
// Flash the traffic thread uses, away from the start-up image.
constexpr std::uint32_t kTrafficFlash = 0x100000;
// No operation may take longer, however the faults strike: each transfer gives up
// after 1 s and 3 tries, and the fault schedule arms at most one time-out at a time.
constexpr auto kOperationLimit = std::chrono::seconds(60);
constexpr auto kTimeoutSpacing = std::chrono::milliseconds(3500);

std::uint8_t StatusValue(int i) { return static_cast<std::uint8_t>(i * 37 + 11); }

long long EnvNumber(const char* name, long long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    return std::strtoll(text, nullptr, 10);
}

// What a worker thread is doing, for the watchdog.
struct Worker {
    explicit Worker(const char* n) : name(n) {}
    const char* name;
    std::atomic<long long> startedNs{0};  // 0 while between operations
    std::atomic<long long> operations{0};

    void Begin() { startedNs = Clock::now().time_since_epoch().count(); }
    void End() {
        startedNs = 0;
        ++operations;
    }
};

class FaultSoak {
  public:
    explicit FaultSoak(std::uint32_t seed)
        : seed_(seed), device_(sim_.AddDevice(Options(seed))), flash_(op_), download_(op_, flash_) {
        for (int i = 0; i < kStatusCount; ++i)
            device_.Controller().SetReg(static_cast<std::uint16_t>(kStatusBlock + i),
                                        StatusValue(i));
        Reconnect();
        op_.connected = 1;
    }

    // Runs the storm for `duration`, then checks the link works again without faults.
    void Run(std::chrono::seconds duration) {
        std::thread watchdog([this] { Watch(); });
        std::thread status([this] { StatusLoop(); });
        std::thread traffic([this] { TrafficLoop(); });
        std::thread downloads([this] { DownloadLoop(); });

        std::mt19937 rng(seed_);
        const auto end = Clock::now() + duration;
        while (Clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5 + rng() % 40));
            SwitchFaults(rng);
        }
        device_.Controller().ChangeFaults([](sim::SimFaults& f, sim::SimFlashFaults& ff) {
            f = {};
            ff = {};
        });
        if (!device_.Plugged()) device_.Replug();
        Reconnect();
        stop_ = true;
        status.join();
        traffic.join();
        downloads.join();
        watchdogDone_ = true;
        watchdog.join();
        AfterTheStorm();
    }

    void Report() const {
        std::printf(
            "fault soak, seed %u: %lld status reads, %lld traffic operations, %lld downloads "
            "(%d verified, %d of them fooled by lying reads), %d fault switches, %d unplugs\n",
            seed_, workers_[0].operations.load(), workers_[1].operations.load(),
            workers_[2].operations.load(), verified_.load(), fooled_.load(), switches_, unplugs_);
    }

  private:
    static sim::SimDeviceOptions Options(std::uint32_t seed) {
        sim::SimDeviceOptions options;
        // Half the runs complete transfers from the driver's own thread, as real drivers do.
        options.asyncCompletion = (seed & 1) != 0;
        return options;
    }

    void Fail(const std::string& what) {
        std::lock_guard lock(failMutex_);
        ADD_FAILURE() << what << " (seed " << seed_ << "; repeat with VELMOR_SOAK_SEED=" << seed_
                      << ")";
    }

    void Reconnect() {
        op_.SetDevice(std::make_unique<usb::CUsbLink>(sim_, usb::WindowId{0},
                                                      usb::kVendorInterfaceClass, true));
        op_.deviceOpened = 1;
    }

    // A hang cannot be recovered from: say which operation and which seed, then stop.
    void Watch() {
        while (!watchdogDone_) {
            const long long now = Clock::now().time_since_epoch().count();
            for (const Worker& w : workers_) {
                const long long started = w.startedNs.load();
                if (started != 0 && std::chrono::nanoseconds(now - started) > kOperationLimit) {
                    std::fprintf(stderr,
                                 "fault soak: a %s operation has not ended after %lld s; "
                                 "repeat with VELMOR_SOAK_SEED=%u\n",
                                 w.name, static_cast<long long>(kOperationLimit.count()), seed_);
                    std::fflush(stderr);
                    std::abort();
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    void SwitchFaults(std::mt19937& rng) {
        ++switches_;
        const auto chance = [&rng](unsigned percent) { return rng() % 100 < percent; };
        if (!device_.Plugged() || chance(2)) {
            // Unplugged by a flash fault or now: the device comes back, and the program
            // opens it again as the main window's connection check would.
            device_.Unplug();
            ++unplugs_;
            std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 20));
            device_.Replug();
            Reconnect();
            return;
        }
        const std::uint32_t draw = rng();
        device_.Controller().ChangeFaults([&](sim::SimFaults& f, sim::SimFlashFaults& ff) {
            f = {};
            ff = {};
            ff.seed = draw;
            // Mostly quiet, so that operations also get through; a storm now and then.
            if (!chance(60)) return;
            const auto count = [&rng] { return static_cast<int>(1 + rng() % 3); };
            if (chance(30)) f.wrongTagAnswers = count();
            if (chance(30)) f.wrongAddressAnswers = count();
            if (chance(30)) f.shortAnswers = count();
            if (chance(20)) f.emptyAnswers = count();
            if (chance(20)) f.zeroByteWrites = count();
            if (chance(20)) f.failTransfers = count();
            // One time-out at a time, seconds apart: a transfer that hangs holds up
            // every thread for its full second, and a read after a lost answer gets
            // three tries to take that answer in.
            if (chance(5) && Clock::now() - lastTimeout_ > kTimeoutSpacing) {
                f.timeoutTransfers = 1;
                lastTimeout_ = Clock::now();
            }
            if (chance(20)) f.busyStatusReads = static_cast<std::uint32_t>(rng() % 50);
            f.faultWordIndex = rng() % 300;
            if (chance(20)) ff.flipWrites = count();
            if (chance(20)) ff.flipReads = count();
            if (chance(15)) ff.lostWrites = count();
            if (chance(15)) ff.partialWrites = count();
            ff.partialWriteBytes = rng() % 4096;
            if (chance(15)) ff.staleReads = count();
            if (chance(5)) ff.stuckBusy = true;
            if (chance(3)) ff.unplugAfterWindowWrites = static_cast<int>(rng() % 5000);
        });
    }

    // Status polling: a block nobody writes must read back exactly, or fail.
    void StatusLoop() {
        Worker& w = workers_[0];
        std::array<std::uint8_t, kStatusCount> out{};
        while (!stop_) {
            w.Begin();
            out.fill(0);
            const bool ok = op_.ReadRegs(kStatusBlock, out.data(), kStatusCount);
            w.End();
            if (!ok) continue;
            for (int i = 0; i < kStatusCount; ++i) {
                if (out[i] != StatusValue(i)) {
                    Fail("status read reported success with register " +
                         std::to_string(kStatusBlock + i) + " = " + std::to_string(out[i]) +
                         ", expected " + std::to_string(StatusValue(i)));
                    break;
                }
            }
        }
    }

    // Register writes read back (each successful read must give what the last
    // successful write stored), and flash transfers, which the program never runs
    // beside a download (both are modal): they share the flash lock with it.
    void TrafficLoop() {
        Worker& w = workers_[1];
        std::mt19937 rng(seed_ ^ 0x5A5A5A5Au);
        std::array<std::optional<std::uint8_t>, kTrafficMax> known{};
        std::vector<std::uint8_t> data(kTrafficMax);
        std::vector<std::uint8_t> out(kTrafficMax);
        while (!stop_) {
            const int n = static_cast<int>(1 + rng() % kTrafficMax);
            if (rng() % 8 == 0) {
                std::lock_guard flash(flashMutex_);
                for (int i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(rng());
                std::atomic<int> progress{0};
                w.Begin();
                flash_.Write(data.data(), kTrafficFlash, n, progress, false);
                flash_.Read(out.data(), kTrafficFlash, n, progress);
                w.End();
                continue;
            }
            for (int i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(rng());
            w.Begin();
            const bool wrote = op_.WriteRegs(kTrafficBlock, data.data(), n);
            w.End();
            for (int i = 0; i < n; ++i)
                known[i] = wrote ? std::optional<std::uint8_t>(data[i]) : std::nullopt;

            const int m = static_cast<int>(1 + rng() % kTrafficMax);
            std::fill(out.begin(), out.end(), 0);
            w.Begin();
            const bool read = op_.ReadRegs(kTrafficBlock, out.data(), m);
            w.End();
            if (!read) continue;
            for (int i = 0; i < m; ++i) {
                if (known[i] && out[i] != *known[i]) {
                    Fail("register read reported success with register " +
                         std::to_string(kTrafficBlock + i) + " = " + std::to_string(out[i]) +
                         " after " + std::to_string(*known[i]) + " was written");
                    break;
                }
            }
        }
    }

    // Downloads of a fresh image each time, so a write that was lost cannot pass for
    // one that landed.
    void DownloadLoop() {
        Worker& w = workers_[2];
        std::mt19937 rng(seed_ ^ 0xA5A5A5A5u);
        config::StartImage image{};
        while (!stop_) {
            for (auto& b : image) b = static_cast<std::uint8_t>(rng());
            std::lock_guard flash(flashMutex_);
            const std::uint64_t liesBefore = device_.Controller().FlashLyingReads();
            w.Begin();
            const config::DownloadResult result = download_.Download(image, 8);
            w.End();
            if (!result.Success()) continue;
            ++verified_;
            const auto held =
                device_.Controller().ReadFlash(config::kImageFlashAddress, config::kImageSize);
            if (std::equal(held.begin(), held.end(), image.begin())) continue;
            // A flash whose reads lie can hand back exactly the image it failed to keep
            // (a stale read of the previous round's good write): no read-back can tell.
            if (device_.Controller().FlashLyingReads() != liesBefore) {
                ++fooled_;
                continue;
            }
            Fail("download reported verified after " + std::to_string(result.rounds) +
                 " rounds but the flash does not hold the image");
        }
    }

    // With the faults off, the link recovers: every kind of operation succeeds.
    void AfterTheStorm() {
        std::array<std::uint8_t, kStatusCount> out{};
        EXPECT_TRUE(op_.ReadRegs(kStatusBlock, out.data(), kStatusCount)) << "seed " << seed_;
        for (int i = 0; i < kStatusCount; ++i)
            ASSERT_EQ(out[i], StatusValue(i)) << "seed " << seed_;

        std::vector<std::uint8_t> data(kTrafficMax);
        std::vector<std::uint8_t> back(kTrafficMax);
        for (int i = 0; i < kTrafficMax; ++i) data[i] = static_cast<std::uint8_t>(i ^ seed_);
        EXPECT_TRUE(op_.WriteRegs(kTrafficBlock, data.data(), kTrafficMax)) << "seed " << seed_;
        EXPECT_TRUE(op_.ReadRegs(kTrafficBlock, back.data(), kTrafficMax)) << "seed " << seed_;
        EXPECT_EQ(back, data) << "seed " << seed_;

        config::StartImage image{};
        for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
        EXPECT_TRUE(download_.Download(image, 8).Success()) << "seed " << seed_;
        const auto held =
            device_.Controller().ReadFlash(config::kImageFlashAddress, config::kImageSize);
        EXPECT_TRUE(std::equal(held.begin(), held.end(), image.begin())) << "seed " << seed_;
    }

    std::uint32_t seed_;
    sim::SimDriver sim_;
    sim::SimDevice& device_;
    controller::CMainOperation op_;
    registers::CFlashReg flash_;
    config::CImageDownload download_;
    std::array<Worker, 3> workers_{Worker("status"), Worker("traffic"), Worker("download")};
    std::atomic<bool> stop_{false};
    std::atomic<bool> watchdogDone_{false};
    std::mutex flashMutex_;
    std::mutex failMutex_;
    std::atomic<int> verified_{0};
    std::atomic<int> fooled_{0};
    Clock::time_point lastTimeout_{};
    int switches_ = 0;
    int unplugs_ = 0;
};

TEST(FaultSoak, ConcurrentTrafficUnderRandomFaultsStaysCorrect) {
    const auto seed = static_cast<std::uint32_t>(
        EnvNumber("VELMOR_SOAK_SEED", static_cast<long long>(std::random_device{}())));
    const auto seconds = std::chrono::seconds(EnvNumber("VELMOR_SOAK_SECONDS", 20));
    std::printf("fault soak: seed %u, %lld s\n", seed, static_cast<long long>(seconds.count()));
    std::fflush(stdout);
    FaultSoak soak(seed);
    soak.Run(seconds);
    soak.Report();
}

}  // namespace
}  // namespace velmor
