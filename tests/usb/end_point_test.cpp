// Transfers on single endpoints: the request blocks byte for byte, packet sizes
// from descriptors, and how RunTransfer reports each way a transfer can end.

#include <gtest/gtest.h>

#include <array>
#include <numeric>

#include "support/fake_driver.h"
#include "usb/ioctl_codes.h"
#include "usb/usb_end_point.h"

namespace velmor::usb::test {
namespace {

Bytes Le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

// A request block written out field by field, independent of the layer's encoder.
Bytes Block(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
            std::uint16_t index, std::uint16_t wLength, std::uint32_t seconds, std::uint8_t address,
            std::uint32_t packetOffset, std::uint32_t packetLength, std::uint32_t dataOffset,
            std::uint32_t dataLength) {
    Bytes b{requestType,
            request,
            static_cast<std::uint8_t>(value),
            static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(index),
            static_cast<std::uint8_t>(index >> 8),
            static_cast<std::uint8_t>(wLength),
            static_cast<std::uint8_t>(wLength >> 8)};
    const auto append = [&b](const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); };
    append(Le32(seconds));
    b.push_back(0);
    b.push_back(address);
    append(Le32(0));  // NT status
    append(Le32(0));  // USBD status
    append(Le32(packetOffset));
    append(Le32(packetLength));
    append(Le32(dataOffset));
    append(Le32(dataLength));
    return b;
}

Bytes EndPointDescriptor(std::uint8_t address, std::uint8_t attributes, std::uint16_t size) {
    return {7,
            5,
            address,
            attributes,
            static_cast<std::uint8_t>(size),
            static_cast<std::uint8_t>(size >> 8),
            0};
}

class EndPointTest : public ::testing::Test {
  protected:
    void SetUp() override {
        driver.AddDevice(ControllerDevice());
        std::uint32_t error = 0;
        handle = driver.Open("fake-0", error);
        ASSERT_NE(handle, kInvalidHandle);
    }

    CControlEndPoint Control() {
        const Bytes d = EndPointDescriptor(0, 0, 512);
        return CControlEndPoint(driver, handle, d);
    }

    FakeDriver driver;
    DriverHandle handle = kInvalidHandle;
};

TEST_F(EndPointTest, ControlOutBlockCarriesSetupTimeOutAndData) {
    CControlEndPoint control = Control();
    control.ReqCode = 0xEC;
    control.Value = 0x1234;
    control.Index = 0x5678;
    control.TimeOut = 1000;
    std::array<std::uint8_t, 3> data{1, 2, 3};
    std::uint32_t length = 3;
    ASSERT_TRUE(control.RunTransfer(data.data(), length));
    EXPECT_EQ(length, 3u);

    const auto calls = driver.CallsWith(ioctl::kSendControlTransfer);
    ASSERT_EQ(calls.size(), 1u);
    Bytes expected = Block(0x40, 0xEC, 0x1234, 0x5678, 3, 1, 0, 0, 0, 38, 3);
    expected.insert(expected.end(), {1, 2, 3});
    EXPECT_EQ(calls[0].input, expected);
    EXPECT_TRUE(calls[0].overlapped);
}

TEST_F(EndPointTest, ControlInCopiesTheAnswerIntoTheCallersBuffer) {
    CControlEndPoint control = Control();
    control.Direction = 1;
    control.ReqCode = 0xE0;
    driver.Script(AtOnce({0xA1, 0xA2, 0xA3, 0xA4}));
    std::array<std::uint8_t, 16> data{};
    std::uint32_t length = 16;
    ASSERT_TRUE(control.RunTransfer(data.data(), length));
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(control.bytesWritten, 4u);
    EXPECT_EQ(control.bIn, 1);
    EXPECT_EQ(data[0], 0xA1);
    EXPECT_EQ(data[3], 0xA4);
    EXPECT_EQ(data[4], 0);
    const auto calls = driver.CallsWith(ioctl::kSendControlTransfer);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].input.size(), 38u + 16u);
    EXPECT_EQ(calls[0].input[0], 0xC0);
    EXPECT_EQ(calls[0].input[8], 10);  // 10000 ms default
}

TEST_F(EndPointTest, ControlRequestTypeByteFromDirectionTypeAndRecipient) {
    struct Case {
        std::uint32_t direction, type, recipient;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {0, 0, 0, 0x00}, {1, 2, 0, 0xC0},    {1, 1, 2, 0xA2},
        {0, 2, 3, 0x43}, {1, 3, 0x25, 0xE5},  // out-of-range fields are masked
    };
    for (const Case& c : cases) {
        CControlEndPoint control = Control();
        control.Direction = c.direction;
        control.ReqType = c.type;
        control.Target = c.recipient;
        std::uint8_t byte = 0;
        std::uint32_t length = 1;
        driver.ClearCalls();
        control.RunTransfer(&byte, length);
        const auto calls = driver.CallsWith(ioctl::kSendControlTransfer);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].input[0], c.expected)
            << c.direction << "/" << c.type << "/" << c.recipient;
    }
}

