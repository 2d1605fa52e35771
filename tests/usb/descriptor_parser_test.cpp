// Configuration and BOS tables: what is parsed from good tables, the limits of
// the records, and the refusal of every kind of broken table without reading
// outside the bytes that arrived.

#include "usb/descriptor_parser.h"

#include <gtest/gtest.h>

#include <random>

#include "support/fake_driver.h"

namespace velmor::usb::test {
namespace {

class ParserTest : public ::testing::Test {
  protected:
    std::unique_ptr<UsbConfigRecord> Parse(const Bytes& table, bool companions = true) {
        // The bytes live in their own allocation so the sanitizer sees any overrun.
        auto copy = std::make_unique<std::uint8_t[]>(table.size());
        std::copy(table.begin(), table.end(), copy.get());
        return ParseConfiguration({copy.get(), table.size()}, companions, driver, 100);
    }
    static std::size_t EndPoints(const UsbInterfaceRecord& record) {
        std::size_t n = 0;
        for (const auto& ep : record.endPoints) n += ep != nullptr;
        return n;
    }
    FakeDriver driver;
};

TEST_F(ParserTest, SuperSpeedTableTakesCompanions) {
    const Bytes table = ConfigBuilder(1, 3, 0xC0, 100)
                            .Interface(0, 0, 3, 0xFF, 0x11, 0x22)
                            .EndPoint(0x02, 2, 1024)
                            .Companion(15)
                            .EndPoint(0x81, 1, 1024, 1)
                            .Companion(1, 2, 6144)
                            .EndPoint(0x83, 3, 64, 4)
                            .Build();
    const auto config = Parse(table);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->interfaceCount, 1);
    EXPECT_EQ(config->ConfigurationValue(), 3);
    EXPECT_EQ(config->Attributes(), 0xC0);
    EXPECT_EQ(config->MaxPower(), 100);
    const UsbInterfaceRecord& intf = *config->interfaces[0];
    EXPECT_EQ(intf.InterfaceSubClass(), 0x11);
    EXPECT_EQ(intf.totalLength, table.size() - 9);
    EXPECT_EQ(intf.endPoints[0], nullptr);  // reserved for the control endpoint

