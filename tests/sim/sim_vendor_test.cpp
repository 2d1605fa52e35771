// Vendor requests on the control endpoint: firmware identity, checked frames
// and checked reads.

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_transfer.h"
#include "sim_port.h"

namespace velmor::sim {
namespace {

using testing::SimPort;

std::uint8_t Sum(const std::vector<std::uint8_t>& v, std::size_t from, std::size_t to) {
    return static_cast<std::uint8_t>(std::accumulate(v.begin() + from, v.begin() + to, 0u));
}

class SimVendor : public ::testing::Test {
  protected:
    std::unique_ptr<SimDriver> driver = SimDriver::WithOneDevice();
    SimController& ctl = driver->Device(0).Controller();
    SimPort port{*driver};
};

TEST_F(SimVendor, FirmwareIdentityHonoursLength) {
    const auto id = port.Control(0xC0, 0xE0, 0, 0, std::vector<std::uint8_t>(16));
    ASSERT_EQ(id.error, 0u);
    ASSERT_EQ(id.data.size(), 16u);
    EXPECT_EQ(std::string(id.data.begin() + 12, id.data.end()), "FW01");
    const auto cut = port.Control(0xC0, 0xE0, 0, 0, std::vector<std::uint8_t>(4));
    EXPECT_EQ(cut.data, std::vector<std::uint8_t>(id.data.begin(), id.data.begin() + 4));
}

TEST_F(SimVendor, CheckedWriteAcceptsGoodSumAndRefusesBadSum) {
    const std::vector<std::uint8_t> good = {0x57, 0x4C, 0x2F, 0x20, 0x55, 0x47};
    const auto ok = port.Control(0x40, 0xEC, 0, 6, good);
    EXPECT_EQ(ok.error, 0u);
    EXPECT_EQ(ok.bytes, 38u + 6u);

    std::vector<std::uint8_t> bad = good;
    bad.back() = 0x48;
    const auto refused = port.Control(0x40, 0xE2, 0, 6, bad);
    EXPECT_NE(refused.error, 0u);
    EXPECT_EQ(refused.header.usbdStatus, status::kUsbdStall);

    const std::vector<std::uint8_t> alternate = {0x01, 0x02, 0x03};
    EXPECT_EQ(port.Control(0x40, 0xE2, 0, 3, alternate).error, 0u);
    EXPECT_NE(port.Control(0x40, 0xEC, 0, 0, {}).error, 0u);  // no check byte at all

    EXPECT_EQ(ctl.VendorFrames(), (std::vector<std::vector<std::uint8_t>>{good, alternate}));
}

TEST_F(SimVendor, CheckedReadEchoesLastFrameWithValidCheckByte) {
    const auto before = port.Control(0xC0, 0xED, 0, 16 << 8, std::vector<std::uint8_t>(17));
    ASSERT_EQ(before.error, 0u);
    EXPECT_EQ(before.data.at(0), 0);  // nothing to echo yet: N = 0

    const std::vector<std::uint8_t> frame = {0x10, 0x20, 0x30, 0x60};
    ASSERT_EQ(port.Control(0x40, 0xEC, 0, 4, frame).error, 0u);
    const auto answer = port.Control(0xC0, 0xED, 0, 16 << 8, std::vector<std::uint8_t>(17));
    ASSERT_EQ(answer.error, 0u);
    ASSERT_EQ(answer.data.size(), 5u);
    EXPECT_EQ(answer.data[0], 4);
    EXPECT_EQ(std::vector<std::uint8_t>(answer.data.begin() + 1, answer.data.end()), frame);
    const std::size_t n = answer.data[0];
    EXPECT_EQ(answer.data[n], Sum(answer.data, 1, n));
}

TEST_F(SimVendor, CheckedReadShortenedToRoomStaysWellFormed) {
    const std::vector<std::uint8_t> frame = {1, 2, 3, 4, 5, 15};
    ASSERT_EQ(port.Control(0x40, 0xEC, 0, 6, frame).error, 0u);
    for (std::uint16_t room = 1; room <= 8; ++room) {
        const auto answer = port.Control(0xC0, 0xED, 0, 0, std::vector<std::uint8_t>(room));
        ASSERT_EQ(answer.error, 0u) << room;
        ASSERT_FALSE(answer.data.empty()) << room;
        const std::size_t n = answer.data[0];
        ASSERT_EQ(answer.data.size(), n + 1) << room;
        ASSERT_LE(answer.data.size(), room);
        if (n > 0) {
            EXPECT_EQ(answer.data[n], Sum(answer.data, 1, n)) << room;
        }
    }
}

TEST_F(SimVendor, UnknownOrMisdirectedRequestsStall) {
    EXPECT_NE(port.Control(0xC0, 0xAA, 0, 0, std::vector<std::uint8_t>(4)).error, 0u);
    EXPECT_NE(port.Control(0x40, 0xE0, 0, 0, std::vector<std::uint8_t>(4)).error, 0u);
    EXPECT_NE(port.Control(0xC0, 0xEC, 0, 0, std::vector<std::uint8_t>(4)).error, 0u);
    EXPECT_NE(port.Control(0xA0, 0x01, 0, 0, std::vector<std::uint8_t>(4)).error, 0u);  // class
    EXPECT_TRUE(ctl.VendorFrames().empty());
}

}  // namespace
}  // namespace velmor::sim
