// Register writes and reads through a real CUsbLink to the simulated controller,
// checked at the level of the bytes the device sees.

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <vector>

#include "support/sim_rig.h"

namespace velmor::controller {
namespace {

using testing::AnswerWords;
using testing::ScriptedDriver;
using testing::SimRig;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kOut = 0x02;
constexpr std::uint8_t kIn = 0x82;

Bytes Pattern(int count, int seed) {
    Bytes bytes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 + seed);
    return bytes;
}

TEST(WriteRegs, SendsOneWriteWordPerRegister) {
    SimRig rig;
    const Bytes data = {0x11, 0x22, 0x33};
    ASSERT_TRUE(rig.op.WriteRegs(0x4100, data.data(), 3));
    const auto sent = rig.Sent(kOut);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0],
              (Bytes{0x11, 0x00, 0x41, 0x80, 0x22, 0x01, 0x41, 0x80, 0x33, 0x02, 0x41, 0x80}));
    EXPECT_EQ(rig.Controller().WriteLog(), (std::vector<std::pair<std::uint16_t, std::uint8_t>>{
                                               {0x4100, 0x11}, {0x4101, 0x22}, {0x4102, 0x33}}));
}

// Plain registers (no behaviour in the simulator) for multi-chunk transfers.
constexpr std::uint16_t kPlain = 0x6000;

TEST(WriteRegs, ThreeHundredRegistersGoAsTwoChunks) {
    SimRig rig;
    const Bytes data = Pattern(300, 3);
    ASSERT_TRUE(rig.op.WriteRegs(kPlain, data.data(), 300));
    const auto sent = rig.Sent(kOut);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].size(), 1024u);
    EXPECT_EQ(sent[1].size(), 176u);
    // The second chunk starts with register 256.
    EXPECT_EQ((Bytes{sent[1][0], sent[1][1], sent[1][2], sent[1][3]}),
              (Bytes{data[256], 0x00, 0x61, 0x80}));
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(rig.Controller().Reg(static_cast<std::uint16_t>(kPlain + i)),
                  data[static_cast<std::size_t>(i)])
            << i;
}

TEST(WriteRegs, AddressWrapsAtTheTopOfTheSpace) {
    SimRig rig;
    const Bytes data = {0xA1, 0xB2};
    rig.op.WriteRegs(0xFFFF, data.data(), 2);
    const auto sent = rig.Sent(kOut);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0xA1, 0xFF, 0xFF, 0x80, 0xB2, 0x00, 0x00, 0x80}));
}

TEST(WriteRegs, WriteReg32SendsLeastSignificantByteFirst) {
    SimRig rig;
    ASSERT_TRUE(rig.op.WriteReg32(0x4010, 0x12345678));
    const auto sent = rig.Sent(kOut);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x78, 0x10, 0x40, 0x80, 0x56, 0x11, 0x40, 0x80, 0x34, 0x12, 0x40,
                              0x80, 0x12, 0x13, 0x40, 0x80}));
    EXPECT_EQ(rig.Controller().Reg(0x4013), 0x12);
}

TEST(WriteRegs, NothingToWriteMeansNoTraffic) {
    SimRig rig;
    const Bytes data = {1};
    EXPECT_FALSE(rig.op.WriteRegs(0x4000, data.data(), 0));
    EXPECT_FALSE(rig.op.WriteRegs(0x4000, data.data(), -4));
    EXPECT_FALSE(rig.op.WriteRegs(0x4000, nullptr, 1));
    EXPECT_TRUE(rig.driver.Transfers().empty());
}

TEST(WriteRegs, FailedFirstChunkStillSendsTheSecondButFails) {
    SimRig rig;
    const Bytes data = Pattern(300, 9);
    // The first chunk moves its bytes but ends with a USBD error, all three tries.
    rig.driver.Moved(kOut, 1024, 0xC0000004, 3);
    EXPECT_FALSE(rig.op.WriteRegs(kPlain, data.data(), 300));
    const auto sent = rig.Sent(kOut);
    ASSERT_EQ(sent.size(), 4u);  // 3 tries of chunk 1, then chunk 2
    EXPECT_EQ(sent[3].size(), 176u);
    EXPECT_EQ(rig.Controller().Reg(kPlain + 256), data[256]);  // chunk 2 reached the device
}