TEST_F(EndPointTest, ControlTimeOutSecondsRule) {
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {0, 0}, {1, 1}, {999, 1}, {1000, 1}, {1999, 1}, {2000, 2}, {10000, 10}, {65535, 65}};
    for (const auto& [ms, seconds] : cases) {
        CControlEndPoint control = Control();
        control.TimeOut = ms;
        std::uint8_t byte = 0;
        std::uint32_t length = 1;
        driver.ClearCalls();
        control.RunTransfer(&byte, length);
        const auto calls = driver.CallsWith(ioctl::kSendControlTransfer);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(Bytes(calls[0].input.begin() + 8, calls[0].input.begin() + 12), Le32(seconds))
            << ms << " ms";
    }
}

TEST_F(EndPointTest, ControlWithoutOpenHandleSendsNothing) {
    const Bytes d = EndPointDescriptor(0, 0, 64);
    CControlEndPoint control(driver, kInvalidHandle, d);
    std::uint8_t byte = 0;
    std::uint32_t length = 1;
    EXPECT_FALSE(control.RunTransfer(&byte, length));
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(control.LastError, error::kInvalidHandle);
    EXPECT_TRUE(driver.Calls().empty());
}

TEST_F(EndPointTest, DirectBulkOutSendsBareBlockAndCallersBuffer) {
    const Bytes d = EndPointDescriptor(0x02, 2, 1024);
    CBulkEndPoint out(driver, handle, d);
    ASSERT_EQ(out.XferMode, kXferModeDirect);
    std::array<std::uint8_t, 5> data{0x11, 0x22, 0x33, 0x44, 0x55};
    std::uint32_t length = 5;
    ASSERT_TRUE(out.RunTransfer(data.data(), length));
    EXPECT_EQ(length, 5u);

    const auto calls = driver.CallsWith(ioctl::kDirectTransfer);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].input, Block(0, 0, 0, 0, 0, 0, 0x02, 0, 0, 0, 0));
    EXPECT_EQ(calls[0].output, Bytes(data.begin(), data.end()));
}

TEST_F(EndPointTest, DirectBulkInReceivesIntoCallersBuffer) {
    const Bytes d = EndPointDescriptor(0x82, 2, 1024);
    CBulkEndPoint in(driver, handle, d);
    driver.Script(AtOnce({9, 8, 7}));
    std::array<std::uint8_t, 16> data{};
    std::uint32_t length = 16;
    ASSERT_TRUE(in.RunTransfer(data.data(), length));
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(data[0], 9);
    EXPECT_EQ(data[2], 7);
    EXPECT_EQ(driver.CallsWith(ioctl::kDirectTransfer)[0].input,
              Block(0, 0, 0, 0, 0, 0, 0x82, 0, 0, 0, 0));
}

TEST_F(EndPointTest, BufferedBulkCarriesDataAtOffset38) {
    const Bytes d = EndPointDescriptor(0x02, 2, 512);
    CBulkEndPoint out(driver, handle, d);
    out.XferMode = kXferModeBuffered;
    std::array<std::uint8_t, 4> data{0xDE, 0xAD, 0xBE, 0xEF};
    std::uint32_t length = 4;
    ASSERT_TRUE(out.RunTransfer(data.data(), length));
    EXPECT_EQ(length, 4u);

    const auto calls = driver.CallsWith(ioctl::kSendBufferedTransfer);
    ASSERT_EQ(calls.size(), 1u);
    Bytes expected = Block(0, 0, 0, 0, 0, 0, 0x02, 0, 0, 38, 4);
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(calls[0].input, expected);
}

TEST_F(EndPointTest, BufferedInterruptInCopiesOnlyWhatArrived) {
    const Bytes d = EndPointDescriptor(0x83, 3, 64);
    CInterruptEndPoint in(driver, handle, d);
    in.XferMode = kXferModeBuffered;
    driver.Script(AtOnce({1, 2}));
    std::array<std::uint8_t, 8> data;
    data.fill(0xEE);
    std::uint32_t length = 8;
    ASSERT_TRUE(in.RunTransfer(data.data(), length));
    EXPECT_EQ(length, 2u);
    EXPECT_EQ((std::array<std::uint8_t, 3>{data[0], data[1], data[2]}),
              (std::array<std::uint8_t, 3>{1, 2, 0xEE}));
}

