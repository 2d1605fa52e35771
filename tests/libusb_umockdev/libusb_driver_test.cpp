// The libusb backend against controllers emulated under umockdev: the port's
// requests go through an unchanged libusb and usbfs to the simulated controller
// model, as they would to a real controller.

#include "drivers/libusb/libusb_driver.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <random>

#include "config/command_list_update.h"
#include "config/image_download.h"
#include "drivers/libusb/libusb_texts.h"
#include "libusb_rig.h"
#include "registers/flash_reg.h"
#include "support/controller_traffic.h"
#include "support/request_blocks.h"
#include "usb/ioctl_codes.h"
#include "usb/xfer_layout.h"

namespace velmor::libusb {
namespace {

using testing::LibusbRig;
using testing::MakeLibusbDriver;
using testing::UsbfsMock;
using Bytes = std::vector<std::uint8_t>;
using testing::BufferedBlock;
using testing::RandomBytes;

TEST(LibusbEnumeration, ListsOnlyMatchingDevicesAndOpensThemWithTheirDescriptors) {
    UsbfsMock mock;
    mock.AddDevice();
    sim::SimDeviceOptions stranger;
    stranger.productId = 0x1234;
    stranger.deviceName = "Some Other Device";
    mock.AddDevice(stranger);
    sim::SimDeviceOptions usb2;
    usb2.bcdUSB = 0x0210;
    usb2.deviceName = "Second Controller";
    mock.AddDevice(usb2);

    auto driver = MakeLibusbDriver();
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->EnumerateInterfaces(usb::kVendorInterfaceClass),
              (std::vector<std::string>{mock.Path(0), mock.Path(2)}));
    EXPECT_TRUE(driver->EnumerateInterfaces(usb::Guid{}).empty());

    usb::CUsbLink link(*driver, 0, usb::kVendorInterfaceClass, false);
    EXPECT_EQ(link.CountDevices(), 2);
    ASSERT_TRUE(link.OpenDevice(0));
    EXPECT_EQ(link.VendorID, 0x5A17);
    EXPECT_EQ(link.ProductID, 0x00F1);
    EXPECT_EQ(link.BcdUSB, 0x0300);
    EXPECT_TRUE(link.bSuperSpeed);
    EXPECT_EQ(link.USBAddress, 2);
    EXPECT_STREQ(link.DeviceName.data(), "VelmorTool USB3 Controller");
    ASSERT_NE(link.BulkOutEndPt, nullptr);
    EXPECT_EQ(link.BulkOutEndPt->Address, 0x02);
    ASSERT_NE(link.BulkInEndPt, nullptr);
    EXPECT_EQ(link.BulkInEndPt->Address, 0x82);

    ASSERT_TRUE(link.OpenDevice(1));
    EXPECT_EQ(link.BcdUSB, 0x0210);
    EXPECT_TRUE(link.bHighSpeed);
    EXPECT_EQ(link.USBAddress, 4);
    EXPECT_STREQ(link.DeviceName.data(), "Second Controller");