    auto* bulk = dynamic_cast<CBulkEndPoint*>(intf.endPoints[1].get());
    ASSERT_NE(bulk, nullptr);
    EXPECT_EQ(bulk->MaxPktSize, 1024 * 16);
    EXPECT_EQ(bulk->ssdscType, 0x30);
    auto* iso = dynamic_cast<CIsocEndPoint*>(intf.endPoints[2].get());
    ASSERT_NE(iso, nullptr);
    EXPECT_EQ(iso->MaxPktSize, 1024 * 2 * 3);
    EXPECT_EQ(iso->ssbytesperinterval, 6144);
    auto* interrupt = dynamic_cast<CInterruptEndPoint*>(intf.endPoints[3].get());
    ASSERT_NE(interrupt, nullptr);
    EXPECT_EQ(interrupt->ssdscLen, 0);  // no companion followed it
    EXPECT_EQ(interrupt->Interval, 4);
}

TEST_F(ParserTest, WithoutCompanionsAFollowingCompanionIsSkipped) {
    const Bytes table = ConfigBuilder()
                            .Interface(0, 0, 2)
                            .EndPoint(0x02, 2, 512)
                            .Companion(3)
                            .EndPoint(0x82, 2, 512)
                            .Build();
    const auto config = Parse(table, false);
    ASSERT_NE(config, nullptr);
    const UsbInterfaceRecord& intf = *config->interfaces[0];
    ASSERT_EQ(EndPoints(intf), 2u);
    EXPECT_EQ(intf.endPoints[1]->MaxPktSize, 512);
    EXPECT_EQ(intf.endPoints[1]->ssdscLen, 0);
    EXPECT_EQ(intf.endPoints[2]->Address, 0x82);
}

TEST_F(ParserTest, SkipsAtMostElevenOtherDescriptorsPerInterfaceBlock) {
    for (int classSpecific : {11, 12}) {
        ConfigBuilder builder;
        builder.Interface(0, 0, 2);
        for (int i = 0; i < classSpecific; ++i) builder.ClassSpecific(5);
        builder.EndPoint(0x02, 2, 512).EndPoint(0x82, 2, 512);
        const auto config = Parse(builder.Build(), false);
        ASSERT_NE(config, nullptr) << classSpecific;
        const UsbInterfaceRecord& intf = *config->interfaces[0];
        if (classSpecific == 11) {
            EXPECT_EQ(EndPoints(intf), 2u);
            EXPECT_EQ(intf.totalLength, 9 + 11 * 5 + 2 * 7);
        } else {
            // Skipping stopped at the twelfth: the endpoints were never reached.
            EXPECT_EQ(EndPoints(intf), 0u);
            EXPECT_EQ(intf.totalLength, 9 + 11 * 5);
        }
    }
}

TEST_F(ParserTest, OverstatedEndPointCountEndsAtTheNextInterface) {
    const Bytes table = ConfigBuilder(2)
                            .Interface(0, 0, 3)
                            .EndPoint(0x02, 2, 512)
                            .Interface(1, 0, 1)
                            .EndPoint(0x83, 3, 8)
                            .Build();
    const auto config = Parse(table, false);
    ASSERT_NE(config, nullptr);
    ASSERT_EQ(config->interfaceCount, 2);
    EXPECT_EQ(EndPoints(*config->interfaces[0]), 1u);
    EXPECT_EQ(config->interfaces[1]->endPoints[1]->Address, 0x83);
}

TEST_F(ParserTest, AlternateSettingCountsPerInterfaceNumber) {
    const Bytes table =
        ConfigBuilder(2).Interface(0, 0, 0).Interface(0, 1, 0).Interface(1, 0, 0).Build();
    const auto config = Parse(table);
    ASSERT_NE(config, nullptr);
    ASSERT_EQ(config->interfaceCount, 3);
    EXPECT_EQ(config->interfaces[0]->altSettings, 2);
    EXPECT_EQ(config->interfaces[1]->altSettings, 2);
    EXPECT_EQ(config->interfaces[2]->altSettings, 1);
}

TEST_F(ParserTest, AtMostEightInterfaceRecords) {
    ConfigBuilder builder(10);
    for (std::uint8_t i = 0; i < 10; ++i) builder.Interface(i, 0, 0);
    const auto config = Parse(builder.Build());
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->interfaceCount, 8);
    EXPECT_EQ(config->interfaces[7]->InterfaceNumber(), 7);
}

TEST_F(ParserTest, AtMostThirtyOneEndPoints) {
    ConfigBuilder builder;
    builder.Interface(0, 0, 40);
    for (std::uint8_t i = 1; i <= 40; ++i) builder.EndPoint(i, 2, 512);
    const auto config = Parse(builder.Build(), false);
    ASSERT_NE(config, nullptr);
    const UsbInterfaceRecord& intf = *config->interfaces[0];
    EXPECT_EQ(EndPoints(intf), 31u);
    EXPECT_EQ(intf.endPoints[31]->Address, 31);
}

TEST_F(ParserTest, DescriptorsBeforeTheFirstInterfaceAreWalkedOver) {
    const Bytes table = ConfigBuilder()
                            .Raw({8, 0x0B, 0, 1, 0xFF, 0, 0, 0})  // interface association
                            .Interface(0, 0, 1)
                            .EndPoint(0x82, 2, 512)
                            .Build();
    const auto config = Parse(table);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->interfaces[0]->endPoints[1]->Address, 0x82);
}

struct BadTable {
    const char* name;
    Bytes bytes;
};

Bytes WithTotal(Bytes bytes, std::uint16_t total) {
    bytes[2] = static_cast<std::uint8_t>(total);
    bytes[3] = static_cast<std::uint8_t>(total >> 8);
    return bytes;
}

