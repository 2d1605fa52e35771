#pragma once
// Ways the simulated flash can lie, for testing that a download is verified
// against everything a real flash chip or its controller can do wrong: bits that
// flip on the way in or out, writes that report success and store nothing or only
// part, reads that return stale data, a flash that stays busy, and a device that
// is unplugged in the middle of a transfer.
//
// Faults are counters that count down as they strike (kAlways: every time), all
// off by default. Which bit flips is drawn from a generator seeded with `seed`,
// so a run repeats exactly. Set them between transfers; they are not locked.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <vector>

#include "drivers/sim/sim_flash.h"

namespace velmor::sim {

struct SimFlashFaults {
    static constexpr int kAlways = -1;

    std::uint32_t seed = 1;
    // Write commands that store the data with one bit flipped.
    int flipWrites = 0;
    // When set, only write commands whose range covers this flash address flip (and
    // count); the other chunks of a transfer are stored as sent.
    std::optional<std::uint32_t> flipOnlyChunkAt;
    // Write commands that finish as usual but store nothing.
    int lostWrites = 0;
    // Write commands that store only their first `partialWriteBytes` bytes.
    int partialWrites = 0;
    std::size_t partialWriteBytes = 1024;
    // Read commands that deliver what the range held before it was last written
    // (a read cache that missed the write); plain data before any write.
    int staleReads = 0;
    // Read commands that deliver the data with one bit flipped.
    int flipReads = 0;
    // The status register reports busy on every read.
    bool stuckBusy = false;
    // After this many more register writes into the flash data window, the rest of
    // that bulk transfer is dropped, the transfer fails and the device is
    // unplugged. Negative: off.
    int unplugAfterWindowWrites = -1;
};

// Applies SimFlashFaults to the flash commands of the controller model. Not
// locked; the model serialises access.
class SimFaultyFlash {
  public:
    SimFlashFaults& Faults() { return faults_; }

    // A write command: stores `data` at `address`, as the faults allow.
    void Write(SimFlash& flash, std::uint32_t address, std::span<const std::uint8_t> data);
    // A read command: fills `out` from `address`, as the faults allow.
    void Read(const SimFlash& flash, std::uint32_t address, std::span<std::uint8_t> out);
    bool StuckBusy() const { return faults_.stuckBusy; }
    // Read commands that delivered something other than the flash holds (a stale or a
    // flipped read): a verify that read exactly what it wrote may have been fooled then.
    std::uint64_t LyingReads() const { return lyingReads_; }
    // Called for each host write into the data window; true when the unplug fault
    // strikes at this write.
    bool UnplugAtWindowWrite();

  private:
    static bool Take(int& counter);
    void FlipOneBit(std::span<std::uint8_t> bytes);

    SimFlashFaults faults_;
    std::mt19937 generator_;
    std::optional<std::uint32_t> seededWith_;
    // What the range of the last write held before it, for stale reads.
    std::uint32_t previousAddress_ = 0;
    std::vector<std::uint8_t> previousBytes_;
    std::uint64_t lyingReads_ = 0;
};

}  // namespace velmor::sim
