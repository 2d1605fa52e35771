// Standard descriptor requests as the USB layer issues them: first the head,
// then the whole, at most wLength bytes each time.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_transfer.h"
#include "sim_port.h"

namespace velmor::sim {
namespace {

using testing::SimPort;

std::string Utf16ToAscii(const std::vector<std::uint8_t>& d) {
    std::string s;
    for (std::size_t i = 2; i + 1 < d.size(); i += 2) s.push_back(static_cast<char>(d[i]));
    return s;
}

// One endpoint as an independent walk of the configuration finds it.
struct WalkedEndpoint {
    std::uint8_t interfaceNumber = 0;
    std::uint8_t address = 0;
    std::uint8_t attributes = 0;
    std::uint16_t maxPacket = 0;
    bool companion = false;
};

struct Walk {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> interfaces;  // number, alternate
    std::vector<WalkedEndpoint> endpoints;
    bool wellFormed = true;
};

Walk WalkConfiguration(const std::vector<std::uint8_t>& c) {
    Walk w;
    std::size_t at = 0;
    while (at < c.size()) {
        const std::uint8_t len = c[at];
        if (len < 2 || at + len > c.size()) {
            w.wellFormed = false;
            break;
        }
        const std::uint8_t type = c[at + 1];
        if (type == 4) w.interfaces.emplace_back(c[at + 2], c[at + 3]);
        if (type == 5 && len == 7)
            w.endpoints.push_back(
                {w.interfaces.empty() ? std::uint8_t{0xFF} : w.interfaces.back().first, c[at + 2],
                 c[at + 3], static_cast<std::uint16_t>(c[at + 4] | c[at + 5] << 8), false});
        if (type == 0x30) {
            if (w.endpoints.empty())
                w.wellFormed = false;
            else
                w.endpoints.back().companion = true;
        }
        at += len;
    }
    return w;
}

struct SpeedCase {
    std::uint16_t bcdUSB;
    std::uint8_t maxPacket0;
    std::uint16_t bulkPacket;
    bool companions;
    std::uint32_t speed;
};

class SimDescriptorsBySpeed : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(SimDescriptorsBySpeed, DeviceDescriptorCarriesVersionAndPacketSize) {
    const SpeedCase c = GetParam();
    SimDeviceOptions options;
    options.bcdUSB = c.bcdUSB;
    options.vendorId = 0x1234;
    options.productId = 0xABCD;
    auto driver = SimDriver::WithOneDevice(options);
    SimPort port(*driver);

