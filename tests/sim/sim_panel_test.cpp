// The simulated control panel behind vendor requests 0xEC (frames) and 0xED
// (its 16-byte reply), driven through the port with hand-built frames.

#include "drivers/sim/sim_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "drivers/sim/sim_driver.h"
#include "sim_port.h"

namespace velmor::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint8_t Sum(const Bytes& v, std::size_t count) {
    return static_cast<std::uint8_t>(std::accumulate(v.begin(), v.begin() + count, 0u));
}

// "W" "L" length 0x20 type 0x00 payload check; payload bytes `first`, first + 1, ...
Bytes Frame(std::uint8_t type, std::size_t payload, int lengthSkew = 0, std::uint8_t first = 1) {
    Bytes f = {0x57, 0x4C, static_cast<std::uint8_t>(payload + 7 + lengthSkew), 0x20, type, 0x00};
    for (std::size_t i = 0; i < payload; ++i) f.push_back(static_cast<std::uint8_t>(first + i));
    f.push_back(0);
    f.back() = Sum(f, f.size() - 1);
    return f;
}

class SimPanelTest : public ::testing::Test {
  protected:
    std::uint32_t Send(const Bytes& frame) {
        return port.Control(0x40, 0xEC, 0, static_cast<std::uint16_t>(frame.size()), frame).error;
    }
    // The reply as the host asks for it: 16 bytes, value 30. Empty when the read failed.
    Bytes Reply() {
        const auto answer = port.Control(0xC0, 0xED, 30, 16 << 8, Bytes(17));
        if (answer.error != 0 || answer.data.size() != 17 || answer.data[0] != 16) return {};
        return Bytes(answer.data.begin() + 1, answer.data.end());
    }
    static bool Echoes(const Bytes& reply, const Bytes& frame) {
        return std::equal(reply.begin() + 6, reply.begin() + 15, frame.begin() + 6);
    }

    std::unique_ptr<SimDriver> driver = SimDriver::WithOneDevice();
    SimPanel& panel = driver->Device(0).Controller().Panel();
    testing::SimPort port{*driver};
};

TEST_F(SimPanelTest, TakesWellFormedFramesAndRefusesOthers) {
    Bytes badMark = Frame(0x55, 48);
    badMark[3] = 0x21;
    badMark.back() = Sum(badMark, badMark.size() - 1);
    const std::pair<Bytes, bool> cases[] = {
        {Frame(0x55, 48), true},  {Frame(0x5A, 21), true},  {Frame(0xA5, 50), true},
        {Frame(0x4B, 50), true},  {Frame(0x80, 19), true},  {Frame(0x55, 48, 1), false},
        {Frame(0x5A, 20), false}, {Frame(0x56, 48), false}, {badMark, false}};
    for (const auto& [frame, taken] : cases) {
        ASSERT_EQ(Send(frame), 0u);  // the controller itself checks only the check byte
        const Bytes reply = Reply();
        ASSERT_EQ(reply.size(), 16u);
        EXPECT_EQ(reply[15], Sum(reply, 15));
        EXPECT_EQ(reply[4], taken ? 0 : 1) << +frame[4] << " " << frame.size();
        EXPECT_EQ(Echoes(reply, frame), taken) << +frame[4] << " " << frame.size();
        EXPECT_EQ(panel.LastFrame(frame[4]) == frame, taken);
    }
    EXPECT_EQ(panel.TakenCount(), 5u);
    EXPECT_EQ(panel.RefusedCount(), 4u);

    Bytes badSum = Frame(0x55, 48);
    ++badSum.back();
    EXPECT_NE(Send(badSum), 0u);  // refused by the controller before the panel
    EXPECT_EQ(panel.TakenCount() + panel.RefusedCount(), 9u);
}

TEST_F(SimPanelTest, KeepsTheLastFrameOfEachType) {
    const Bytes second = Frame(0x55, 48, 0, 0x40);
    ASSERT_EQ(Send(Frame(0x55, 48)), 0u);
    ASSERT_EQ(Send(Frame(0x5A, 21)), 0u);
    ASSERT_EQ(Send(second), 0u);
    EXPECT_EQ(panel.LastPayload(0x55), Bytes(second.begin() + 6, second.end() - 1));
    EXPECT_EQ(panel.LastFrame(0x5A), Frame(0x5A, 21));
    EXPECT_FALSE(panel.LastFrame(0x4B).has_value());
}

TEST_F(SimPanelTest, FaultKnobs) {
    const Bytes frame = Frame(0x55, 48);
    panel.Faults().silentFrames = 1;
    ASSERT_EQ(Send(frame), 0u);
    EXPECT_TRUE(Reply().empty());  // no reply
    ASSERT_EQ(Send(frame), 0u);
    EXPECT_TRUE(Echoes(Reply(), frame));  // the next frame is answered again

    panel.Faults().wrongEchoFrames = 1;
    ASSERT_EQ(Send(frame), 0u);
    const Bytes reply = Reply();
    EXPECT_EQ(reply.at(4), 0);
    EXPECT_FALSE(Echoes(reply, frame));

    panel.Faults() = {.refusedFrames = 1, .onlyType = 0x5A};
    ASSERT_EQ(Send(frame), 0u);  // not of the faulty type: taken
    EXPECT_EQ(Reply().at(4), 0);
    ASSERT_EQ(Send(Frame(0x5A, 21)), 0u);
    EXPECT_EQ(Reply().at(4), 1);
    EXPECT_FALSE(panel.LastFrame(0x5A).has_value());
}

}  // namespace
}  // namespace velmor::sim
