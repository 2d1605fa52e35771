// The driver side of the port: enumeration, handles, queries, request-block
// validation, unplugging, time-outs and their abort, pending completions.

#include "drivers/sim/sim_driver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "drivers/sim/sim_transfer.h"
#include "sim_port.h"

namespace velmor::sim {
namespace {

using testing::PutWrite;
using testing::ReadCommand;
using testing::SimPort;

TEST(SimDriver, InterfaceClassMatchesTheGuidInMemoryOrder) {
    const usb::Guid expected = {0x60, 0xAA, 0x18, 0xAE, 0x6A, 0x7F, 0xD4, 0x11,
                                0x97, 0xDD, 0x00, 0x01, 0x02, 0x29, 0xB9, 0x59};
    EXPECT_EQ(kInterfaceClass, expected);
}

TEST(SimDriver, EnumeratesPluggedDevicesOfTheClassOnly) {
    SimDriver driver;
    EXPECT_TRUE(driver.EnumerateInterfaces(kInterfaceClass).empty());
    driver.AddDevice();
    driver.AddDevice();
    EXPECT_EQ(driver.EnumerateInterfaces(kInterfaceClass),
              (std::vector<std::string>{"sim:0", "sim:1"}));
    usb::Guid other = kInterfaceClass;
    other[0] ^= 1;
    EXPECT_TRUE(driver.EnumerateInterfaces(other).empty());

    driver.Device(0).Unplug();
    EXPECT_EQ(driver.EnumerateInterfaces(kInterfaceClass), (std::vector<std::string>{"sim:1"}));
    driver.Device(0).Replug();
    EXPECT_EQ(driver.EnumerateInterfaces(kInterfaceClass).size(), 2u);
}

TEST(SimDriver, OpenRefusesUnknownPathsAndClosedHandles) {
    auto driver = SimDriver::WithOneDevice();
    for (const char* path : {"sim:1", "sim:", "sim:0x", "usb:0", "", "sim:-1"}) {
        std::uint32_t error = 0;
        EXPECT_EQ(driver->Open(path, error), usb::kInvalidHandle) << path;
        EXPECT_EQ(error, usb::error::kFileNotFound) << path;
    }
    std::uint32_t error = 1;
    const auto h = driver->Open("sim:0", error);
    ASSERT_NE(h, usb::kInvalidHandle);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(driver->Close(h), 0u);
    EXPECT_EQ(driver->Close(h), usb::error::kInvalidHandle);
    std::vector<std::uint8_t> out(4);
    std::uint32_t bytes = 0;
    EXPECT_EQ(driver->IoControl(h, usb::ioctl::kGetDriverVersion, out, out, bytes, nullptr),
              usb::error::kInvalidHandle);
}

TEST(SimDriver, QueriesAnswerExactSizes) {
    SimDeviceOptions options;
    options.deviceName = "Line 3 controller";
    auto driver = SimDriver::WithOneDevice(options);
    SimPort port(*driver);
    struct Query {
        std::uint32_t code;
        std::size_t size;
    };
    for (const Query q :
         {Query{usb::ioctl::kGetDriverVersion, 4}, Query{usb::ioctl::kGetUsbdiVersion, 4},
          Query{usb::ioctl::kGetAltInterface, 1}, Query{usb::ioctl::kGetAddress, 1},
          Query{usb::ioctl::kGetDeviceName, 256}, Query{usb::ioctl::kGetSecondName, 256},
          Query{usb::ioctl::kGetDeviceSpeed, 4}}) {
        std::vector<std::uint8_t> out(q.size, 0xCC);
        std::uint32_t bytes = 0;
        EXPECT_EQ(driver->IoControl(port.handle, q.code, out, out, bytes, nullptr), 0u) << q.code;
        EXPECT_EQ(bytes, q.size) << q.code;
        std::vector<std::uint8_t> small(q.size - 1);
        EXPECT_EQ(driver->IoControl(port.handle, q.code, small, small, bytes, nullptr),
                  usb::error::kInsufficientBuffer)
            << q.code;
    }
    std::vector<std::uint8_t> name(256, 0xCC);
    std::uint32_t bytes = 0;
    ASSERT_EQ(
        driver->IoControl(port.handle, usb::ioctl::kGetDeviceName, name, name, bytes, nullptr), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(name.data()), "Line 3 controller");
    EXPECT_EQ(name[255], 0);

    std::vector<std::uint8_t> address(1);
    ASSERT_EQ(
        driver->IoControl(port.handle, usb::ioctl::kGetAddress, address, address, bytes, nullptr),
        0u);
    EXPECT_GE(address[0], 1);
    EXPECT_EQ(driver->IoControl(port.handle, 0x220099, address, address, bytes, nullptr), 1u);
}

// ---- malformed request blocks ----

struct MalformedCase {
    const char* name;
    std::uint32_t code;
    std::size_t inputSize;   // bytes of the block handed in
    std::size_t outputSize;  // bytes of the output buffer (0: the same as input)
    void (*edit)(usb::XferRequest&);
};

class SimMalformedBlock : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(SimMalformedBlock, FailsWith87AndTouchesNothingOutside) {
    const MalformedCase c = GetParam();
    auto driver = SimDriver::WithOneDevice();
    SimController& ctl = driver->Device(0).Controller();
    SimPort port(*driver);