    const auto r = port.GetDescriptor(1, 0, 18);
    ASSERT_EQ(r.error, 0u);
    EXPECT_EQ(r.bytes, 38u + 18u);
    const std::vector<std::uint8_t> expected = {18,
                                                1,
                                                static_cast<std::uint8_t>(c.bcdUSB),
                                                static_cast<std::uint8_t>(c.bcdUSB >> 8),
                                                0,
                                                0,
                                                0,
                                                c.maxPacket0,
                                                0x34,
                                                0x12,
                                                0xCD,
                                                0xAB,
                                                0x00,
                                                0x01,
                                                1,
                                                2,
                                                3,
                                                1};
    EXPECT_EQ(r.data, expected);
    EXPECT_EQ(r.header.ntStatus, 0u);
    EXPECT_EQ(r.header.usbdStatus, 0u);
}

TEST_P(SimDescriptorsBySpeed, ConfigurationHeadThenWholeWithBulkEndpoints) {
    const SpeedCase c = GetParam();
    SimDeviceOptions options;
    options.bcdUSB = c.bcdUSB;
    auto driver = SimDriver::WithOneDevice(options);
    SimPort port(*driver);

    const auto head = port.GetDescriptor(2, 0, 9);
    ASSERT_EQ(head.error, 0u);
    ASSERT_EQ(head.data.size(), 9u);
    EXPECT_EQ(head.data[1], 2);
    EXPECT_EQ(head.data[4], 1);  // one interface
    const std::uint16_t total = static_cast<std::uint16_t>(head.data[2] | head.data[3] << 8);
    EXPECT_EQ(total, c.companions ? 9u + 9u + 2u * (7u + 6u) : 9u + 9u + 2u * 7u);

    const auto whole = port.GetDescriptor(2, 0, total);
    ASSERT_EQ(whole.data.size(), total);
    EXPECT_TRUE(std::equal(head.data.begin(), head.data.end(), whole.data.begin()));
    const Walk w = WalkConfiguration(whole.data);
    ASSERT_TRUE(w.wellFormed);
    ASSERT_EQ(w.interfaces.size(), 1u);
    ASSERT_EQ(w.endpoints.size(), 2u);
    EXPECT_EQ(w.endpoints[0].address, 0x02);
    EXPECT_EQ(w.endpoints[1].address, 0x82);
    for (const auto& ep : w.endpoints) {
        EXPECT_EQ(ep.attributes, 2);  // bulk
        EXPECT_EQ(ep.maxPacket, c.bulkPacket);
        EXPECT_EQ(ep.companion, c.companions);
    }
}

TEST_P(SimDescriptorsBySpeed, BosOnlyForUsb3) {
    const SpeedCase c = GetParam();
    SimDeviceOptions options;
    options.bcdUSB = c.bcdUSB;
    auto driver = SimDriver::WithOneDevice(options);
    SimPort port(*driver);

    const auto head = port.GetDescriptor(0x0F, 0, 5);
    if (!c.companions) {
        EXPECT_NE(head.error, 0u);
        EXPECT_EQ(head.header.usbdStatus, status::kUsbdStall);
        return;
    }
    ASSERT_EQ(head.error, 0u);
    ASSERT_EQ(head.data.size(), 5u);
    const std::uint16_t total = static_cast<std::uint16_t>(head.data[2] | head.data[3] << 8);
    const auto whole = port.GetDescriptor(0x0F, 0, total);
    ASSERT_EQ(whole.data.size(), total);
    std::vector<std::uint8_t> capabilityTypes;
    for (std::size_t at = 5; at + 3 <= whole.data.size() && whole.data[at] >= 3;
         at += whole.data[at]) {
        EXPECT_EQ(whole.data[at + 1], 0x10);
        capabilityTypes.push_back(whole.data[at + 2]);
    }
    EXPECT_EQ(capabilityTypes, (std::vector<std::uint8_t>{2, 3, 4}));
    EXPECT_EQ(whole.data[4], 3);
}

TEST_P(SimDescriptorsBySpeed, DriverReportsSpeed) {
    const SpeedCase c = GetParam();
    SimDeviceOptions options;
    options.bcdUSB = c.bcdUSB;
    auto driver = SimDriver::WithOneDevice(options);
    SimPort port(*driver);
    std::vector<std::uint8_t> out(4);
    std::uint32_t bytes = 0;
    ASSERT_EQ(driver->IoControl(port.handle, usb::ioctl::kGetDeviceSpeed, out, out, bytes, nullptr),
              0u);
    EXPECT_EQ(bytes, 4u);
    EXPECT_EQ(usb::GetLe32(out.data()), c.speed);
}

INSTANTIATE_TEST_SUITE_P(Speeds, SimDescriptorsBySpeed,
                         ::testing::Values(SpeedCase{0x0300, 9, 1024, true, 4},
                                           SpeedCase{0x0210, 64, 512, false, 2}));

TEST(SimDescriptors, StringsHonourLengthAndCarryNames) {
    SimDeviceOptions options;
    options.deviceName = "Bench Rig";
    auto driver = SimDriver::WithOneDevice(options);
    SimPort port(*driver);

    const auto languageHead = port.GetDescriptor(3, 0, 2);
    EXPECT_EQ(languageHead.data, (std::vector<std::uint8_t>{4, 3}));
    const auto languages = port.GetDescriptor(3, 0, 4);
    EXPECT_EQ(languages.data, (std::vector<std::uint8_t>{4, 3, 0x09, 0x04}));

    const auto product = port.GetDescriptor(3, 2, 255, 0x0409);
    ASSERT_EQ(product.data.size(), 2u + 2u * 9u);
    EXPECT_EQ(product.data[0], product.data.size());
    EXPECT_EQ(Utf16ToAscii(product.data), "Bench Rig");
    EXPECT_EQ(Utf16ToAscii(port.GetDescriptor(3, 1, 255, 0x0409).data), "Velmor");
    EXPECT_EQ(Utf16ToAscii(port.GetDescriptor(3, 3, 255, 0x0409).data), "SIM0");

    // A short room gets the start of the descriptor and nothing past it.
    const auto cut = port.GetDescriptor(3, 2, 5, 0x0409);
    EXPECT_EQ(cut.data, std::vector<std::uint8_t>(product.data.begin(), product.data.begin() + 5));

    EXPECT_NE(port.GetDescriptor(3, 9, 255, 0x0409).error, 0u);
    EXPECT_NE(port.GetDescriptor(2, 1, 9).error, 0u);  // there is one configuration only
}

TEST(SimDescriptors, TwoInterfacesAndAlternateSetting) {
    SimDeviceOptions options;
    options.interfaceCount = 2;
    options.altSetting = 1;
    auto driver = SimDriver::WithOneDevice(options);
    SimPort port(*driver);

    const auto head = port.GetDescriptor(2, 0, 9);
    ASSERT_EQ(head.data.size(), 9u);
    EXPECT_EQ(head.data[4], 2);
    const auto whole =
        port.GetDescriptor(2, 0, static_cast<std::uint16_t>(head.data[2] | head.data[3] << 8));
    const Walk w = WalkConfiguration(whole.data);
    ASSERT_TRUE(w.wellFormed);
    using P = std::pair<std::uint8_t, std::uint8_t>;
    EXPECT_EQ(w.interfaces, (std::vector<P>{{0, 0}, {0, 1}, {1, 0}}));

    std::vector<std::uint8_t> alt(1);
    std::uint32_t bytes = 0;
    ASSERT_EQ(
        driver->IoControl(port.handle, usb::ioctl::kGetAltInterface, alt, alt, bytes, nullptr), 0u);
    EXPECT_EQ(bytes, 1u);
    EXPECT_EQ(alt[0], 1);
}

}  // namespace
}  // namespace velmor::sim