TEST(WriteRegs, ChunkThatMovesNothingEndsTheWrite) {
    SimRig rig;
    const Bytes data = Pattern(300, 1);
    rig.driver.Moved(kOut, 0);
    EXPECT_FALSE(rig.op.WriteRegs(0x4000, data.data(), 300));
    EXPECT_EQ(rig.Sent(kOut).size(), 1u);  // not sent again, no second chunk
    EXPECT_TRUE(rig.Controller().WriteLog().empty());
}

TEST(WriteRegs, RefusedChunkEndsTheWriteAfterThreeTries) {
    SimRig rig;
    const Bytes data = Pattern(8, 1);
    rig.driver.Fail(kOut, 3);
    EXPECT_FALSE(rig.op.WriteRegs(0x4000, data.data(), 8));
    EXPECT_EQ(rig.Sent(kOut).size(), 3u);
}

TEST(WriteRegs, SimulatorZeroByteFaultEndsTheWrite) {
    SimRig rig;
    rig.Controller().Faults().zeroByteWrites = 1;
    const Bytes data = Pattern(4, 1);
    EXPECT_FALSE(rig.op.WriteRegs(0x4000, data.data(), 4));
    EXPECT_EQ(rig.Sent(kOut).size(), 1u);
}

TEST(WriteRegs, PartlyMovedChunkContinuesFromWhereItStopped) {
    SimRig rig;
    const Bytes data = Pattern(256, 5);
    rig.driver.Moved(kOut, 512);  // half the chunk, not passed on to the device
    EXPECT_TRUE(rig.op.WriteRegs(0x4000, data.data(), 256));
    const auto sent = rig.Sent(kOut);
    ASSERT_EQ(sent.size(), 2u);
    ASSERT_EQ(sent[1].size(), 512u);
    EXPECT_EQ((Bytes{sent[1][0], sent[1][1], sent[1][2], sent[1][3]}),
              (Bytes{data[128], 0x80, 0x40, 0x80}));
    EXPECT_EQ(rig.Controller().WriteLog().size(), 128u);
}

TEST(WriteRegs, ChunkStoppedInsideAWordContinuesAtThatByte) {
    SimRig rig;
    const Bytes data = {0xAA, 0xBB};
    rig.driver.Moved(kOut, 2);
    rig.op.WriteRegs(kPlain, data.data(), 2);
    const auto sent = rig.Sent(kOut);
    ASSERT_EQ(sent.size(), 2u);
    // Words AA 00 60 80 | BB 01 60 80; two bytes went, the rest follows.
    EXPECT_EQ(sent[1], (Bytes{0x60, 0x80, 0xBB, 0x01, 0x60, 0x80}));
}

TEST(ReadRegs, ReturnsTheRegistersAndSendsOneCommand) {
    SimRig rig;
    for (int i = 0; i < 16; ++i)
        rig.Controller().SetReg(static_cast<std::uint16_t>(0x40F0 + i),
                                static_cast<std::uint8_t>(0xC0 + i));
    std::array<std::uint8_t, 16> out{};
    ASSERT_TRUE(rig.op.ReadRegs(0x40F0, out.data(), 16));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(out[static_cast<std::size_t>(i)], 0xC0 + i);
    EXPECT_EQ(rig.Sent(kOut), (std::vector<Bytes>{{15, 0xF0, 0x40, 0x81}}));
    const auto answers = rig.driver.Transfers(kIn);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].requested, 64u);
}

TEST(ReadRegs, ThreeHundredRegistersAreTwoCommands) {
    SimRig rig;
    const Bytes data = Pattern(300, 11);
    for (int i = 0; i < 300; ++i)
        rig.Controller().SetReg(static_cast<std::uint16_t>(kPlain + i),
                                data[static_cast<std::size_t>(i)]);
    Bytes out(300);
    ASSERT_TRUE(rig.op.ReadRegs(kPlain, out.data(), 300));
    EXPECT_EQ(out, data);
    EXPECT_EQ(rig.Sent(kOut),
              (std::vector<Bytes>{{255, 0x00, 0x60, 0x81}, {43, 0x00, 0x61, 0x81}}));
    const auto answers = rig.driver.Transfers(kIn);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].requested, 1024u);
    EXPECT_EQ(answers[1].requested, 176u);
}

