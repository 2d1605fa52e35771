// The vendor-driver backend and the real USB layer over Windows calls answered
// by the simulated controller (sim_win32_api.h): the same request blocks a real
// driver gets, real events, overlapped results as Windows gives them.

#include "drivers/win/win_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>

#include "config/image_download.h"
#include "config/start_image.h"
#include "controller/main_operation.h"
#include "drivers/win/win_texts.h"
#include "registers/flash_reg.h"
#include "sim_win32_api.h"
#include "support/controller_traffic.h"
#include "support/request_blocks.h"
#include "usb/ioctl_codes.h"
#include "usb/usb_link.h"
#include "usb/xfer_layout.h"

namespace velmor::win {
namespace {

using testing::SimWin32Api;
using Bytes = std::vector<std::uint8_t>;
using testing::BufferedBlock;
using testing::RandomBytes;

// A controller object on a CUsbLink over the backend, device 0 open.
struct WinRig {
    explicit WinRig(bool answerLater, const std::vector<sim::SimDeviceOptions>& devices = {{}}) {
        for (const auto& options : devices) sim.AddDevice(options);
        api.AnswerLater(answerLater);
        op.SetDevice(std::make_unique<usb::CUsbLink>(driver, usb::WindowId{0},
                                                     usb::kVendorInterfaceClass, true));
        op.deviceOpened = op.Device()->IsOpen() ? 1 : 0;
        op.connected = op.deviceOpened;
        Controller().ClearWriteLog();
    }
    ~WinRig() { op.SetDevice(nullptr); }  // the link goes before the driver

    sim::SimController& Controller() { return sim.Device(0).Controller(); }
    void HangNextTransfer() {
        // Locked: with answers from the fake's thread the model runs there.
        Controller().ChangeFaults(
            [](sim::SimFaults& faults, sim::SimFlashFaults&) { faults.timeoutTransfers = 1; });
    }

