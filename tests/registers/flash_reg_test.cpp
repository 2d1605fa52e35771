#include "registers/flash_reg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <vector>

#include "support/sim_rig.h"

namespace velmor::registers {
namespace {

using Writes = std::vector<std::pair<std::uint16_t, std::uint8_t>>;

std::vector<std::uint8_t> RandomBytes(std::size_t length, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(length);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

// The control-block writes one chunk makes: address (3 bytes), length - 1
// (2 bytes), command.
Writes ChunkWrites(std::uint16_t base, std::uint32_t address, int chunk, std::uint8_t command) {
    const auto lengthMinusOne = static_cast<std::uint16_t>(chunk - 1);
    return {{static_cast<std::uint16_t>(base + 3), address & 0xFF},
            {static_cast<std::uint16_t>(base + 4), (address >> 8) & 0xFF},
            {static_cast<std::uint16_t>(base + 5), (address >> 16) & 0xFF},
            {static_cast<std::uint16_t>(base + 1), lengthMinusOne & 0xFF},
            {static_cast<std::uint16_t>(base + 2), lengthMinusOne >> 8},
            {static_cast<std::uint16_t>(base + 0), command}};
}

Writes Concat(Writes a, const Writes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Records the progress value each time a chunk sets its address, and can make
// the link fail once a given chunk has set its address.
class RecordingFlashReg : public CFlashReg {
  public:
    RecordingFlashReg(testing::SimRig& rig, std::atomic<int>& progress)
        : CFlashReg(rig.op), rig_(rig), progress_(progress) {}

    bool SetAddress(std::uint32_t address, int lengthMinusOne) override {
        progressAtChunk.push_back(progress_.load());
        const bool ok = CFlashReg::SetAddress(address, lengthMinusOne);
        if (static_cast<int>(progressAtChunk.size()) == failAfterChunk) {
            rig_.Faults().failTransfers = 1000;
        }
        return ok;
    }

    std::vector<int> progressAtChunk;
    int failAfterChunk = 0;  // 0: never

  private:
    testing::SimRig& rig_;
    std::atomic<int>& progress_;
};

class FlashRegTest : public ::testing::Test {
  protected:
    void SetUp() override { rig.op.SetBoardType(1); }

    Writes BlockWrites() { return rig.WritesIn(0x40D0, 0x40EF); }

    testing::SimRig rig;
    std::atomic<int> progress{-1};
};

TEST_F(FlashRegTest, WriteOf5000BytesGoesAsTwoChunksAndLandsInFlash) {
    const auto data = RandomBytes(5000, 1);
    RecordingFlashReg flash(rig, progress);

    ASSERT_TRUE(flash.Write(data.data(), 0x001000, 5000, progress, false));

    EXPECT_EQ(BlockWrites(), Concat(ChunkWrites(0x40E0, 0x001000, 4096, 0x11),
                                    ChunkWrites(0x40E0, 0x002000, 904, 0x11)));
    // Length registers 0x0FFF then 0x0387; progress 4096 / 50 after the first chunk.
    EXPECT_EQ(flash.progressAtChunk, (std::vector<int>{-1, 81}));
    EXPECT_EQ(progress.load(), 81);
    EXPECT_EQ(rig.Controller().ReadFlash(0x001000, 5000), data);

    std::vector<std::uint8_t> back(5000, 0);
    rig.Controller().ClearWriteLog();
    ASSERT_TRUE(flash.Read(back.data(), 0x001000, 5000, progress));
    EXPECT_EQ(back, data);
    EXPECT_EQ(BlockWrites(), Concat(ChunkWrites(0x40E0, 0x001000, 4096, 0x01),
                                    ChunkWrites(0x40E0, 0x002000, 904, 0x01)));
}

TEST_F(FlashRegTest, DataPassesThroughTheWindowAt0x5000) {
    const auto data = RandomBytes(300, 2);
    CFlashReg flash(rig.op);
    ASSERT_TRUE(flash.Write(data.data(), 0x1B0000, 300, progress, false));
    const Writes window = rig.WritesIn(0x5000, 0x5FFF);
    ASSERT_EQ(window.size(), 300u);
    for (std::size_t i = 0; i < window.size(); ++i) {
        EXPECT_EQ(window[i].first, 0x5000 + i);
        EXPECT_EQ(window[i].second, data[i]);
    }
}

TEST_F(FlashRegTest, AlternateWriteSendsCommand0x1D) {
    const auto data = RandomBytes(16, 3);
    CFlashReg flash(rig.op);
    ASSERT_TRUE(flash.Write(data.data(), 0x000100, 16, progress, true));
    EXPECT_EQ(BlockWrites(), ChunkWrites(0x40E0, 0x000100, 16, 0x1D));
}

TEST_F(FlashRegTest, BlockBaseFollowsBoardType) {
    const std::pair<std::uint8_t, std::uint16_t> cases[] = {{0, 0x40D0}, {1, 0x40E0}, {2, 0x40E0}};
    const auto data = RandomBytes(8, 4);
    for (const auto& [type, base] : cases) {
        SCOPED_TRACE(int(type));
        rig.op.SetBoardType(type);
        rig.Controller().ClearWriteLog();
        CFlashReg flash(rig.op);
        EXPECT_EQ(flash.BlockBase(), base);
        ASSERT_TRUE(flash.Write(data.data(), 0x000200, 8, progress, false));
        EXPECT_EQ(BlockWrites(), ChunkWrites(base, 0x000200, 8, 0x11));
    }
}

TEST_F(FlashRegTest, LengthsBelow100CompleteInOneChunk) {
    for (const int length : {1, 2, 50, 99, 100}) {
        SCOPED_TRACE(length);
        const auto data = RandomBytes(static_cast<std::size_t>(length), 5);
        rig.Controller().ClearWriteLog();
        progress = -1;
        CFlashReg flash(rig.op);
        ASSERT_TRUE(flash.Write(data.data(), 0x003000, length, progress, false));
        EXPECT_EQ(BlockWrites(), ChunkWrites(0x40E0, 0x003000, length, 0x11));
        EXPECT_EQ(progress.load(), -1);  // no second chunk, no progress step
        std::vector<std::uint8_t> back(static_cast<std::size_t>(length));
        ASSERT_TRUE(flash.Read(back.data(), 0x003000, length, progress));
        EXPECT_EQ(back, data);
    }
}

TEST_F(FlashRegTest, ProgressStepsBetweenChunksOfALongTransfer) {
    const auto data = RandomBytes(12288 + 10, 6);
    RecordingFlashReg flash(rig, progress);
    ASSERT_TRUE(flash.Write(data.data(), 0, static_cast<int>(data.size()), progress, false));
    // Percent base 122: 4096/122, 8192/122, 12288/122.
    EXPECT_EQ(flash.progressAtChunk, (std::vector<int>{-1, 33, 67, 100}));
    EXPECT_EQ(rig.Controller().ReadFlash(0, data.size()), data);
}

TEST_F(FlashRegTest, EmptyOrNegativeLengthIsRefusedWithoutTraffic) {
    std::uint8_t byte = 0;
    CFlashReg flash(rig.op);
    for (const int length : {0, -1, -5000}) {
        EXPECT_FALSE(flash.Write(&byte, 0, length, progress, false));
        EXPECT_FALSE(flash.Read(&byte, 0, length, progress));
    }
    EXPECT_FALSE(flash.Write(nullptr, 0, 10, progress, false));
    EXPECT_FALSE(flash.Read(nullptr, 0, 10, progress));
    EXPECT_TRUE(rig.Controller().WriteLog().empty());
}

TEST_F(FlashRegTest, ControllerBusyForeverEndsWithProgress1000AndFailure) {
    rig.Faults().busyStatusReads = 1000000;
    const auto data = RandomBytes(64, 7);
    CFlashReg flash(rig.op);
    EXPECT_FALSE(flash.Write(data.data(), 0, 64, progress, false));
    EXPECT_EQ(progress.load(), kFlashBusyProgress);
    EXPECT_TRUE(BlockWrites().empty());

    progress = 0;
    std::vector<std::uint8_t> back(64);
    EXPECT_FALSE(flash.Read(back.data(), 0, 64, progress));
    EXPECT_EQ(progress.load(), kFlashBusyProgress);
}

TEST_F(FlashRegTest, ShortBusySpellIsWaitedOut) {
    rig.Faults().busyStatusReads = 5;
    const auto data = RandomBytes(64, 8);
    CFlashReg flash(rig.op);
    EXPECT_TRUE(flash.Write(data.data(), 0x10, 64, progress, false));
    EXPECT_EQ(rig.Controller().ReadFlash(0x10, 64), data);
}

// One good chunk must not hide a failed later one.
TEST_F(FlashRegTest, FailureInALaterChunkIsReported) {
    const auto data = RandomBytes(9000, 9);
    for (const bool write : {true, false}) {
        SCOPED_TRACE(write);
        rig.Faults().failTransfers = 0;
        RecordingFlashReg flash(rig, progress);
        flash.failAfterChunk = 2;
        std::vector<std::uint8_t> back(data.size());
        const bool ok = write ? flash.Write(data.data(), 0, 9000, progress, false)
                              : flash.Read(back.data(), 0, 9000, progress);
        EXPECT_FALSE(ok);
        // The transfer stops after the failed chunk.
        EXPECT_EQ(flash.progressAtChunk.size(), 2u);
    }
}

TEST_F(FlashRegTest, FailedLinkFailsAtOnce) {
    rig.Faults().failTransfers = 1000;
    const auto data = RandomBytes(10, 10);
    CFlashReg flash(rig.op);
    EXPECT_FALSE(flash.Write(data.data(), 0, 10, progress, false));

    controller::CMainOperation noDevice;
    CFlashReg detached(noDevice);
    EXPECT_FALSE(detached.Write(data.data(), 0, 10, progress, false));
}

}  // namespace
}  // namespace velmor::registers
