// Register words on the bulk endpoints: writes, read commands and their answer
// words, address wrap, the fixed registers, and the answer faults.

#include <gtest/gtest.h>

#include <vector>

#include "drivers/sim/sim_driver.h"
#include "sim_port.h"

namespace velmor::sim {
namespace {

using testing::PutWrite;
using testing::ReadCommand;
using testing::SimPort;

struct Answer {
    std::uint8_t value;
    std::uint16_t address;
    std::uint8_t tag;
};

std::vector<Answer> Words(const std::vector<std::uint8_t>& bytes) {
    std::vector<Answer> out;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4)
        out.push_back(
            {bytes[i], static_cast<std::uint16_t>(bytes[i + 1] | bytes[i + 2] << 8), bytes[i + 3]});
    return out;
}

class SimRegisters : public ::testing::Test {
  protected:
    std::unique_ptr<SimDriver> driver = SimDriver::WithOneDevice();
    SimController& ctl = driver->Device(0).Controller();
    SimPort port{*driver};
};

TEST_F(SimRegisters, WriteWordsThenReadAnswerWords) {
    std::vector<std::uint8_t> words;
    PutWrite(words, 0x4001, 0x5A);
    PutWrite(words, 0x4002, 0xA5);
    ASSERT_TRUE(port.Send(words));
    EXPECT_EQ(ctl.Reg(0x4001), 0x5A);
    EXPECT_EQ(ctl.Reg(0x4002), 0xA5);
    using W = std::pair<std::uint16_t, std::uint8_t>;
    EXPECT_EQ(ctl.WriteLog(), (std::vector<W>{{0x4001, 0x5A}, {0x4002, 0xA5}}));

    ASSERT_TRUE(port.Send(ReadCommand(0x4000, 3)));
    EXPECT_EQ(port.Receive(12), (std::vector<std::uint8_t>{0x00, 0x00, 0x40, 0x81, 0x5A, 0x01, 0x40,
                                                           0x81, 0xA5, 0x02, 0x40, 0x81}));
}

TEST_F(SimRegisters, ReadOf256RegistersAnswers1024Bytes) {
    for (int i = 0; i < 256; ++i)
        ctl.SetReg(static_cast<std::uint16_t>(0x4100 + i), static_cast<std::uint8_t>(i ^ 0x3C));
    ASSERT_TRUE(port.Send(ReadCommand(0x4100, 256)));
    const auto answer = port.Buffered(0x82, std::vector<std::uint8_t>(1024));
    ASSERT_EQ(answer.error, 0u);
    EXPECT_EQ(answer.bytes, 38u + 1024u);
    const auto words = Words(answer.data);
    ASSERT_EQ(words.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(words[i].value, i ^ 0x3C) << i;
        EXPECT_EQ(words[i].address, 0x4100 + i) << i;
        EXPECT_EQ(words[i].tag, 0x81) << i;
    }
}

TEST_F(SimRegisters, DirectTransfersCarryTheSameWords) {
    std::vector<std::uint8_t> words;
    PutWrite(words, 0x4010, 0x77);
    const auto out = port.Direct(0x02, words);
    ASSERT_EQ(out.error, 0u);
    EXPECT_EQ(out.bytes, 4u);  // data bytes only for direct transfers
    EXPECT_EQ(ctl.Reg(0x4010), 0x77);

    std::vector<std::uint8_t> command = ReadCommand(0x4010, 1);
    ASSERT_EQ(port.Direct(0x02, command).error, 0u);
    std::vector<std::uint8_t> room(8);
    const auto in = port.Direct(0x82, room);
    ASSERT_EQ(in.error, 0u);
    EXPECT_EQ(in.bytes, 4u);
    EXPECT_EQ(in.data, (std::vector<std::uint8_t>{0x77, 0x10, 0x40, 0x81}));
}

TEST_F(SimRegisters, FailedDirectTransferWritesStatusesIntoTheRequestersBlock) {
    ctl.Faults().failTransfers = 1;
    std::vector<std::uint8_t> words;
    PutWrite(words, 0x4010, 0x77);
    const auto failed = port.Direct(0x02, words);
    EXPECT_NE(failed.error, 0u);
    EXPECT_EQ(failed.bytes, 0u);
    EXPECT_EQ(failed.header.usbdStatus, 0xC0000005u);
    EXPECT_NE(failed.header.ntStatus, 0u);
    EXPECT_EQ(ctl.Reg(0x4010), 0);
    const auto ok = port.Direct(0x02, words);
    EXPECT_EQ(ok.error, 0u);
    EXPECT_EQ(ok.header.usbdStatus, 0u);
    EXPECT_EQ(ctl.Reg(0x4010), 0x77);
}

TEST_F(SimRegisters, AddressesWrapAt16Bits) {
    std::vector<std::uint8_t> words;
    PutWrite(words, 0xFFFF, 0x11);
    PutWrite(words, 0x0000, 0x22);
    ASSERT_TRUE(port.Send(words));
    ASSERT_TRUE(port.Send(ReadCommand(0xFFFF, 2)));
    const auto answer = Words(port.Receive(8));
    ASSERT_EQ(answer.size(), 2u);
    EXPECT_EQ(answer[0].address, 0xFFFF);
    EXPECT_EQ(answer[0].value, 0x11);
    EXPECT_EQ(answer[1].address, 0x0000);
    EXPECT_EQ(answer[1].value, 0x22);
}

TEST_F(SimRegisters, AnswerLargerThanRoomIsCutAndTheRestDropped) {
    ASSERT_TRUE(port.Send(ReadCommand(0x4000, 4)));
    EXPECT_EQ(Words(port.Receive(8)).size(), 2u);
    EXPECT_TRUE(port.Receive(16).empty());
    // Nothing queued: the in transfer completes with no data rather than hanging.
    const auto empty = port.Buffered(0x82, std::vector<std::uint8_t>(16));
    EXPECT_EQ(empty.error, 0u);
    EXPECT_EQ(empty.bytes, 38u);
}

TEST_F(SimRegisters, UnknownTagsAndPartialWordsAreIgnored) {
    ASSERT_TRUE(port.Send({0x99, 0x00, 0x40, 0x7F, 0x55, 0x01, 0x40}));
    EXPECT_EQ(ctl.Reg(0x4000), 0);
    EXPECT_EQ(ctl.Reg(0x4001), 0);
    EXPECT_TRUE(ctl.WriteLog().empty());
}

TEST_F(SimRegisters, VersionBlocksHoldIdentitiesAndIgnoreWrites) {
    ASSERT_TRUE(port.Send(ReadCommand(0x40F0, 16)));
    const auto main = Words(port.Receive(64));
    ASSERT_EQ(main.size(), 16u);
    EXPECT_EQ(std::string({char(main[12].value), char(main[13].value), char(main[14].value),
                           char(main[15].value)}),
              "MB01");
    ASSERT_TRUE(port.Send(ReadCommand(0x41F0, 16)));
    const auto head = Words(port.Receive(64));
    ASSERT_EQ(head.size(), 16u);
    EXPECT_EQ(head[12].value, 'H');
    EXPECT_EQ(head[13].value, 'B');

    const std::uint8_t before = ctl.Reg(0x40F2);
    std::vector<std::uint8_t> words;
    PutWrite(words, 0x40F2, static_cast<std::uint8_t>(before + 1));
    ASSERT_TRUE(port.Send(words));
    EXPECT_EQ(ctl.Reg(0x40F2), before);
}

TEST_F(SimRegisters, ResetPulseIsCountedAndOtherBitsKept) {
    ctl.SetReg(0x4008, 0x15);
    std::vector<std::uint8_t> words;
    PutWrite(words, 0x4008, 0x15);
    PutWrite(words, 0x4008, 0x95);
    PutWrite(words, 0x4008, 0x15);
    ASSERT_TRUE(port.Send(words));
    EXPECT_EQ(ctl.ResetPulses(0x4008), 1u);
    EXPECT_EQ(ctl.ResetPulses(0x4108), 0u);
    EXPECT_EQ(ctl.Reg(0x4008), 0x15);

    words.clear();
    PutWrite(words, 0x4108, 0x80);
    PutWrite(words, 0x4108, 0x80);  // still high: no second pulse
    ASSERT_TRUE(port.Send(words));
    EXPECT_EQ(ctl.ResetPulses(0x4108), 1u);
}

TEST_F(SimRegisters, PlainRegistersStoreAndLogEveryWrite) {
    // Ink timing and flash-spit registers just keep their values; the log keeps order.
    const std::vector<std::pair<std::uint16_t, std::uint8_t>> writes = {
        {0x4071, 12},   {0x4075, 30},   {0x4076, 0x2C}, {0x4077, 0x01},
        {0x410B, 0xC0}, {0x420B, 0xC0}, {0x430B, 0x00}, {0x440B, 0x00}};
    std::vector<std::uint8_t> words;
    for (auto [a, v] : writes) PutWrite(words, a, v);
    ASSERT_TRUE(port.Send(words));
    EXPECT_EQ(ctl.WriteLog(), writes);
    for (auto [a, v] : writes) EXPECT_EQ(ctl.Reg(a), v);
    ctl.ClearWriteLog();
    EXPECT_TRUE(ctl.WriteLog().empty());
}

TEST_F(SimRegisters, HooksSeeWritesAndShapeReads) {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> seen;
    ctl.AddRegisterHook(
        {0x4030, 0x4031,
         [&](SimRegisterFile& file, std::uint16_t a, std::uint8_t previous, std::uint8_t value) {
             seen.emplace_back(previous, value);
             file.SetRaw(static_cast<std::uint16_t>(a + 0x10), value);
         },
         [](SimRegisterFile&, std::uint16_t, std::uint8_t stored) {
             return static_cast<std::uint8_t>(stored | 0x01);
         }});
    std::vector<std::uint8_t> words;
    PutWrite(words, 0x4030, 0x40);
    PutWrite(words, 0x4030, 0x42);
    ASSERT_TRUE(port.Send(words));
    EXPECT_EQ(seen,
              (std::vector<std::pair<std::uint8_t, std::uint8_t>>{{0x00, 0x40}, {0x40, 0x42}}));
    EXPECT_EQ(ctl.Reg(0x4040), 0x42);
    ASSERT_TRUE(port.Send(ReadCommand(0x4030, 1)));
    EXPECT_EQ(Words(port.Receive(4)).at(0).value, 0x43);
    EXPECT_EQ(ctl.Reg(0x4030), 0x42);  // the raw value is untouched by the read
}

// ---- answer faults ----

struct AnswerFaultCase {
    const char* name;
    void (*set)(SimFaults&);
    std::size_t words;  // words the spoiled answer carries
    int spoiledWord;    // -1: none
    bool wrongTag;
};

class SimAnswerFaults : public ::testing::TestWithParam<AnswerFaultCase> {};

TEST_P(SimAnswerFaults, SpoilOneAnswerThenRecover) {
    const AnswerFaultCase c = GetParam();
    auto driver = SimDriver::WithOneDevice();
    SimController& ctl = driver->Device(0).Controller();
    SimPort port(*driver);
    for (int i = 0; i < 4; ++i)
        ctl.SetReg(static_cast<std::uint16_t>(0x4000 + i), static_cast<std::uint8_t>(0x10 + i));
    c.set(ctl.Faults());

    ASSERT_TRUE(port.Send(ReadCommand(0x4000, 4)));
    const auto spoiled = Words(port.Receive(16));
    ASSERT_EQ(spoiled.size(), c.words);
    for (std::size_t i = 0; i < spoiled.size(); ++i) {
        const bool hit = static_cast<int>(i) == c.spoiledWord;
        EXPECT_EQ(spoiled[i].value, 0x10 + i);
        EXPECT_EQ(spoiled[i].tag, hit && c.wrongTag ? 0x80 : 0x81) << i;
        EXPECT_EQ(spoiled[i].address, hit && !c.wrongTag ? 0x4001 + i : 0x4000 + i) << i;
    }

    // One answer only: the next read is whole again.
    ASSERT_TRUE(port.Send(ReadCommand(0x4000, 4)));
    const auto next = Words(port.Receive(16));
    ASSERT_EQ(next.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(next[i].tag, 0x81);
        EXPECT_EQ(next[i].address, 0x4000 + i);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimAnswerFaults,
    ::testing::Values(
        AnswerFaultCase{"WrongTagFirst", [](SimFaults& f) { f.wrongTagAnswers = 1; }, 4, 0, true},
        AnswerFaultCase{"WrongTagThird",
                        [](SimFaults& f) {
                            f.wrongTagAnswers = 1;
                            f.faultWordIndex = 2;
                        },
                        4, 2, true},
        AnswerFaultCase{"WrongAddress", [](SimFaults& f) { f.wrongAddressAnswers = 1; }, 4, 0,
                        false},
        AnswerFaultCase{"WrongAddressPastEndHitsLast",
                        [](SimFaults& f) {
                            f.wrongAddressAnswers = 1;
                            f.faultWordIndex = 99;
                        },
                        4, 3, false},
        AnswerFaultCase{"Short", [](SimFaults& f) { f.shortAnswers = 1; }, 3, -1, false},
        AnswerFaultCase{"Empty", [](SimFaults& f) { f.emptyAnswers = 1; }, 0, -1, false}),
    [](const ::testing::TestParamInfo<AnswerFaultCase>& info) { return info.param.name; });

TEST_F(SimRegisters, ComplementReadsAnswer255MinusValue) {
    ctl.SetReg(0x4100, 0x21);
    ctl.Faults().complementReads = true;
    ASSERT_TRUE(port.Send(ReadCommand(0x4100, 1)));
    EXPECT_EQ(Words(port.Receive(4)).at(0).value, 255 - 0x21);
    EXPECT_EQ(ctl.Reg(0x4100), 0x21);
}

TEST_F(SimRegisters, ZeroByteWriteMovesNothingAndStoresNothing) {
    ctl.Faults().zeroByteWrites = 1;
    std::vector<std::uint8_t> words;
    PutWrite(words, 0x4020, 0x66);
    const auto r = port.Buffered(0x02, words);
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.bytes, 38u);  // the header only: 0 data bytes
    EXPECT_EQ(ctl.Reg(0x4020), 0);
    EXPECT_TRUE(port.Send(words));
    EXPECT_EQ(ctl.Reg(0x4020), 0x66);
}

TEST_F(SimRegisters, FailedTransferSetsStatusesAndKeepsTheAnswerQueued) {
    ASSERT_TRUE(port.Send(ReadCommand(0x4000, 2)));
    ctl.Faults().failTransfers = 1;
    const auto failed = port.Buffered(0x82, std::vector<std::uint8_t>(8));
    EXPECT_NE(failed.error, 0u);
    EXPECT_NE(failed.header.usbdStatus, 0u);
    EXPECT_NE(failed.header.ntStatus, 0u);
    EXPECT_EQ(Words(port.Receive(8)).size(), 2u);  // a retry gets the answer
}

}  // namespace
}  // namespace velmor::sim