std::vector<BadTable> BadConfigurations() {
    const Bytes good = ControllerConfig(true);
    Bytes truncated = good;
    truncated.resize(good.size() - 3);  // wTotalLength still says the full size
    Bytes zeroLength = ConfigBuilder().Interface(0, 0, 1).Raw({0, 5, 0x82, 2, 0, 2, 0}).Build();
    Bytes oneLength = ConfigBuilder().Interface(0, 0, 1).Raw({1, 5}).Build();
    Bytes pastTotal = ConfigBuilder().Interface(0, 0, 1).Raw({30, 5, 0x82, 2, 0, 2, 0}).Build();
    return {
        {"empty", {}},
        {"shorter than the header", {9, 2, 9, 0, 0, 0, 0, 0}},
        {"header bLength 0", WithTotal({0, 2, 0, 0, 1, 1, 0, 0x80, 50}, 9)},
        {"header bLength 8", WithTotal({8, 2, 0, 0, 1, 1, 0, 0x80, 50}, 9)},
        {"not a configuration", WithTotal({9, 4, 0, 0, 1, 1, 0, 0x80, 50}, 9)},
        {"wTotalLength below 9", WithTotal(good, 8)},
        {"wTotalLength 0", WithTotal(good, 0)},
        {"header longer than wTotalLength",
         WithTotal({12, 2, 0, 0, 1, 1, 0, 0x80, 50, 0, 0, 0}, 10)},
        {"fewer bytes than wTotalLength", truncated},
        {"zero bLength", zeroLength},
        {"bLength 1", oneLength},
        {"bLength past wTotalLength", pastTotal},
        {"descriptor cut by wTotalLength",
         WithTotal(good, static_cast<std::uint16_t>(good.size() - 1))},
        {"lone byte at the end", ConfigBuilder().Interface(0, 0, 0).Raw({7}).Build()},
        {"short interface descriptor", ConfigBuilder().Raw({8, 4, 0, 0, 1, 0xFF, 0, 0}).Build()},
        {"short endpoint descriptor",
         ConfigBuilder().Interface(0, 0, 1).Raw({6, 5, 0x82, 2, 0, 2}).Build()},
        {"short companion", ConfigBuilder()
                                .Interface(0, 0, 1)
                                .EndPoint(0x82, 2, 1024)
                                .Raw({5, 0x30, 0, 0, 0})
                                .Build()},
        {"broken descriptor after an endpoint",
         ConfigBuilder().Interface(0, 0, 2).EndPoint(0x02, 2, 1024).Raw({0, 0x24}).Build()},
        {"broken class-specific descriptor",
         ConfigBuilder().Interface(0, 0, 1).ClassSpecific(5).Raw({40, 0x24, 0}).Build()},
    };
}

TEST_F(ParserTest, RefusesBrokenConfigurationTables) {
    for (const BadTable& bad : BadConfigurations()) {
        EXPECT_EQ(Parse(bad.bytes), nullptr) << bad.name;
    }
}

TEST_F(ParserTest, EveryTruncationAndByteFlipStaysInBounds) {
    const Bytes good = ConfigBuilder(2)
                           .Interface(0, 0, 2)
                           .ClassSpecific(4)
                           .EndPoint(0x02, 2, 1024)
                           .Companion(3)
                           .EndPoint(0x82, 2, 1024)
                           .Companion(0)
                           .Interface(1, 0, 1)
                           .EndPoint(0x83, 3, 64)
                           .Build();
    ASSERT_NE(Parse(good), nullptr);
    for (std::size_t size = 0; size < good.size(); ++size) {
        EXPECT_EQ(Parse(Bytes(good.begin(), good.begin() + size)), nullptr) << size;
    }
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (std::uint8_t value : {0x00, 0x01, 0x07, 0x30, 0xFF}) {
            Bytes bad = good;
            bad[i] = value;
            const auto config = Parse(bad);
            if (!config) continue;
            std::size_t blocks = 9;
            for (std::size_t k = 0; k < config->interfaceCount; ++k) {
                blocks += config->interfaces[k]->totalLength;
            }
            EXPECT_LE(blocks, bad.size()) << "byte " << i << " = " << int(value);
        }
    }
}