    // --match brings in the stranger; a product string narrows an ID.
    std::vector<DeviceId> ids = BuiltInDeviceIds();
    ids.push_back({0x5A17, 0x1234, "Not Its Name"});
    auto narrowed = MakeLibusbDriver(ids);
    EXPECT_EQ(narrowed->EnumerateInterfaces(usb::kVendorInterfaceClass).size(), 2u);
    ids.push_back({0x5A17, 0x1234, "Some Other Device"});
    auto widened = MakeLibusbDriver(ids);
    EXPECT_EQ(widened->EnumerateInterfaces(usb::kVendorInterfaceClass).size(), 3u);
}

TEST(LibusbEnumeration, NoDeviceAndBadPathsFailClearly) {
    UsbfsMock mock;
    auto driver = MakeLibusbDriver();
    ASSERT_TRUE(driver);
    EXPECT_TRUE(driver->EnumerateInterfaces(usb::kVendorInterfaceClass).empty());
    std::uint32_t error = 0;
    EXPECT_EQ(driver->Open("usb:001:002", error), usb::kInvalidHandle);
    EXPECT_EQ(error, usb::error::kFileNotFound);
    EXPECT_NE(driver->LastErrorText().find("no longer connected"), std::string::npos);
    EXPECT_EQ(driver->Open("sim:0", error), usb::kInvalidHandle);
    EXPECT_EQ(driver->Close(12345), usb::error::kInvalidHandle);
}

TEST(LibusbEnumeration, AClaimedInterfaceIsReportedAsBusy) {
    UsbfsMock mock;
    mock.AddDevice();
    mock.SetInterfaceBusy(0, true);
    auto driver = MakeLibusbDriver();
    std::uint32_t error = 0;
    EXPECT_EQ(driver->Open(mock.Path(0), error), usb::kInvalidHandle);
    EXPECT_EQ(error, error::kBusy);
    EXPECT_NE(driver->LastErrorText().find("claimed by another program"), std::string::npos);
    mock.SetInterfaceBusy(0, false);
    const usb::DriverHandle handle = driver->Open(mock.Path(0), error);
    EXPECT_NE(handle, usb::kInvalidHandle);
    EXPECT_EQ(driver->Close(handle), usb::error::kSuccess);
}

TEST(LibusbController, VendorRequestCarriesItsCheckByte) {
    LibusbRig rig;
    ASSERT_TRUE(rig.op.Device() && rig.op.Device()->IsOpen());
    std::uint8_t frame[6] = {0x57, 0x4C, 0x2F, 0x20, 0x55, 0};
    ASSERT_TRUE(rig.op.VendorWriteChecked(frame, 6, false));
    // 0x57 + 0x4C + 0x2F + 0x20 + 0x55 = 0x147: the check byte is its low byte.
    ASSERT_EQ(rig.Controller().VendorFrames().size(), 1u);
    EXPECT_EQ(rig.Controller().VendorFrames()[0], (Bytes{0x57, 0x4C, 0x2F, 0x20, 0x55, 0x47}));

    std::uint8_t id[16] = {};
    rig.op.ReadFirmwareId(id);
    EXPECT_TRUE(std::equal(std::begin(id), std::end(id),
                           sim::SimControllerModel::kFirmwareIdentity.begin()));
}

TEST(LibusbController, RegisterWriteAndRead) {
    LibusbRig rig;
    testing::ExpectRegistersRoundTrip(rig.op, rig.Controller());
}

TEST(LibusbController, FlashWriteAndReadOf5000Bytes) {
    LibusbRig rig;
    testing::ExpectFlashRoundTripOf5000Bytes(rig.op, rig.Controller());
}

TEST(LibusbController, StartImageDownloadVerifiesAndReadsBack) {
    LibusbRig rig;
    testing::ExpectStartImageDownloadAndReadBack(rig.op, rig.Controller());
}

TEST(LibusbController, ATimedOutTransferIsAbortedAndTheNextOneWorks) {
    LibusbRig rig;
    rig.Controller().SetReg(0x4001, 0x5A);
    // The read command hangs until aborted (set under the controller's lock, as the
    // emulation answers on a thread of its own).
    rig.Controller().ChangeFaults(
        [](sim::SimFaults& faults, sim::SimFlashFaults&) { faults.timeoutTransfers = 1; });
    std::uint8_t value = 0;
    // The first try times out after a second and is aborted; the second try works.
    ASSERT_TRUE(rig.op.ReadRegs(0x4001, &value, 1));
    EXPECT_EQ(value, 0x5A);
    int left = -1;
    rig.Controller().ChangeFaults(
        [&left](sim::SimFaults& faults, sim::SimFlashFaults&) { left = faults.timeoutTransfers; });
    EXPECT_EQ(left, 0);
}

class LibusbPort : public ::testing::Test {
  protected:
    void SetUp() override {
        mock.AddDevice();
        driver = MakeLibusbDriver();
        ASSERT_TRUE(driver);
        std::uint32_t error = 0;
        handle = driver->Open(mock.Path(0), error);
        ASSERT_NE(handle, usb::kInvalidHandle) << driver->LastErrorText();
    }
    void TearDown() override {
        if (driver && handle != usb::kInvalidHandle) driver->Close(handle);
    }