    sim::SimDriver sim;
    SimWin32Api api{sim};
    WinDriver driver{api};
    controller::CMainOperation op;
};

TEST(WinEnumeration, ListsTheInterfacePathsAndOpensEachWithItsDescriptors) {
    sim::SimDriver sim;
    sim.AddDevice();
    sim::SimDeviceOptions usb2;
    usb2.bcdUSB = 0x0210;
    usb2.deviceName = "Second Controller";
    sim.AddDevice(usb2);
    SimWin32Api api(sim);
    WinDriver driver(api);

    EXPECT_EQ(
        driver.EnumerateInterfaces(usb::kVendorInterfaceClass),
        (std::vector<std::string>{SimWin32Api::InterfacePath(0), SimWin32Api::InterfacePath(1)}));
    EXPECT_TRUE(driver.EnumerateInterfaces(usb::Guid{}).empty());
    EXPECT_EQ(api.OpenDeviceLists(), 0);

    usb::CUsbLink link(driver, 0, usb::kVendorInterfaceClass, false);
    EXPECT_EQ(link.CountDevices(), 2);
    ASSERT_TRUE(link.OpenDevice(1));  // its path is not ASCII
    EXPECT_EQ(link.DevPath, SimWin32Api::InterfacePath(1));
    EXPECT_EQ(link.BcdUSB, 0x0210);
    EXPECT_TRUE(link.bHighSpeed);
    EXPECT_STREQ(link.DeviceName.data(), "Second Controller");

    ASSERT_TRUE(link.OpenDevice(0));
    EXPECT_EQ(link.VendorID, 0x5A17);
    EXPECT_EQ(link.ProductID, 0x00F1);
    EXPECT_TRUE(link.bSuperSpeed);
    EXPECT_STREQ(link.DeviceName.data(), "VelmorTool USB3 Controller");
    ASSERT_NE(link.BulkOutEndPt, nullptr);
    EXPECT_EQ(link.BulkOutEndPt->Address, 0x02);
    ASSERT_NE(link.BulkInEndPt, nullptr);
    EXPECT_EQ(link.BulkInEndPt->Address, 0x82);
    link.CloseDevice();

    sim.Device(0).Unplug();
    EXPECT_EQ(link.CountDevices(), 1);
    EXPECT_FALSE(link.OpenDevice(1));
    EXPECT_EQ(api.OpenDeviceLists(), 0);
}

TEST(WinOpen, FailuresKeepTheWindowsErrorAndClosedHandlesAreRefused) {
    sim::SimDriver sim;
    sim.AddDevice();
    SimWin32Api api(sim);
    WinDriver driver(api);
    std::uint32_t error = 0;
    EXPECT_EQ(driver.Open("\\\\?\\usb#vid_5a17&pid_00f1#gone", error), usb::kInvalidHandle);
    EXPECT_EQ(error, usb::error::kFileNotFound);
    EXPECT_NE(driver.LastOpenFailureText().find("no longer connected"), std::string::npos);

    const usb::DriverHandle handle = driver.Open(SimWin32Api::InterfacePath(0), error);
    ASSERT_NE(handle, usb::kInvalidHandle);
    EXPECT_EQ(error, usb::error::kSuccess);
    EXPECT_EQ(driver.LastOpenFailureText(), "");
    EXPECT_EQ(driver.Close(handle), usb::error::kSuccess);
    EXPECT_EQ(driver.Close(handle), usb::error::kInvalidHandle);
    std::uint8_t name[256];
    std::uint32_t bytes = 0;
    EXPECT_EQ(driver.IoControl(handle, usb::ioctl::kGetDeviceName, {}, name, bytes, nullptr),
              usb::error::kInvalidHandle);

    sim.Device(0).Unplug();
    EXPECT_EQ(driver.Open(SimWin32Api::InterfacePath(0), error), usb::kInvalidHandle);
    EXPECT_EQ(error, usb::error::kFileNotFound);
}

TEST(WinTexts, NameTheCauseAndTheError) {
    EXPECT_NE(NoDeviceText().find(kInterfaceClassText), std::string::npos);
    const struct {
        std::uint32_t error;
        const char* fragment;
    } cases[] = {
        {2, "no longer connected"},
        {1167, "no longer connected"},
        {5, "was refused (Windows error 5)"},
        {32, "another program"},
        {1234, "failed (Windows error 1234)"},
    };
    for (const auto& c : cases) {
        const std::string text = OpenFailureText("\\\\?\\usb#x", c.error);
        EXPECT_NE(text.find(c.fragment), std::string::npos) << c.error << ": " << text;
        EXPECT_NE(text.find("\\\\?\\usb#x"), std::string::npos) << c.error;
    }
}

// The controller's work, with requests that end inside DeviceIoControl and with
// requests that go pending and end on another thread.
class WinController : public ::testing::TestWithParam<bool> {
  protected:
    WinRig rig{GetParam()};
};

TEST_P(WinController, RegisterWriteAndRead) {
    ASSERT_TRUE(rig.op.Device() && rig.op.Device()->IsOpen());
    testing::ExpectRegistersRoundTrip(rig.op, rig.Controller());
}

TEST_P(WinController, FlashWriteAndReadOf5000Bytes) {
    testing::ExpectFlashRoundTripOf5000Bytes(rig.op, rig.Controller());
}

TEST_P(WinController, StartImageDownloadVerifiesAndReadsBack) {
    testing::ExpectStartImageDownloadAndReadBack(rig.op, rig.Controller());
}

TEST_P(WinController, ATimedOutTransferIsAbortedAndTheNextExchangeWorks) {
    usb::CUsbLink& link = *rig.op.Device();
    link.BulkInEndPt->TimeOut = 20;  // the transfer hangs until aborted, however long this is
    rig.sim.ClearRequests();
    rig.HangNextTransfer();
    std::uint8_t buffer[64];
    std::uint32_t length = sizeof buffer;
    EXPECT_FALSE(link.BulkInEndPt->RunTransfer(buffer, length));
    EXPECT_EQ(link.BulkInEndPt->LastError, usb::error::kSemTimeout);
    EXPECT_EQ(link.BulkInEndPt->UsbdStatus, usb::status::kUsbdCanceled);
    EXPECT_EQ(length, 0u);
    const auto requests = rig.sim.Requests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const auto& r) {
        return r.code == usb::ioctl::kAbortPipe && r.input == Bytes{0x82};
    }));

    rig.Controller().SetReg(0x4001, 0x5A);
    std::uint8_t value = 0;
    ASSERT_TRUE(rig.op.ReadRegs(0x4001, &value, 1));
    EXPECT_EQ(value, 0x5A);
}