TEST(ReadRegs, NothingToReadMeansNoTraffic) {
    SimRig rig;
    std::uint8_t out[1] = {};
    EXPECT_FALSE(rig.op.ReadRegs(0x4000, out, 0));
    EXPECT_FALSE(rig.op.ReadRegs(0x4000, out, -1));
    EXPECT_FALSE(rig.op.ReadRegs(0x4000, nullptr, 1));
    EXPECT_TRUE(rig.driver.Transfers().empty());
}

struct BadAnswerCase {
    const char* name;
    Bytes answer;
    std::size_t storedBefore;  // registers that the walk keeps
};

TEST(ReadRegs, BadAnswersFailAndKeepTheBytesBeforeTheBadWord) {
    const Bytes data = {0x10, 0x20, 0x30, 0x40};
    Bytes wrongTag = AnswerWords(0x4000, data);
    wrongTag[2 * 4 + 3] = 0x80;  // third word
    Bytes wrongAddress = AnswerWords(0x4000, data);
    wrongAddress[1 * 4 + 1] = 0x09;  // second word claims 0x4009
    Bytes outOfOrder = AnswerWords(0x4000, data);
    std::swap_ranges(outOfOrder.begin(), outOfOrder.begin() + 4, outOfOrder.begin() + 4);
    const Bytes good = AnswerWords(0x4000, data);
    const Bytes shortAnswer(good.begin(), good.begin() + 12);
    const Bytes torn(good.begin(), good.begin() + 14);

    const std::vector<BadAnswerCase> cases = {
        {"wrong tag on the third word", wrongTag, 2},
        {"wrong address", wrongAddress, 1},
        {"words out of order", outOfOrder, 0},
        {"short answer", shortAnswer, 3},
        {"torn last word", torn, 3},
        {"empty answer", {}, 0},
    };
    for (const auto& c : cases) {
        SimRig rig;
        rig.driver.Answer(kIn, c.answer);
        Bytes out(4, 0xEE);
        EXPECT_FALSE(rig.op.ReadRegs(0x4000, out.data(), 4)) << c.name;
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(out[i], i < c.storedBefore ? data[i] : 0xEE) << c.name << " register " << i;
    }
}

TEST(ReadRegs, SimulatorAnswerFaultsFailTheRead) {
    struct FaultCase {
        const char* name;
        void (*arm)(sim::SimFaults&);
    };
    const std::vector<FaultCase> cases = {
        {"wrong tag",
         [](sim::SimFaults& f) {
             f.wrongTagAnswers = 1;
             f.faultWordIndex = 2;
         }},
        {"wrong address", [](sim::SimFaults& f) { f.wrongAddressAnswers = 1; }},
        {"short", [](sim::SimFaults& f) { f.shortAnswers = 1; }},
        {"empty", [](sim::SimFaults& f) { f.emptyAnswers = 1; }},
        {"failed transfers", [](sim::SimFaults& f) { f.failTransfers = 3; }},
    };
    for (const auto& c : cases) {
        SimRig rig;
        c.arm(rig.Controller().Faults());
        std::array<std::uint8_t, 8> out{};
        EXPECT_FALSE(rig.op.ReadRegs(0x4000, out.data(), 8)) << c.name;
        // The fault is spent: the next read is good again.
        EXPECT_TRUE(rig.op.ReadRegs(0x4000, out.data(), 8)) << c.name;
    }
}

TEST(ReadRegs, BadFirstChunkFailsTheWholeReadAndNextChunkIsStillAsked) {
    SimRig rig;
    Bytes first = AnswerWords(0x4000, Bytes(256, 0x55));
    first[10 * 4 + 3] = 0x80;
    rig.driver.Answer(kIn, first);
    Bytes out(300);
    EXPECT_FALSE(rig.op.ReadRegs(0x4000, out.data(), 300));
    EXPECT_EQ(rig.Sent(kOut).size(), 2u);
}