// Random tables that look plausible (a valid header, random descriptors after
// it): whatever is parsed stays inside the bytes, and the limits hold.
TEST_F(ParserTest, SeededRandomTablesStayInBoundsAndWithinLimits) {
    std::mt19937 random(20261209);
    const std::uint8_t types[] = {4, 5, 0x30, 0x24, 0x0B, 0};
    int withEndPoints = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes table{9, 2, 0, 0, 1, 1, 0, 0x80, 50};
        const int descriptors = static_cast<int>(random() % 40);
        for (int d = 0; d < descriptors; ++d) {
            const auto length = static_cast<std::uint8_t>(random() % 12);
            table.push_back(length);
            table.push_back(types[random() % std::size(types)]);
            for (int b = 2; b < length; ++b) table.push_back(static_cast<std::uint8_t>(random()));
        }
        const auto declared = random() % 4 == 0 ? random() % (table.size() + 8) : table.size();
        table[2] = static_cast<std::uint8_t>(declared);
        table[3] = static_cast<std::uint8_t>(declared >> 8);
        const auto config = Parse(table, random() % 2 == 0);
        if (!config) continue;
        ASSERT_LE(config->interfaceCount, kMaxInterfaceRecords);
        std::size_t blocks = 9;
        for (std::size_t k = 0; k < config->interfaceCount; ++k) {
            blocks += config->interfaces[k]->totalLength;
            EXPECT_LE(EndPoints(*config->interfaces[k]), kMaxEndPoints);
            withEndPoints += EndPoints(*config->interfaces[k]) > 0;
        }
        EXPECT_LE(blocks, declared) << "round " << round;
    }
    EXPECT_GT(withEndPoints, 0);  // the generator does reach endpoints
}

TEST(BosParserTest, SeededRandomTablesNeverReadOutside) {
    std::mt19937 random(7);
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes table{5, 0x0F, 0, 0, static_cast<std::uint8_t>(random() % 6)};
        const int capabilities = static_cast<int>(random() % 6);
        for (int c = 0; c < capabilities; ++c) {
            const auto length = static_cast<std::uint8_t>(random() % 24);
            table.push_back(length);
            table.push_back(0x10);
            table.push_back(static_cast<std::uint8_t>(random() % 6));
            for (int b = 3; b < length; ++b) table.push_back(static_cast<std::uint8_t>(random()));
        }
        table[2] = static_cast<std::uint8_t>(table.size());
        table[3] = static_cast<std::uint8_t>(table.size() >> 8);
        auto copy = std::make_unique<std::uint8_t[]>(table.size());
        std::copy(table.begin(), table.end(), copy.get());
        const auto bos = ParseBos({copy.get(), table.size()});
        if (!bos) continue;
        ++parsed;
        EXPECT_LE(bos->capabilitiesWalked, table[4]);
    }
    EXPECT_GT(parsed, 0);  // the generator does produce good tables too
}

TEST(BosParserTest, RecordsTheThreeCapabilities) {
    const Bytes table = BosBuilder()
                            .Usb20Extension(0x0000F41E)
                            .SuperSpeed(0x000E, 0x07FF)
                            .ContainerId(0xA0)
                            .Build();
    const auto bos = ParseBos(table);
    ASSERT_NE(bos, nullptr);
    EXPECT_TRUE(bos->usb20Extension.present);
    EXPECT_EQ(bos->usb20Extension.bmAttributes, 0x0000F41Eu);
    EXPECT_TRUE(bos->superSpeed.present);
    EXPECT_EQ(bos->superSpeed.wSpeedsSupported, 0x000E);
    EXPECT_EQ(bos->superSpeed.bU1DevExitLat, 0x0A);
    EXPECT_EQ(bos->superSpeed.wU2DevExitLat, 0x07FF);
    EXPECT_TRUE(bos->containerId.present);
    EXPECT_EQ(bos->containerId.containerId[0], 0xA0);
    EXPECT_EQ(bos->containerId.containerId[15], 0xAF);
    EXPECT_EQ(bos->capabilitiesWalked, 3);
}

TEST(BosParserTest, StopsAfterTheDeclaredCapabilities) {
    const Bytes table = BosBuilder().Usb20Extension(2).SuperSpeed(0x0E, 1).Build(-1, 1);
    const auto bos = ParseBos(table);
    ASSERT_NE(bos, nullptr);
    EXPECT_TRUE(bos->usb20Extension.present);
    EXPECT_FALSE(bos->superSpeed.present);
}

TEST(BosParserTest, UnknownCapabilitiesAreWalkedOver) {
    const Bytes table = BosBuilder().Capability({4, 0x10, 0x0A, 0}).SuperSpeed(0x0E, 1).Build();
    const auto bos = ParseBos(table);
    ASSERT_NE(bos, nullptr);
    EXPECT_TRUE(bos->superSpeed.present);
}

