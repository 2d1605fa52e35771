// Recording at the driver port and answering from the recording: a session on the
// simulated controller (register writes and reads, a 5,000-byte flash round trip,
// a read that times out and is aborted) is recorded, then played again through
// the replay driver in another order, with the same results; a request the
// recording does not hold fails with the first differing byte.

#include "drivers/replay/replay_driver.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "controller/main_operation.h"
#include "drivers/replay/recording_driver.h"
#include "drivers/sim/sim_driver.h"
#include "registers/flash_reg.h"
#include "support/temp_dir.h"
#include "usb/usb_link.h"

namespace velmor::replay {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A controller object connected to device 0 of `driver`.
struct Connected {
    explicit Connected(usb::UsbDriver& driver) {
        op.SetDevice(std::make_unique<usb::CUsbLink>(driver, usb::WindowId{0},
                                                     usb::kVendorInterfaceClass, true));
        op.deviceOpened = 1;
        op.connected = 1;
    }
    Bytes Read(std::uint16_t address, int count) {
        Bytes bytes(static_cast<std::size_t>(count));
        ok = op.ReadRegs(address, bytes.data(), count) && ok;
        return bytes;
    }
    controller::CMainOperation op;
    bool ok = true;
};

// Flash data of the values 0x20..0x5f: none of them is a register value written below.
Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(0x20 + i % 64);
    return bytes;
}

// Writes `Pattern(5000)` to the flash and reads it back; the bytes read.
Bytes FlashRoundTrip(controller::CMainOperation& op) {
    registers::CFlashReg flash(op);
    std::atomic<int> progress{0};
    Bytes data = Pattern(5000);
    EXPECT_TRUE(flash.Write(data.data(), 0x100000, 5000, progress, false));
    Bytes back(5001);
    EXPECT_TRUE(flash.Read(back.data(), 0x100000, 5000, progress));
    back.resize(5000);
    return back;
}

class ReplayTest : public ::testing::Test {
  protected:
    // Records the session into `file` and returns what the reads gave.
    std::vector<Bytes> Record() {
        sim::SimDriver sim;
        sim::SimDevice& device = sim.AddDevice();
        std::string error;
        auto writer = TrafficWriter::Create(file, false, {}, error);
        EXPECT_TRUE(writer) << error;
        RecordingDriver recording(sim, std::move(writer), {"test", "1", "sim", {"04b4:00f1"}});
        std::vector<Bytes> results;
        {
            Connected c(recording);
            const std::uint8_t five = 5;
            EXPECT_TRUE(c.op.WriteRegs(0x4001, &five, 1));
            results.push_back(c.Read(0x4000, 4));
            const std::uint8_t six = 6;
            EXPECT_TRUE(c.op.WriteRegs(0x4001, &six, 1));
            results.push_back(c.Read(0x4000, 4));  // the same request, another answer
            results.push_back(FlashRoundTrip(c.op));
            // The first try times out and is aborted; the second answers.
            device.Controller().Faults().timeoutTransfers = 1;
            results.push_back(c.Read(0x4010, 1));
        }
        return results;
    }

    std::unique_ptr<ReplayDriver> Replay() {
        std::string error;
        std::optional<TrafficRecording> recording = ReadRecording(file, error);
        EXPECT_TRUE(recording) << error;
        return std::make_unique<ReplayDriver>(std::move(*recording), false);
    }

    testing::TempDir dir;
    std::string file = dir.File("session.jsonl");
};

TEST_F(ReplayTest, ARecordedSessionPlaysAgainWithTheSameAnswers) {
    const std::vector<Bytes> recorded = Record();
    ASSERT_EQ(recorded.size(), 4u);
    EXPECT_EQ(recorded[0][1], 5);
    EXPECT_EQ(recorded[1][1], 6);
    EXPECT_EQ(recorded[2], Pattern(5000));

    std::unique_ptr<ReplayDriver> replay = Replay();
    Connected c(*replay);
    // The flash first this time: requests are matched by their bytes, not their order.
    EXPECT_EQ(FlashRoundTrip(c.op), recorded[2]);
    const std::uint8_t five = 5;
    EXPECT_TRUE(c.op.WriteRegs(0x4001, &five, 1));
    EXPECT_EQ(c.Read(0x4000, 4), recorded[0]);
    const std::uint8_t six = 6;
    EXPECT_TRUE(c.op.WriteRegs(0x4001, &six, 1));
    EXPECT_EQ(c.Read(0x4000, 4), recorded[1]);
    // Its first try timed out in the recording: it times out at once, the retry answers.
    EXPECT_EQ(c.Read(0x4010, 1), recorded[3]);
    EXPECT_TRUE(c.ok);
    EXPECT_EQ(replay->Mismatches(), 0) << replay->FirstMismatch();
}

TEST_F(ReplayTest, ARequestTheRecordingDoesNotHoldFailsNamingTheFirstDifferentByte) {
    Record();
    std::unique_ptr<ReplayDriver> replay = Replay();
    Connected c(*replay);
    const std::uint8_t five = 5;
    EXPECT_TRUE(c.op.WriteRegs(0x4001, &five, 1));
    const std::uint8_t seven = 7;  // the recording wrote 5 and 6 here, never 7
    EXPECT_FALSE(c.op.WriteRegs(0x4001, &seven, 1));
    ASSERT_GE(replay->Mismatches(), 1);  // each of the write's tries
    // The register word [data, address low, address high, tag] follows the 38-byte
    // request block: its data byte is byte 38 of the request, and no recorded write
    // of one register to the same block had the value 7.
    const std::string message = replay->FirstMismatch();
    EXPECT_EQ(message.rfind("replay: request ", 0), 0u) << message;
    EXPECT_NE(message.find("(bulk out 0x02, 4 bytes) is not in the recording; the nearest "
                           "differs at byte 38: 0x"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find(" recorded, 0x07 now"), std::string::npos) << message;
}

TEST(ReplayRecording, WhatIsNoRecordingIsRefusedWithItsLine) {
    const struct {
        const char* text;
        const char* says;
    } cases[] = {
        {"", "empty"},
        {"{\"hello\": 1}\n", "line 1: this is no recording"},
        {"{\"recording\": 1, \"program\": \"p\", \"version\": \"v\", \"backend\": \"sim\", "
         "\"ids\": []}\nnot json\n",
         "line 2: not a JSON object"},
        {"{\"recording\": 1, \"program\": \"p\", \"version\": \"v\", \"backend\": \"sim\", "
         "\"ids\": []}\n{\"op\": \"ioctl\", \"id\": 1, \"handle\": 5}\n",
         "line 2: a request to a device that is not open"},
        {"{\"recording\": 1, \"program\": \"p\", \"version\": \"v\", \"backend\": \"sim\", "
         "\"ids\": []}\n{\"op\": \"open\", \"path\": \"d\", \"handle\": 5, \"error\": 0}\n"
         "{\"op\": \"ioctl\", \"id\": 1, \"handle\": 5, \"code\": 1, \"request\": {\"hex\": "
         "\"zz\", \"size\": 1}, \"overlapped\": false, \"result\": 0, \"bytes\": 0}\n",
         "line 3: \"request\" holds no bytes"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseRecording(c.text, error));
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace velmor::replay
