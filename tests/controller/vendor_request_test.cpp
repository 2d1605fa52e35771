// Vendor requests on the control endpoint, checked at the request block the
// driver receives.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/sim_rig.h"

namespace velmor::controller {
namespace {

using testing::ScriptedDriver;
using testing::SimRig;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kControl = ScriptedDriver::kControl;

TEST(VendorWriteChecked, StoresTheSumAsCheckByteAndSendsCodeEC) {
    SimRig rig;
    std::uint8_t frame[6] = {0x57, 0x4C, 0x2F, 0x20, 0x55, 0};
    ASSERT_TRUE(rig.op.VendorWriteChecked(frame, 6, false));
    EXPECT_EQ(frame[5], 0x47);
    const auto sent = rig.driver.Transfers(kControl);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.bmRequestType, 0x40);  // host to device, vendor, device
    EXPECT_EQ(sent[0].header.bRequest, 0xEC);
    EXPECT_EQ(sent[0].header.wIndex, 6);
    EXPECT_EQ(sent[0].header.wValue, 0);
    EXPECT_EQ(sent[0].header.wLength, 6);
    EXPECT_EQ(sent[0].header.timeOutSeconds, 1u);
    EXPECT_EQ(sent[0].data, (Bytes{0x57, 0x4C, 0x2F, 0x20, 0x55, 0x47}));
    ASSERT_EQ(rig.Controller().VendorFrames().size(), 1u);
    EXPECT_EQ(rig.Controller().VendorFrames()[0], sent[0].data);
}

TEST(VendorWriteChecked, AlternateFlagSendsCodeE2) {
    SimRig rig;
    std::uint8_t frame[3] = {0x01, 0xFF, 0x00};
    rig.op.VendorWriteChecked(frame, 3, true);
    const auto sent = rig.driver.Transfers(kControl);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.bRequest, 0xE2);
    EXPECT_EQ(frame[2], 0x00);  // 0x01 + 0xFF wraps to 0
}

TEST(VendorWriteChecked, EmptyOrOversizedFramesFailWithoutSending) {
    SimRig rig;
    std::uint8_t byte = 0x5A;
    EXPECT_FALSE(rig.op.VendorWriteChecked(&byte, 0, false));
    EXPECT_EQ(byte, 0x5A);  // nothing written before the buffer or into it
    Bytes big(600);
    EXPECT_FALSE(rig.op.VendorWriteChecked(big.data(), 600, false));
    EXPECT_TRUE(rig.driver.Transfers().empty());
}

TEST(VendorWriteChecked, OneTryOnly) {
    SimRig rig;
    rig.driver.Fail(kControl, 2);
    std::uint8_t frame[2] = {7, 0};
    EXPECT_FALSE(rig.op.VendorWriteChecked(frame, 2, false));
    EXPECT_EQ(rig.driver.Transfers(kControl).size(), 1u);
}

TEST(VendorTransfer, RefusesLengthsBeyondItsBuffer) {
    SimRig rig;
    Bytes big(513);
    EXPECT_FALSE(rig.op.VendorTransfer(0xEC, 0, 0, 0, big.data(), 513));
    EXPECT_FALSE(rig.op.VendorTransfer(0xEC, 0, 0, 0, big.data(), -1));
    EXPECT_TRUE(rig.driver.Transfers().empty());
    rig.op.VendorTransfer(0xEC, 0, 512, 0, big.data(), 512);  // the largest that fits goes out
    const auto sent = rig.driver.Transfers(kControl);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.wLength, 512);
}

TEST(VendorTransfer, InCopiesTheAnswerBack) {
    SimRig rig;
    rig.driver.Answer(kControl, {9, 8, 7, 6, 5, 4, 3, 2});
    std::array<std::uint8_t, 6> buffer{};
    buffer.fill(0xEE);
    ASSERT_TRUE(rig.op.VendorTransfer(0xED, 1, 0x0300, 0x0022, buffer.data(), 4));
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 6>{9, 8, 7, 6, 0xEE, 0xEE}));
    const auto sent = rig.driver.Transfers(kControl);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.bmRequestType, 0xC0);
    EXPECT_EQ(sent[0].header.wIndex, 0x0300);
    EXPECT_EQ(sent[0].header.wValue, 0x0022);
    EXPECT_EQ(sent[0].header.wLength, 4);
}

TEST(VendorReadChecked, RequestsLengthPlusOneWithLengthInIndexHighByte) {
    SimRig rig;
    rig.driver.Answer(kControl, {3, 0x10, 0x20, 0x30});
    std::array<std::uint8_t, 16> out{};
    EXPECT_TRUE(rig.op.VendorReadChecked(16, 0xED, out.data(), 0x0102, 16));
    EXPECT_EQ(out[0], 0x10);
    EXPECT_EQ(out[1], 0x20);
    EXPECT_EQ(out[2], 0x30);  // the check byte is copied too
    const auto sent = rig.driver.Transfers(kControl);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.bmRequestType, 0xC0);
    EXPECT_EQ(sent[0].header.bRequest, 0xED);
    EXPECT_EQ(sent[0].header.wIndex, 0x1000);
    EXPECT_EQ(sent[0].header.wValue, 0x0102);
    EXPECT_EQ(sent[0].header.wLength, 17);
}