TEST(ReadRegs, OverlongAnswerNeverWritesPastTheOutput) {
    SimRig rig;
    // 8 words offered and claimed for a read of 2 registers.
    rig.driver.Answer(kIn, AnswerWords(0x4000, {1, 2, 3, 4, 5, 6, 7, 8}), 32);
    Bytes out(6, 0xEE);
    EXPECT_TRUE(rig.op.ReadRegs(0x4000, out.data(), 2));
    EXPECT_EQ(out, (Bytes{1, 2, 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(ReadRegs, ReadAcrossTheTopOfTheSpaceFails) {
    // The answer for register 1 carries 0x0000 where 0x10000 is expected.
    SimRig rig;
    std::array<std::uint8_t, 2> out{};
    EXPECT_FALSE(rig.op.ReadRegs(0xFFFF, out.data(), 2));
    EXPECT_EQ(rig.Sent(kOut), (std::vector<Bytes>{{1, 0xFF, 0xFF, 0x81}}));
}

TEST(ReadRegsRetry, RetriesUpToFourReads) {
    SimRig rig;
    rig.Controller().SetReg(0x4001, 0x42);
    rig.Controller().Faults().wrongTagAnswers = 3;
    std::uint8_t out[1] = {};
    EXPECT_TRUE(rig.op.ReadRegsRetry(0x4001, out, 1));
    EXPECT_EQ(out[0], 0x42);
    EXPECT_EQ(rig.Sent(kOut).size(), 4u);

    rig.driver.ClearTransfers();
    rig.Controller().Faults().wrongTagAnswers = 10;
    EXPECT_FALSE(rig.op.ReadRegsRetry(0x4001, out, 1));
    EXPECT_EQ(rig.Sent(kOut).size(), 4u);
    rig.Controller().Faults().wrongTagAnswers = 0;
}

TEST(ReadRegsRetry, NoRetryOnceTheHandleIsClosed) {
    SimRig rig;
    rig.op.Device()->CloseDevice();
    std::uint8_t out[1] = {};
    EXPECT_FALSE(rig.op.ReadRegsRetry(0x4000, out, 1));
    EXPECT_TRUE(rig.driver.Transfers().empty());
}

TEST(BulkExchange, RetriesThreeTimesWithoutPause) {
    SimRig rig;
    rig.driver.Fail(kOut, 2);
    std::uint8_t word[4] = {0x99, 0x20, 0x40, 0x80};
    std::int32_t length = 4;
    EXPECT_TRUE(rig.op.BulkExchange(word, length, 0));
    EXPECT_EQ(length, 4);
    EXPECT_EQ(rig.Sent(kOut).size(), 3u);
    EXPECT_EQ(rig.Controller().Reg(0x4020), 0x99);

    rig.driver.ClearTransfers();
    rig.driver.Fail(kOut, 3);
    length = 4;
    EXPECT_FALSE(rig.op.BulkExchange(word, length, 0));
    EXPECT_EQ(length, 0);
    EXPECT_EQ(rig.Sent(kOut).size(), 3u);
}

TEST(BulkExchange, LengthsBeyondTheTransferBufferFailWithoutTraffic) {
    SimRig rig;
    Bytes big(2048);
    std::int32_t length = 1026;
    EXPECT_FALSE(rig.op.BulkExchange(big.data(), length, 0));
    length = -1;
    EXPECT_FALSE(rig.op.BulkExchange(big.data(), length, 1));
    EXPECT_TRUE(rig.driver.Transfers().empty());
}

TEST(BulkExchange, InCopiesNoMoreThanTheCallerAsked) {
    SimRig rig;
    rig.driver.Answer(kIn, Bytes(64, 0x77), 64);
    Bytes buffer(16, 0xEE);
    std::int32_t length = 8;
    EXPECT_TRUE(rig.op.BulkExchange(buffer.data(), length, 1));
    EXPECT_EQ(length, 8);
    EXPECT_EQ(buffer, (Bytes{0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0xEE, 0xEE, 0xEE, 0xEE,
                             0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(BulkExchange, SetsTheEndpointTimeOut) {
    SimRig rig;
    usb::CUsbEndPoint* out = rig.op.Device()->FindEndPoint(kOut);
    ASSERT_NE(out, nullptr);
    out->TimeOut = 10000;
    std::uint8_t word[4] = {0, 0x00, 0x40, 0x80};
    std::int32_t length = 4;
    rig.op.BulkExchange(word, length, 0);
    EXPECT_EQ(out->TimeOut, 1000u);
}

}  // namespace
}  // namespace velmor::controller