    usb::XferRequest h;
    h.bmRequestType = 0x80;
    h.bRequest = 6;
    h.wValue = 0x0100;
    h.wLength = 18;
    h.endpointAddress = c.code == usb::ioctl::kSendControlTransfer ? 0 : 0x02;
    h.bufferOffset = 38;
    h.bufferLength = 18;
    c.edit(h);

    // The buffers sit inside guard bytes that must survive untouched.
    const std::size_t outSize = c.outputSize ? c.outputSize : c.inputSize;
    std::vector<std::uint8_t> in(c.inputSize + 64, 0xA5);
    std::vector<std::uint8_t> out(outSize + 64, 0x5A);
    std::vector<std::uint8_t> header(38);
    h.EncodeTo(header);
    std::memcpy(in.data() + 32, header.data(), std::min<std::size_t>(38, c.inputSize));
    // A buffered write's words: would set 0x4000 if the block were taken.
    if (c.inputSize >= 42) {
        in[32 + 38] = 0x77;
        in[32 + 39] = 0x00;
        in[32 + 40] = 0x40;
        in[32 + 41] = 0x80;
    }
    const std::vector<std::uint8_t> inBefore = in;
    const std::vector<std::uint8_t> outBefore = out;
    std::uint32_t bytes = 99;
    const auto error =
        driver->IoControl(port.handle, c.code, std::span(in).subspan(32, c.inputSize),
                          std::span(out).subspan(32, outSize), bytes, nullptr);
    EXPECT_EQ(error, usb::error::kInvalidParameter);
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(in, inBefore);
    EXPECT_EQ(out, outBefore);
    EXPECT_EQ(ctl.Reg(0x4000), 0);
    EXPECT_TRUE(ctl.WriteLog().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, SimMalformedBlock,
    ::testing::Values(
        MalformedCase{"ShortHeader", usb::ioctl::kSendControlTransfer, 37, 0,
                      [](usb::XferRequest&) {}},
        MalformedCase{"DataPastInput", usb::ioctl::kSendControlTransfer, 38 + 17, 0,
                      [](usb::XferRequest&) {}},
        MalformedCase{"DataPastOutput", usb::ioctl::kSendControlTransfer, 38 + 18, 40,
                      [](usb::XferRequest&) {}},
        MalformedCase{"OffsetInsideHeader", usb::ioctl::kSendControlTransfer, 38 + 18, 0,
                      [](usb::XferRequest& h) { h.bufferOffset = 20; }},
        MalformedCase{"OffsetWrapsAround", usb::ioctl::kSendControlTransfer, 38 + 18, 0,
                      [](usb::XferRequest& h) {
                          h.bufferOffset = 0xFFFFFFF0u;
                          h.bufferLength = 0x20;
                      }},
        MalformedCase{"LengthBeyondData", usb::ioctl::kSendControlTransfer, 38 + 18, 0,
                      [](usb::XferRequest& h) { h.wLength = 19; }},
        MalformedCase{"ControlOnBulkEndpoint", usb::ioctl::kSendControlTransfer, 38 + 18, 0,
                      [](usb::XferRequest& h) { h.endpointAddress = 0x82; }},
        MalformedCase{"IsoPackets", usb::ioctl::kSendControlTransfer, 38 + 18, 0,
                      [](usb::XferRequest& h) { h.isoPacketLength = 8; }},
        MalformedCase{"BufferedUnknownEndpoint", usb::ioctl::kSendBufferedTransfer, 38 + 4, 0,
                      [](usb::XferRequest& h) {
                          h.endpointAddress = 0x03;
                          h.bufferLength = 4;
                      }},
        MalformedCase{"BufferedLengthHuge", usb::ioctl::kSendBufferedTransfer, 38 + 4, 0,
                      [](usb::XferRequest& h) { h.bufferLength = 0xFFFFFFFFu; }},
        MalformedCase{"DirectUnknownEndpoint", usb::ioctl::kDirectTransfer, 38, 4,
                      [](usb::XferRequest& h) { h.endpointAddress = 0x81; }},
        MalformedCase{"DirectShortHeader", usb::ioctl::kDirectTransfer, 30, 4,
                      [](usb::XferRequest&) {}}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return info.param.name; });

TEST(SimDriver, AbortPipeNeedsTheEndpointByte) {
    auto driver = SimDriver::WithOneDevice();
    SimPort port(*driver);
    std::uint32_t bytes = 0;
    EXPECT_EQ(driver->IoControl(port.handle, usb::ioctl::kAbortPipe, {}, {}, bytes, nullptr),
              usb::error::kInvalidParameter);
    const std::uint8_t ep[1] = {0x82};
    EXPECT_EQ(driver->IoControl(port.handle, usb::ioctl::kAbortPipe, ep, {}, bytes, nullptr), 0u);
}

// ---- unplugging ----

TEST(SimDriver, UnplugFailsOpenHandlesEvenAfterReplug) {
    auto driver = SimDriver::WithOneDevice();
    SimDevice& device = driver->Device(0);
    SimPort port(*driver);
    device.Unplug();
    EXPECT_FALSE(device.Plugged());
    std::vector<std::uint8_t> words;
    PutWrite(words, 0x4000, 1);
    auto r = port.Buffered(0x02, words);
    EXPECT_EQ(r.error, usb::error::kDeviceNotConnected);
    std::uint32_t error = 0;
    EXPECT_EQ(driver->Open("sim:0", error), usb::kInvalidHandle);

    device.Replug();
    EXPECT_EQ(port.Buffered(0x02, words).error, usb::error::kDeviceNotConnected);
    SimPort fresh(*driver);
    EXPECT_TRUE(fresh.Send(words));
    EXPECT_EQ(device.Controller().Reg(0x4000), 1);
}

// ---- pending requests ----

// A request issued with an overlapped, its buffers kept alive for the test.
struct Issued {
    std::vector<std::uint8_t> block;
    usb::Overlapped overlapped;
    std::uint32_t error = 0;
    std::uint32_t bytes = 0;