struct AnswerCase {
    const char* name;
    Bytes answer;
    bool valid;
};

TEST(VendorReadChecked, CheckByteDecidesValidity) {
    const std::vector<AnswerCase> cases = {
        {"good check byte", {3, 0x10, 0x20, 0x30}, true},
        {"bad check byte", {3, 0x10, 0x20, 0x31}, false},
        {"no data", {0}, true},
        {"one byte is its own check", {1, 0x00}, true},
        {"sum wraps", {3, 0xF0, 0x20, 0x10}, true},
        {"count beyond the bytes asked for", {17, 1, 2, 3}, false},
        {"count beyond the answer buffer", {255, 1, 2, 3}, false},
        // Only what arrived counts: missing bytes are not zeros.
        {"count claims more than arrived", {2, 0x00}, false},
        {"last data byte missing", {3, 0x10, 0x20}, false},
        {"nothing arrived", {}, false},
    };
    for (const auto& c : cases) {
        SimRig rig;
        rig.driver.Answer(kControl, c.answer);
        std::array<std::uint8_t, 16> out{};
        EXPECT_EQ(rig.op.VendorReadChecked(16, 0xED, out.data(), 0, 16), c.valid) << c.name;
    }
}

TEST(VendorReadChecked, LargeCountNeverCopiesPastTheCallersRoom) {
    // The answer claims 127 bytes; the caller has room for 8.
    SimRig rig;
    Bytes answer(127, 0x44);
    answer[0] = 127;
    rig.driver.Answer(kControl, answer);
    Bytes out(12, 0xEE);
    EXPECT_FALSE(rig.op.VendorReadChecked(126, 0xED, out.data(), 0, 8));
    EXPECT_EQ(out, (Bytes{0x44, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44, 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(VendorReadChecked, LengthThatCannotFitTheAnswerFailsWithoutTraffic) {
    SimRig rig;
    Bytes out(200);
    EXPECT_FALSE(rig.op.VendorReadChecked(128, 0xED, out.data(), 0, 200));
    EXPECT_FALSE(rig.op.VendorReadChecked(-1, 0xED, out.data(), 0, 200));
    EXPECT_TRUE(rig.driver.Transfers().empty());
}

TEST(VendorReadChecked, SixTriesAtMost) {
    SimRig rig;
    rig.driver.Fail(kControl, 5);
    rig.driver.Answer(kControl, {1, 0x00});
    std::array<std::uint8_t, 4> out{};
    EXPECT_TRUE(rig.op.VendorReadChecked(4, 0xED, out.data(), 0, 4));
    EXPECT_EQ(rig.driver.Transfers(kControl).size(), 6u);

    rig.driver.ClearTransfers();
    rig.driver.Fail(kControl, 6);
    rig.driver.Answer(kControl, {1, 0x00});  // would be the seventh: never asked for
    EXPECT_FALSE(rig.op.VendorReadChecked(4, 0xED, out.data(), 0, 4));
    EXPECT_EQ(rig.driver.Transfers(kControl).size(), 6u);
}

TEST(ReadFirmwareId, ReadsSixteenBytesWithCodeE0) {
    SimRig rig;
    Bytes id(16);
    for (std::size_t i = 0; i < 16; ++i) id[i] = static_cast<std::uint8_t>(0xA0 + i);
    rig.driver.Answer(kControl, id);
    std::uint8_t out[16];
    rig.op.ReadFirmwareId(out);
    EXPECT_EQ(Bytes(out, out + 16), id);
    const auto sent = rig.driver.Transfers(kControl);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.bmRequestType, 0xC0);
    EXPECT_EQ(sent[0].header.bRequest, 0xE0);
    EXPECT_EQ(sent[0].header.wValue, 0);
    EXPECT_EQ(sent[0].header.wIndex, 0);
    EXPECT_EQ(sent[0].header.wLength, 16);
    EXPECT_EQ(sent[0].header.timeOutSeconds, 10u);  // no vendor transfer has set 1000 ms yet
}

TEST(ReadFirmwareId, KeepsTheTimeOutTheLastVendorTransferSet) {
    SimRig rig;
    std::uint8_t frame[2] = {1, 0};
    rig.op.VendorWriteChecked(frame, 2, false);
    rig.driver.ClearTransfers();
    std::uint8_t out[16];
    rig.op.ReadFirmwareId(out);
    const auto sent = rig.driver.Transfers(kControl);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].header.timeOutSeconds, 1u);
}

TEST(ReadFirmwareId, NotConnectedOrFailedLeavesZeros) {
    SimRig rig;
    std::uint8_t out[16];
    std::fill(std::begin(out), std::end(out), 0xEE);
    rig.op.connected = 0;
    rig.op.ReadFirmwareId(out);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(16, 0));
    EXPECT_TRUE(rig.driver.Transfers().empty());

    rig.op.connected = 1;
    rig.driver.Fail(kControl);
    std::fill(std::begin(out), std::end(out), 0xEE);
    rig.op.ReadFirmwareId(out);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(16, 0));
}

}  // namespace
}  // namespace velmor::controller