    // Starts a buffered read on 0x82 that hangs (time-out fault) until it ends.
    std::uint32_t StartHangingRead(Bytes& block, usb::Overlapped& overlapped) {
        // Under the controller's lock: the emulation answers on a thread of its own.
        mock.Device(0).Controller().ChangeFaults(
            [](sim::SimFaults& faults, sim::SimFlashFaults&) { faults.timeoutTransfers = 1; });
        block = BufferedBlock(0x82, Bytes(64));
        std::uint32_t bytes = 0;
        return driver->IoControl(handle, usb::ioctl::kSendBufferedTransfer, block, block, bytes,
                                 &overlapped);
    }

    UsbfsMock mock;
    std::unique_ptr<LibusbDriver> driver;
    usb::DriverHandle handle = usb::kInvalidHandle;
};

TEST_F(LibusbPort, AbortCompletesTheHangingTransferWith995) {
    Bytes block;
    usb::Overlapped overlapped;
    ASSERT_EQ(StartHangingRead(block, overlapped), usb::error::kIoPending);
    EXPECT_EQ(driver->WaitForCompletion(overlapped, 50), usb::WaitResult::TimedOut);
    std::uint8_t endpoint = 0x82;
    std::uint32_t bytes = 0;
    ASSERT_EQ(driver->IoControl(handle, usb::ioctl::kAbortPipe, {&endpoint, 1}, {}, bytes, nullptr),
              usb::error::kSuccess);
    // The abort returns once the request has completed.
    ASSERT_TRUE(overlapped.Done());
    std::uint32_t error = 0;
    EXPECT_FALSE(driver->GetOverlappedResult(handle, overlapped, bytes, error));
    EXPECT_EQ(error, usb::error::kOperationAborted);
    EXPECT_EQ(usb::GetLe32(block.data() + usb::kXferUsbdStatusOffset), usb::status::kUsbdCanceled);
}

TEST_F(LibusbPort, UnplugDuringATransferEndsItWith1167AndSaysSo) {
    Bytes block;
    usb::Overlapped overlapped;
    ASSERT_EQ(StartHangingRead(block, overlapped), usb::error::kIoPending);
    mock.Unplug(0);
    ASSERT_EQ(driver->WaitForCompletion(overlapped, usb::kInfinite), usb::WaitResult::Signalled);
    std::uint32_t bytes = 0;
    std::uint32_t error = 0;
    EXPECT_FALSE(driver->GetOverlappedResult(handle, overlapped, bytes, error));
    EXPECT_EQ(error, usb::error::kDeviceNotConnected);
    EXPECT_NE(driver->LastErrorText().find("unplugged during a transfer"), std::string::npos);

    // Later requests fail at once instead of hanging.
    Bytes next = BufferedBlock(0x02, Bytes{1, 2, 3, 4});
    usb::Overlapped second;
    EXPECT_EQ(
        driver->IoControl(handle, usb::ioctl::kSendBufferedTransfer, next, next, bytes, &second),
        usb::error::kDeviceNotConnected);
    EXPECT_EQ(driver->Close(handle), usb::error::kSuccess);
    handle = usb::kInvalidHandle;
}

TEST_F(LibusbPort, AStalledRequestFailsWithTheStallStatusAndTheEndpointRecovers) {
    // A class request the controller does not know: it stalls the control endpoint.
    usb::XferRequest h;
    h.bmRequestType = 0xA1;
    h.bRequest = 0x01;
    h.wLength = 4;
    h.timeOutSeconds = 1;
    h.bufferOffset = usb::kXferHeaderSize;
    h.bufferLength = 4;
    Bytes block = usb::MakeRequestBlock(h, 0, 4);
    std::uint32_t bytes = 0;
    EXPECT_EQ(
        driver->IoControl(handle, usb::ioctl::kSendControlTransfer, block, block, bytes, nullptr),
        usb::error::kGenFailure);
    EXPECT_EQ(usb::GetLe32(block.data() + usb::kXferUsbdStatusOffset), usb::status::kUsbdStall);
    EXPECT_NE(driver->LastErrorText().find("stalled"), std::string::npos);

    // GET_STATUS right after answers normally.
    h.bmRequestType = 0x80;
    h.bRequest = 0x00;
    h.wLength = 2;
    h.bufferLength = 2;
    block = usb::MakeRequestBlock(h, 0, 2);
    EXPECT_EQ(
        driver->IoControl(handle, usb::ioctl::kSendControlTransfer, block, block, bytes, nullptr),
        usb::error::kSuccess);
    EXPECT_EQ(bytes, usb::kXferHeaderSize + 2);
}

TEST_F(LibusbPort, MalformedAndIsochronousBlocksAreRefusedWithoutSubmitting) {
    const std::size_t before = mock.Submitted(0);
    Bytes shortBlock(10);
    std::uint32_t bytes = 0;
    usb::Overlapped overlapped;
    EXPECT_EQ(driver->IoControl(handle, usb::ioctl::kSendBufferedTransfer, shortBlock, shortBlock,
                                bytes, &overlapped),
              usb::error::kInvalidParameter);
    Bytes beyond = BufferedBlock(0x82, Bytes(8));
    usb::PutLe32(beyond.data() + 34, 9);  // bufferLength past the block
    EXPECT_EQ(driver->IoControl(handle, usb::ioctl::kSendBufferedTransfer, beyond, beyond, bytes,
                                &overlapped),
              usb::error::kInvalidParameter);
    Bytes unknown = BufferedBlock(0x83, Bytes(8));
    EXPECT_EQ(driver->IoControl(handle, usb::ioctl::kSendBufferedTransfer, unknown, unknown, bytes,
                                &overlapped),
              usb::error::kInvalidParameter);
    Bytes iso = BufferedBlock(0x82, Bytes(8));
    usb::PutLe32(iso.data() + 26, 8);  // one packet descriptor
    EXPECT_EQ(
        driver->IoControl(handle, usb::ioctl::kSendBufferedTransfer, iso, iso, bytes, &overlapped),
        error::kNotSupported);
    EXPECT_NE(driver->LastErrorText().find("isochronous"), std::string::npos);
    EXPECT_FALSE(overlapped.Done());
    EXPECT_EQ(mock.Submitted(0), before);
}

TEST_F(LibusbPort, CloseEndsPendingRequestsWith995) {
    Bytes block;
    usb::Overlapped overlapped;
    ASSERT_EQ(StartHangingRead(block, overlapped), usb::error::kIoPending);
    EXPECT_EQ(driver->Close(handle), usb::error::kSuccess);
    handle = usb::kInvalidHandle;
    std::uint32_t bytes = 0;
    std::uint32_t error = 0;
    ASSERT_TRUE(overlapped.Done());
    EXPECT_FALSE(overlapped.Result(bytes, error));
    EXPECT_EQ(error, usb::error::kOperationAborted);
}

TEST(LibusbHotplug, ArrivalAndRemovalReachTheListener) {
    UsbfsMock mock;
    auto driver = MakeLibusbDriver();
    ASSERT_TRUE(driver);
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<bool> events;
    driver->SetHotplugListener([&](bool arrived) {
        std::lock_guard lock(mutex);
        events.push_back(arrived);
        changed.notify_all();
    });
    const usb::NotificationHandle notification =
        driver->RegisterInterfaceNotification(1, usb::kVendorInterfaceClass);
    ASSERT_NE(notification, 0u);

    const auto waitFor = [&](std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10),
                                [&] { return events.size() >= count; });
    };
    mock.AddDevice();
    ASSERT_TRUE(waitFor(1));
    EXPECT_EQ(driver->EnumerateInterfaces(usb::kVendorInterfaceClass),
              (std::vector<std::string>{mock.Path(0)}));
    mock.Unplug(0);
    ASSERT_TRUE(waitFor(2));
    EXPECT_TRUE(driver->EnumerateInterfaces(usb::kVendorInterfaceClass).empty());
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(events, (std::vector<bool>{true, false}));
    }
    EXPECT_TRUE(driver->UnregisterNotification(notification));
}

}  // namespace
}  // namespace velmor::libusb