    void Start(SimDriver& driver, usb::DriverHandle handle, std::uint32_t code) {
        error = driver.IoControl(handle, code, block, block, bytes, &overlapped);
    }
    usb::XferRequest Header() const {
        usb::XferRequest h;
        usb::XferRequest::DecodeFrom(block, h);
        return h;
    }
};

TEST(SimDriver, TimedOutTransferStaysPendingUntilAborted) {
    auto driver = SimDriver::WithOneDevice();
    SimController& ctl = driver->Device(0).Controller();
    SimPort port(*driver);
    ASSERT_TRUE(port.Send(ReadCommand(0x4000, 1)));
    ctl.Faults().timeoutTransfers = 1;

    Issued in;
    in.block = SimPort::BufferedBlock(0x82, std::vector<std::uint8_t>(4));
    in.Start(*driver, port.handle, usb::ioctl::kSendBufferedTransfer);
    ASSERT_EQ(in.error, usb::error::kIoPending);
    EXPECT_EQ(in.overlapped.Wait(0), usb::WaitResult::TimedOut);

    // Aborting another endpoint leaves it pending.
    std::uint32_t bytes = 0;
    const std::uint8_t out[1] = {0x02};
    ASSERT_EQ(driver->IoControl(port.handle, usb::ioctl::kAbortPipe, out, {}, bytes, nullptr), 0u);
    EXPECT_FALSE(in.overlapped.Done());

    const std::uint8_t ep[1] = {0x82};
    ASSERT_EQ(driver->IoControl(port.handle, usb::ioctl::kAbortPipe, ep, {}, bytes, nullptr), 0u);
    ASSERT_EQ(in.overlapped.Wait(usb::kInfinite), usb::WaitResult::Signalled);
    std::uint32_t moved = 0, error = 0;
    EXPECT_FALSE(in.overlapped.Result(moved, error));
    EXPECT_EQ(error, usb::error::kOperationAborted);
    EXPECT_EQ(in.Header().usbdStatus, status::kUsbdCanceled);

    // The answer was not taken by the hung transfer.
    EXPECT_EQ(port.Receive(4).size(), 4u);
}

TEST(SimDriver, TimedOutTransferWithoutOverlappedFailsAtOnce) {
    auto driver = SimDriver::WithOneDevice();
    driver->Device(0).Controller().Faults().timeoutTransfers = 1;
    SimPort port(*driver);
    EXPECT_EQ(port.GetDescriptor(1, 0, 18).error, usb::error::kSemTimeout);
    EXPECT_EQ(port.GetDescriptor(1, 0, 18).error, 0u);
}

TEST(SimDriver, CloseAndUnplugCompletePendingWith995) {
    auto driver = SimDriver::WithOneDevice();
    SimDevice& device = driver->Device(0);
    std::uint32_t error = 0;
    const auto first = driver->Open("sim:0", error);
    const auto second = driver->Open("sim:0", error);
    device.Controller().Faults().timeoutTransfers = 2;

    Issued a, b;
    a.block = SimPort::ControlBlock(0x80, 6, 0x0100, 0, std::vector<std::uint8_t>(18));
    b.block = a.block;
    a.Start(*driver, first, usb::ioctl::kSendControlTransfer);
    b.Start(*driver, second, usb::ioctl::kSendControlTransfer);
    ASSERT_EQ(a.error, usb::error::kIoPending);
    ASSERT_EQ(b.error, usb::error::kIoPending);

    EXPECT_EQ(driver->Close(first), 0u);
    EXPECT_TRUE(a.overlapped.Done());
    EXPECT_FALSE(b.overlapped.Done());
    device.Unplug();
    EXPECT_TRUE(b.overlapped.Done());
    std::uint32_t moved = 0;
    EXPECT_FALSE(b.overlapped.Result(moved, error));
    EXPECT_EQ(error, usb::error::kOperationAborted);
    EXPECT_EQ(driver->Close(second), 0u);
}

TEST(SimDriver, ImmediateCompletionSignalsTheOverlapped) {
    auto driver = SimDriver::WithOneDevice();
    SimPort port(*driver);
    Issued d;
    d.block = SimPort::ControlBlock(0x80, 6, 0x0100, 0, std::vector<std::uint8_t>(18));
    d.Start(*driver, port.handle, usb::ioctl::kSendControlTransfer);
    ASSERT_EQ(d.error, 0u);
    EXPECT_EQ(d.bytes, 38u + 18u);
    std::uint32_t moved = 0, error = 0;
    ASSERT_TRUE(d.overlapped.Result(moved, error));
    EXPECT_EQ(moved, 38u + 18u);
    EXPECT_EQ(d.block[38], 18);
    EXPECT_EQ(d.block[39], 1);
}

TEST(SimDriver, AnswerTimeDelaysTheAnswerNotItsContent) {
    SimDeviceOptions slow;
    slow.answerTime = std::chrono::milliseconds(20);
    auto driver = SimDriver::WithOneDevice(slow);
    SimPort port(*driver);
    Issued d;
    d.block = SimPort::ControlBlock(0x80, 6, 0x0100, 0, std::vector<std::uint8_t>(18));
    const auto start = std::chrono::steady_clock::now();
    d.Start(*driver, port.handle, usb::ioctl::kSendControlTransfer);
    // The answer waits on the same steady clock, so this lower bound holds on
    // any machine, however coarse its sleeps.
    EXPECT_GE(std::chrono::steady_clock::now() - start, slow.answerTime);
    ASSERT_EQ(d.error, 0u);
    EXPECT_EQ(d.bytes, 38u + 18u);
    EXPECT_EQ(d.block[38], 18);
}

TEST(SimDriver, AsyncCompletionKeepsOrderAndDelivers) {
    SimDeviceOptions options;
    options.asyncCompletion = true;
    auto driver = SimDriver::WithOneDevice(options);
    SimPort port(*driver);

    std::vector<std::uint8_t> words;
    PutWrite(words, 0x4044, 0x9C);
    const auto read = ReadCommand(0x4044, 1);
    words.insert(words.end(), read.begin(), read.end());
    Issued out, in;
    out.block = SimPort::BufferedBlock(0x02, words);
    in.block = SimPort::BufferedBlock(0x82, std::vector<std::uint8_t>(4));
    out.Start(*driver, port.handle, usb::ioctl::kSendBufferedTransfer);
    in.Start(*driver, port.handle, usb::ioctl::kSendBufferedTransfer);
    ASSERT_EQ(out.error, usb::error::kIoPending);
    ASSERT_EQ(in.error, usb::error::kIoPending);
    ASSERT_EQ(in.overlapped.Wait(usb::kInfinite), usb::WaitResult::Signalled);
    ASSERT_TRUE(out.overlapped.Done());

    std::uint32_t moved = 0, error = 0;
    ASSERT_TRUE(in.overlapped.Result(moved, error));
    EXPECT_EQ(moved, 38u + 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(in.block.begin() + 38, in.block.end()),
              (std::vector<std::uint8_t>{0x9C, 0x44, 0x40, 0x81}));
}

TEST(SimDriver, AsyncRequestsQueuedAtCloseComplete995) {
    SimDeviceOptions options;
    options.asyncCompletion = true;
    auto driver = SimDriver::WithOneDevice(options);
    std::uint32_t error = 0;
    const auto handle = driver->Open("sim:0", error);
    std::vector<Issued> many(50);
    for (auto& r : many) {
        r.block = SimPort::BufferedBlock(0x82, std::vector<std::uint8_t>(4));
        r.Start(*driver, handle, usb::ioctl::kSendBufferedTransfer);
        ASSERT_EQ(r.error, usb::error::kIoPending);
    }
    ASSERT_EQ(driver->Close(handle), 0u);
    // Every request has completed by the time Close returns, one way or the other.
    for (auto& r : many) {
        EXPECT_TRUE(r.overlapped.Done());
        std::uint32_t moved = 0;
        if (!r.overlapped.Result(moved, error)) {
            EXPECT_EQ(error, usb::error::kOperationAborted);
        }
    }
}

TEST(SimDriver, UnplugEndsQueuedAsyncRequests) {
    SimDeviceOptions options;
    options.asyncCompletion = true;
    auto driver = SimDriver::WithOneDevice(options);
    SimPort port(*driver);
    std::vector<Issued> many(20);
    for (auto& r : many) {
        r.block = SimPort::BufferedBlock(0x82, std::vector<std::uint8_t>(4));
        r.Start(*driver, port.handle, usb::ioctl::kSendBufferedTransfer);
        ASSERT_EQ(r.error, usb::error::kIoPending);
    }
    driver->Device(0).Unplug();
    for (auto& r : many) {
        ASSERT_EQ(r.overlapped.Wait(usb::kInfinite), usb::WaitResult::Signalled);
        std::uint32_t moved = 0, error = 0;
        if (!r.overlapped.Result(moved, error)) {
            EXPECT_TRUE(error == usb::error::kOperationAborted ||
                        error == usb::error::kDeviceNotConnected)
                << error;
        }
    }
}

TEST(SimDriver, ConcurrentClientsOnSeveralDevicesKeepTheirRegisters) {
    SimDriver driver;
    SimDeviceOptions async;
    async.asyncCompletion = true;
    driver.AddDevice();
    driver.AddDevice(async);
    std::atomic<int> failures{0};
    auto client = [&](int device, std::uint16_t base) {
        SimPort port(driver, "sim:" + std::to_string(device));
        for (int i = 0; i < 200; ++i) {
            std::vector<std::uint8_t> words;
            PutWrite(words, static_cast<std::uint16_t>(base + (i % 16)),
                     static_cast<std::uint8_t>(i));
            // Synchronous requests: the async option only affects overlapped ones.
            if (!port.Send(words)) ++failures;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(client, t % 2, static_cast<std::uint16_t>(0x4200 + 0x20 * t));
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    for (int t = 0; t < 4; ++t) {
        SimController& ctl = driver.Device(t % 2).Controller();
        for (int r = 0; r < 16; ++r) {
            const int lastWrite = 199 - (199 - r) % 16;  // the last i with i % 16 == r
            EXPECT_EQ(ctl.Reg(static_cast<std::uint16_t>(0x4200 + 0x20 * t + r)), lastWrite);
        }
    }
    EXPECT_EQ(driver.Device(0).Controller().WriteLog().size(), 400u);
}

TEST(SimDriver, RequestsRecordCodeAndInput) {
    auto driver = SimDriver::WithOneDevice();
    SimPort port(*driver);
    driver->ClearRequests();
    std::vector<std::uint8_t> words;
    PutWrite(words, 0x4003, 0x42);
    ASSERT_TRUE(port.Send(words));
    const auto requests = driver->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, usb::ioctl::kSendBufferedTransfer);
    ASSERT_EQ(requests[0].input.size(), 42u);
    EXPECT_EQ(std::vector<std::uint8_t>(requests[0].input.begin() + 38, requests[0].input.end()),
              words);
}

}  // namespace
}  // namespace velmor::sim
