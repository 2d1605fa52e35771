// A device whose endpoint table has a gap before the register endpoints: the
// endpoint look-up raises, and the register exchanges report failure instead of
// letting the error reach their callers.

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "controller/main_operation.h"
#include "support/fake_driver.h"
#include "usb/usb_error.h"
#include "usb/usb_link.h"

namespace velmor::controller {
namespace {

class EndPointGapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        usb::test::FakeDevice device = usb::test::ControllerDevice(false);
        // Two endpoints declared, only 0x82 present: the look-up of 0x02 meets
        // the empty second slot.
        device.configs[0] =
            usb::test::ConfigBuilder().Interface(0, 0, 2).EndPoint(0x82, 2, 512).Build();
        driver.AddDevice(device);
        auto link = std::make_unique<usb::CUsbLink>(driver, usb::WindowId{0},
                                                    usb::kVendorInterfaceClass, true);
        ASSERT_TRUE(link->IsOpen());
        ASSERT_THROW(link->FindEndPoint(0x02), usb::UsbError);
        op.SetDevice(std::move(link));
    }

    usb::test::FakeDriver driver;
    CMainOperation op;  // last: its device goes before the driver
};

TEST_F(EndPointGapTest, BulkExchangeFails) {
    std::array<std::uint8_t, 4> bytes{1, 2, 3, 4};
    std::int32_t length = 4;
    bool ok = true;
    EXPECT_NO_THROW(ok = op.BulkExchange(bytes.data(), length, 0));
    EXPECT_FALSE(ok);
    EXPECT_EQ(length, 4);
}

TEST_F(EndPointGapTest, RegisterWritesAndReadsFail) {
    const std::uint8_t data[3] = {0x11, 0x22, 0x33};
    std::uint8_t out[3] = {};
    bool ok = true;
    EXPECT_NO_THROW(ok = op.WriteRegs(0x4000, data, 3));
    EXPECT_FALSE(ok);
    EXPECT_NO_THROW(ok = op.WriteReg32(0x4000, 0x12345678));
    EXPECT_FALSE(ok);
    EXPECT_NO_THROW(ok = op.ReadRegs(0x4000, out, 3));
    EXPECT_FALSE(ok);
    EXPECT_FALSE(op.ReadRegsRetry(0x4000, out, 3));
}

}  // namespace
}  // namespace velmor::controller