INSTANTIATE_TEST_SUITE_P(Answers, WinController, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Pending" : "AtOnce"; });

// The port itself, on a handle of its own, with transfers answered from the
// fake's thread as a real driver answers them.
class WinPort : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.op.SetDevice(nullptr);
        std::uint32_t error = 0;
        handle = rig.driver.Open(SimWin32Api::InterfacePath(0), error);
        ASSERT_NE(handle, usb::kInvalidHandle) << error;
    }
    void TearDown() override {
        if (handle != usb::kInvalidHandle) rig.driver.Close(handle);
    }

    // Starts a buffered read on 0x82 that hangs until it is aborted or cancelled.
    std::uint32_t StartHangingRead(Bytes& block, usb::Overlapped& overlapped) {
        rig.HangNextTransfer();
        block = BufferedBlock(0x82, Bytes(64));
        std::uint32_t bytes = 0;
        return rig.driver.IoControl(handle, usb::ioctl::kSendBufferedTransfer, block, block, bytes,
                                    &overlapped);
    }

    WinRig rig{true};
    usb::DriverHandle handle = usb::kInvalidHandle;
};

TEST_F(WinPort, AbortEndsTheHangingTransferWith995AndSparesTheOtherEndpoint) {
    Bytes block;
    usb::Overlapped hanging;
    ASSERT_EQ(StartHangingRead(block, hanging), usb::error::kIoPending);

    // A register write on 0x02 goes through meanwhile.
    Bytes write = BufferedBlock(0x02, Bytes{0xA5, 0x00, 0x60, 0x80});
    usb::Overlapped written;
    std::uint32_t bytes = 0;
    ASSERT_EQ(rig.driver.IoControl(handle, usb::ioctl::kSendBufferedTransfer, write, write, bytes,
                                   &written),
              usb::error::kIoPending);
    ASSERT_EQ(rig.driver.WaitForCompletion(written, usb::kInfinite), usb::WaitResult::Signalled);
    std::uint32_t error = 0;
    EXPECT_TRUE(rig.driver.GetOverlappedResult(handle, written, bytes, error)) << error;
    EXPECT_EQ(bytes, usb::kXferHeaderSize + 4);
    EXPECT_EQ(rig.Controller().Reg(0x6000), 0xA5);
    EXPECT_EQ(rig.driver.WaitForCompletion(hanging, 0), usb::WaitResult::TimedOut);

    std::uint8_t endpoint = 0x82;
    ASSERT_EQ(
        rig.driver.IoControl(handle, usb::ioctl::kAbortPipe, {&endpoint, 1}, {}, bytes, nullptr),
        usb::error::kSuccess);
    ASSERT_EQ(rig.driver.WaitForCompletion(hanging, usb::kInfinite), usb::WaitResult::Signalled);
    EXPECT_FALSE(rig.driver.GetOverlappedResult(handle, hanging, bytes, error));
    EXPECT_EQ(error, usb::error::kOperationAborted);
    EXPECT_EQ(usb::GetLe32(block.data() + usb::kXferUsbdStatusOffset), usb::status::kUsbdCanceled);
}

TEST_F(WinPort, CloseEndsAPendingRequestWith995BeforeItReturns) {
    Bytes block;
    usb::Overlapped overlapped;
    ASSERT_EQ(StartHangingRead(block, overlapped), usb::error::kIoPending);
    EXPECT_EQ(rig.driver.Close(handle), usb::error::kSuccess);
    handle = usb::kInvalidHandle;
    ASSERT_TRUE(overlapped.Done());
    std::uint32_t bytes = 0;
    std::uint32_t error = 0;
    EXPECT_FALSE(overlapped.Result(bytes, error));
    EXPECT_EQ(error, usb::error::kOperationAborted);
}

}  // namespace
}  // namespace velmor::win
