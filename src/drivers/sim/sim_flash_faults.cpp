#include "drivers/sim/sim_flash_faults.h"

#include <algorithm>

namespace velmor::sim {

bool SimFaultyFlash::Take(int& counter) {
    if (counter == SimFlashFaults::kAlways) return true;
    if (counter <= 0) return false;
    --counter;
    return true;
}

void SimFaultyFlash::FlipOneBit(std::span<std::uint8_t> bytes) {
    if (bytes.empty()) return;
    if (seededWith_ != faults_.seed) {
        generator_.seed(faults_.seed);
        seededWith_ = faults_.seed;
    }
    std::uniform_int_distribution<std::size_t> pick(0, bytes.size() * 8 - 1);
    const std::size_t bit = pick(generator_);
    bytes[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
}

void SimFaultyFlash::Write(SimFlash& flash, std::uint32_t address,
                           std::span<const std::uint8_t> data) {
    previousAddress_ = address;
    previousBytes_.resize(data.size());
    flash.Read(address, previousBytes_);

    if (Take(faults_.lostWrites)) return;
    std::vector<std::uint8_t> stored(data.begin(), data.end());
    const bool chunkCounts =
        !faults_.flipOnlyChunkAt ||
        (*faults_.flipOnlyChunkAt >= address && *faults_.flipOnlyChunkAt - address < data.size());
    if (chunkCounts && Take(faults_.flipWrites)) FlipOneBit(stored);
    if (Take(faults_.partialWrites))
        stored.resize(std::min(stored.size(), faults_.partialWriteBytes));
    flash.Write(address, stored);
}

void SimFaultyFlash::Read(const SimFlash& flash, std::uint32_t address,
                          std::span<std::uint8_t> out) {
    flash.Read(address, out);
    bool lied = false;
    if (Take(faults_.staleReads) && !previousBytes_.empty()) {
        // Only the part of the range the last write covered is stale.
        for (std::size_t i = 0; i < out.size(); ++i) {
            const std::uint32_t at = address + static_cast<std::uint32_t>(i);
            if (at >= previousAddress_ && at - previousAddress_ < previousBytes_.size()) {
                lied = lied || out[i] != previousBytes_[at - previousAddress_];
                out[i] = previousBytes_[at - previousAddress_];
            }
        }
    }
    if (Take(faults_.flipReads) && !out.empty()) {
        FlipOneBit(out);
        lied = true;
    }
    if (lied) ++lyingReads_;
}

bool SimFaultyFlash::UnplugAtWindowWrite() {
    if (faults_.unplugAfterWindowWrites < 0) return false;
    if (faults_.unplugAfterWindowWrites > 0) {
        --faults_.unplugAfterWindowWrites;
        return false;
    }
    faults_.unplugAfterWindowWrites = -1;
    return true;
}

}  // namespace velmor::sim
