// The flash engine behind the control blocks: data window, write and read
// commands, the busy bit.

#include <gtest/gtest.h>

#include <vector>

#include "drivers/sim/sim_driver.h"
#include "sim_port.h"

namespace velmor::sim {
namespace {

using testing::PutWrite;
using testing::ReadCommand;
using testing::SimPort;

std::vector<std::uint8_t> Pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 8));
    return out;
}

// Host side of a flash transfer, spelled out word by word.
class SimFlashTest : public ::testing::TestWithParam<std::uint16_t> {
  protected:
    SimFlashTest() {
        SimDeviceOptions options;
        options.flashBusyReads = 2;
        driver = SimDriver::WithOneDevice(options);
        ctl = &driver->Device(0).Controller();
        port = std::make_unique<SimPort>(*driver);
    }

    void WriteRegs(std::uint16_t start, const std::vector<std::uint8_t>& data) {
        for (std::size_t at = 0; at < data.size(); at += 256) {
            std::vector<std::uint8_t> words;
            for (std::size_t i = at; i < std::min(data.size(), at + 256); ++i)
                PutWrite(words, static_cast<std::uint16_t>(start + i), data[i]);
            ASSERT_TRUE(port->Send(words));
        }
    }
    std::vector<std::uint8_t> ReadRegs(std::uint16_t start, std::size_t count) {
        std::vector<std::uint8_t> out;
        for (std::size_t at = 0; at < count; at += 256) {
            const std::size_t n = std::min<std::size_t>(256, count - at);
            EXPECT_TRUE(port->Send(ReadCommand(static_cast<std::uint16_t>(start + at), n)));
            const auto answer = port->Receive(n * 4);
            for (std::size_t i = 0; i + 4 <= answer.size(); i += 4) out.push_back(answer[i]);
        }
        return out;
    }
    void SetUpBlock(std::uint16_t base, std::uint32_t address, std::size_t length) {
        WriteRegs(static_cast<std::uint16_t>(base + 3),
                  {static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(address >> 8),
                   static_cast<std::uint8_t>(address >> 16)});
        WriteRegs(
            static_cast<std::uint16_t>(base + 1),
            {static_cast<std::uint8_t>(length - 1), static_cast<std::uint8_t>((length - 1) >> 8)});
    }
    // Status reads until idle; the count of busy reads seen.
    int WaitIdle(std::uint16_t base) {
        int busy = 0;
        while (busy < 100 && (ReadRegs(static_cast<std::uint16_t>(base + 6), 1).at(0) & 1)) ++busy;
        return busy;
    }

    std::unique_ptr<SimDriver> driver;
    SimController* ctl = nullptr;
    std::unique_ptr<SimPort> port;
};

TEST_P(SimFlashTest, WriteThroughWindowThenReadBack) {
    const std::uint16_t base = GetParam();
    const auto data = Pattern(4096, 3);
    WriteRegs(0x5000, data);
    SetUpBlock(base, 0x1B0000, data.size());
    WriteRegs(base, {0x11});
    EXPECT_EQ(ctl->ReadFlash(0x1B0000, 4096), data);
    EXPECT_EQ(WaitIdle(base), 2);

    // Spoil the window, then read the flash back into it with command 0x01.
    WriteRegs(0x5000, std::vector<std::uint8_t>(4096, 0));
    SetUpBlock(base, 0x1B0000, data.size());
    WriteRegs(base, {0x01});
    EXPECT_EQ(ReadRegs(0x5000, 4096), data);
    EXPECT_EQ(WaitIdle(base), 2);
}

INSTANTIATE_TEST_SUITE_P(Blocks, SimFlashTest, ::testing::Values(0x40D0, 0x40E0));

TEST_F(SimFlashTest, AlternateWriteShortLengthAndErasedFlash) {
    const auto data = Pattern(904, 9);
    WriteRegs(0x5000, data);
    SetUpBlock(0x40E0, 0x001000, data.size());
    WriteRegs(0x40E0, {0x1D});
    const auto flash = ctl->ReadFlash(0x000FFF, 906);
    EXPECT_EQ(flash.front(), 0xFF);  // before the written range: erased
    EXPECT_EQ(std::vector<std::uint8_t>(flash.begin() + 1, flash.end() - 1), data);
    EXPECT_EQ(flash.back(), 0xFF);  // after it: untouched
}

TEST_F(SimFlashTest, LengthBeyondWindowIsCutToTheWindow) {
    WriteRegs(0x5000, Pattern(4096, 1));
    ctl->SetReg(0x6000, 0xEE);  // just past the window
    SetUpBlock(0x40D0, 0x200000, 8192);
    WriteRegs(0x40D0, {0x11});
    EXPECT_EQ(ctl->ReadFlash(0x200000, 4096), Pattern(4096, 1));
    EXPECT_EQ(ctl->ReadFlash(0x201000, 1).at(0), 0xFF);
}

TEST_F(SimFlashTest, ForcedBusyPeriodThenIdle) {
    ctl->Faults().busyStatusReads = 5;
    EXPECT_EQ(WaitIdle(0x40D0), 5);
    EXPECT_EQ(WaitIdle(0x40D0), 0);
    EXPECT_EQ(ctl->Faults().busyStatusReads, 0u);
}

TEST_F(SimFlashTest, BackDoorWriteWrapsAtTheEndOfFlash) {
    const auto data = Pattern(16, 5);
    ctl->WriteFlash(0xFFFFF8, data);
    EXPECT_EQ(ctl->ReadFlash(0xFFFFF8, 16), data);
    EXPECT_EQ(ctl->ReadFlash(0, 8), std::vector<std::uint8_t>(data.begin() + 8, data.end()));
}

}  // namespace
}  // namespace velmor::sim