TEST_F(EndPointTest, IsochronousDirectDescribesOnePacketPerMaxPacket) {
    const Bytes d = EndPointDescriptor(0x81, 1, 100);
    CIsocEndPoint iso(driver, handle, d);
    Bytes data(250, 0x5A);
    std::uint32_t length = 250;
    std::array<IsoPacketInfo, 3> packets{};
    ASSERT_TRUE(iso.RunTransfer(data.data(), length, packets.data()));

    const auto calls = driver.CallsWith(ioctl::kDirectTransfer);
    ASSERT_EQ(calls.size(), 1u);
    Bytes expected = Block(0, 0, 0, 0, 0, 0, 0x81, 38, 24, 0, 0);
    for (std::uint32_t offset : {0u, 100u, 200u}) {
        const Bytes o = Le32(offset);
        expected.insert(expected.end(), o.begin(), o.end());
        expected.insert(expected.end(), {0, 0, 0, 0});
    }
    EXPECT_EQ(calls[0].input, expected);
    EXPECT_EQ(calls[0].output.size(), 250u);
    // The packet results the driver wrote back into the block.
    for (std::uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(packets[i].length, 0x100 + i);
        EXPECT_EQ(packets[i].status, i);
    }
}

TEST_F(EndPointTest, IsochronousBufferedPutsDataAfterThePackets) {
    const Bytes d = EndPointDescriptor(0x01, 1, 100);
    CIsocEndPoint iso(driver, handle, d);
    iso.XferMode = kXferModeBuffered;
    Bytes data(150);
    std::iota(data.begin(), data.end(), std::uint8_t{0});
    std::uint32_t length = 150;
    ASSERT_TRUE(iso.RunTransfer(data.data(), length));
    EXPECT_EQ(length, 150u);

    const auto calls = driver.CallsWith(ioctl::kSendBufferedTransfer);
    ASSERT_EQ(calls.size(), 1u);
    Bytes expected = Block(0, 0, 0, 0, 0, 0, 0x01, 38, 16, 54, 150);
    for (std::uint32_t offset : {0u, 100u}) {
        const Bytes o = Le32(offset);
        expected.insert(expected.end(), o.begin(), o.end());
        expected.insert(expected.end(), {0, 0, 0, 0});
    }
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(calls[0].input, expected);
}

TEST_F(EndPointTest, IsochronousWithoutPacketsSendsNothing) {
    const Bytes zeroSize = EndPointDescriptor(0x81, 1, 0);
    CIsocEndPoint noSize(driver, handle, zeroSize);
    Bytes data(10);
    std::uint32_t length = 10;
    EXPECT_FALSE(noSize.RunTransfer(data.data(), length));
    EXPECT_EQ(length, 0u);

    const Bytes d = EndPointDescriptor(0x81, 1, 100);
    CIsocEndPoint iso(driver, handle, d);
    length = 0;
    EXPECT_FALSE(iso.RunTransfer(data.data(), length));
    EXPECT_TRUE(driver.Calls().empty());
}

TEST_F(EndPointTest, PacketSizeFromDescriptorAndCompanion) {
    struct Case {
        std::uint8_t attributes;
        std::uint16_t wMaxPacketSize;
        bool companion;
        std::uint8_t maxBurst, companionAttributes;
        std::uint16_t maxPacket, perFrame;
    };
    const Case cases[] = {
        {2, 512, false, 0, 0, 512, 1},
        {1, 0x1400, false, 0, 0, 3072, 3},     // 3 × 1024 per microframe
        {2, 1024, true, 3, 0, 4096, 1},        // burst of 4
        {1, 1024, true, 1, 2, 6144, 1},        // burst 2 × mult 3
        {3, 1024, true, 2, 2, 3072, 1},        // the multiplier counts for isochronous only
        {1, 0x1FFF, true, 255, 3, 0xFFFF, 4},  // hostile: saturates instead of wrapping
    };
    for (const Case& c : cases) {
        const Bytes d = EndPointDescriptor(0x81, c.attributes, c.wMaxPacketSize);
        const Bytes companion{6, 0x30, c.maxBurst, c.companionAttributes, 0, 0};
        CBulkEndPoint ep(driver, handle, d,
                         c.companion ? std::span(companion) : std::span<const std::uint8_t>());
        EXPECT_EQ(ep.MaxPktSize, c.maxPacket) << c.wMaxPacketSize << " burst " << int(c.maxBurst);
        EXPECT_EQ(ep.PktsPerFrame, c.perFrame);
        EXPECT_EQ(ep.ssmaxburst, c.companion ? c.maxBurst : 0);
        EXPECT_EQ(ep.bIn, 1);
    }
}