TEST(BosParserTest, RefusesBrokenBosTables) {
    const Bytes good = BosBuilder().Usb20Extension(2).SuperSpeed(0x0E, 1).Build();
    Bytes truncated = good;
    truncated.pop_back();
    const std::vector<BadTable> cases = {
        {"empty", {}},
        {"four bytes", {5, 0x0F, 5, 0}},
        {"header bLength 4", {4, 0x0F, 5, 0, 0}},
        {"not a BOS", {5, 0x02, 5, 0, 0}},
        {"wTotalLength below 5", WithTotal(good, 4)},
        {"fewer bytes than wTotalLength", truncated},
        {"zero-length capability", BosBuilder().Capability({0, 0x10, 2}).Build()},
        {"capability of 2 bytes", BosBuilder().Capability({2, 0x10}).Build()},
        {"capability past wTotalLength",
         BosBuilder().Capability({30, 0x10, 2, 0, 0, 0, 0}).Build()},
        {"short USB 2.0 extension", BosBuilder().Capability({6, 0x10, 2, 0, 0, 0}).Build()},
        {"short SuperSpeed capability",
         BosBuilder().Capability({9, 0x10, 3, 0, 0, 0, 0, 0, 0}).Build()},
        {"short container ID",
         BosBuilder()
             .Capability({19, 0x10, 4, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})
             .Build()},
    };
    for (const BadTable& bad : cases) {
        auto copy = std::make_unique<std::uint8_t[]>(bad.bytes.size());
        std::copy(bad.bytes.begin(), bad.bytes.end(), copy.get());
        EXPECT_EQ(ParseBos({copy.get(), bad.bytes.size()}), nullptr) << bad.name;
    }
}

TEST(DescriptorHelpersTest, ControlPacketSizeRule) {
    struct Case {
        std::uint16_t bcdUSB;
        std::uint8_t maxPacket0;
        std::uint16_t expected;
    };
    const Case cases[] = {{0x0300, 9, 512},    {0x0200, 64, 64}, {0x0210, 8, 8},
                          {0x0310, 9, 512},    {0x0320, 6, 64},  {0x02FF, 9, 9},
                          {0x0300, 15, 32768}, {0x0300, 16, 0},  {0x0300, 255, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(ControlPacketSize(c.bcdUSB, c.maxPacket0), c.expected)
            << std::hex << c.bcdUSB << " " << int(c.maxPacket0);
    }
}

TEST(DescriptorHelpersTest, LanguageChoice) {
    EXPECT_EQ(ChooseLanguage(LanguageList({0x0409})), 0x0409);
    EXPECT_EQ(ChooseLanguage(LanguageList({0x0804, 0x0409})), 0x0409);
    EXPECT_EQ(ChooseLanguage(LanguageList({0x0804, 0x0407})), 0x0804);
    EXPECT_EQ(ChooseLanguage(LanguageList({})), 0);
    EXPECT_EQ(ChooseLanguage(Bytes{4, 2, 0x09, 0x04}), 0);  // not a string descriptor
    // bLength claims more languages than arrived: only the arrived ones count.
    EXPECT_EQ(ChooseLanguage(Bytes{40, 3, 0x04, 0x08}), 0x0804);
}

TEST(DescriptorHelpersTest, StringPayloadIsBounded) {
    std::array<std::uint8_t, 256> out{};
    out.fill(0xEE);
    EXPECT_EQ(CopyStringPayload(StringDescriptor("AB"), out), 4u);
    EXPECT_EQ(out[0], 'A');
    EXPECT_EQ(out[2], 'B');
    EXPECT_EQ(out[4], 0);  // zeroed beyond the payload

    EXPECT_EQ(CopyStringPayload(Bytes{2, 3}, out), 0u);
    EXPECT_EQ(CopyStringPayload(Bytes{6, 4, 'A', 0, 'B', 0}, out), 0u);
    EXPECT_EQ(out[0], 0);
    // bLength 255 but only 10 bytes arrived.
    EXPECT_EQ(CopyStringPayload(Bytes{255, 3, 1, 2, 3, 4, 5, 6, 7, 8}, out), 8u);
    // A payload larger than the member is cut to the member.
    Bytes longString(255, 'x');
    longString[0] = 255;
    longString[1] = 3;
    std::array<std::uint8_t, 16> small{};
    EXPECT_EQ(CopyStringPayload(longString, small), 16u);
}

}  // namespace
}  // namespace velmor::usb::test