// A transfer delivering {1, 2} whose driver reports `bytes` moved.
TransferScript Overcounted(std::uint32_t bytes) {
    TransferScript s = AtOnce({1, 2});
    s.bytesReturned = bytes;
    return s;
}

class RunTransferTest : public EndPointTest {
  protected:
    void SetUp() override {
        EndPointTest::SetUp();
        in = std::make_unique<CBulkEndPoint>(driver, handle, EndPointDescriptor(0x82, 2, 1024));
    }
    std::unique_ptr<CBulkEndPoint> in;
    std::array<std::uint8_t, 16> data{};
    std::uint32_t length = 16;
};

TEST_F(RunTransferTest, PendingTransferCompletedFromAnotherThread) {
    driver.Script(Later({4, 5, 6}));
    in->TimeOut = 5000;
    ASSERT_TRUE(in->RunTransfer(data.data(), length));
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(data[2], 6);
    EXPECT_EQ(driver.Waits(), std::vector<std::uint32_t>{5000});
    EXPECT_TRUE(driver.CallsWith(ioctl::kAbortPipe).empty());
}

TEST_F(RunTransferTest, DriverRefusalFailsWithoutWaiting) {
    driver.Script(Failing(error::kDeviceNotConnected));
    EXPECT_FALSE(in->RunTransfer(data.data(), length));
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(in->LastError, error::kDeviceNotConnected);
    EXPECT_TRUE(driver.Waits().empty());
}

TEST_F(RunTransferTest, TimeOutAbortsTheEndPointAndReportsFalse) {
    driver.Script(NeverUntilAborted());
    in->TimeOut = 50;
    EXPECT_FALSE(in->RunTransfer(data.data(), length));
    EXPECT_EQ(length, 0u);
    const auto aborts = driver.CallsWith(ioctl::kAbortPipe);
    ASSERT_EQ(aborts.size(), 1u);
    EXPECT_EQ(aborts[0].input, Bytes{0x82});
    // Waited the time-out, then without limit until the driver let go.
    EXPECT_EQ(driver.Waits(), (std::vector<std::uint32_t>{50, kInfinite}));
    EXPECT_EQ(in->LastError, error::kSemTimeout);
}

TEST_F(RunTransferTest, TimeOutReportsFalseEvenWhenTheAbortLetsItFinish) {
    driver.Script(NeverUntilAborted({7, 7}, true));
    in->TimeOut = 50;
    EXPECT_FALSE(in->RunTransfer(data.data(), length));
    EXPECT_EQ(length, 2u);  // what moved is still reported
    EXPECT_EQ(driver.CallsWith(ioctl::kAbortPipe).size(), 1u);
    EXPECT_EQ(in->NtStatus, 0u);
    EXPECT_EQ(in->UsbdStatus, 0u);
}

TEST_F(RunTransferTest, StatusFromTheBlockFailsTheTransfer) {
    TransferScript refused = AtOnce({1});
    refused.ntStatus = 0xC0000001;
    refused.usbdStatus = 0xC0000004;
    driver.Script(refused);
    EXPECT_FALSE(in->RunTransfer(data.data(), length));
    EXPECT_EQ(in->NtStatus, 0xC0000001u);
    EXPECT_EQ(in->UsbdStatus, 0xC0000004u);
    EXPECT_EQ(in->LastError, 0u);
}

TEST_F(RunTransferTest, DriverOverstatingTheCountNeverOverrunsTheBuffer) {
    // Direct: the count is capped at the caller's length.
    driver.Script(Overcounted(5000));
    EXPECT_TRUE(in->RunTransfer(data.data(), length));
    EXPECT_EQ(length, 16u);

    // Buffered: the copy out of the block is capped too.
    in->XferMode = kXferModeBuffered;
    length = 16;
    driver.Script(Overcounted(38 + 5000));
    EXPECT_TRUE(in->RunTransfer(data.data(), length));
    EXPECT_EQ(length, 16u);

    // A count below the data offset means nothing moved.
    length = 16;
    driver.Script(Overcounted(20));
    EXPECT_TRUE(in->RunTransfer(data.data(), length));
    EXPECT_EQ(length, 0u);
}

TEST_F(RunTransferTest, NullBufferWithLengthIsRefused) {
    EXPECT_FALSE(in->RunTransfer(nullptr, length));
    EXPECT_EQ(in->LastError, error::kInvalidParameter);
    EXPECT_TRUE(driver.Calls().empty());
}

}  // namespace
}  // namespace velmor::usb::test
