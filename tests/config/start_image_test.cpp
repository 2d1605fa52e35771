#include "config/start_image.h"

#include <gtest/gtest.h>

#include "support/expected_dump.h"
#include "support/sim_rig.h"

namespace velmor::config {
namespace {

using controller::CMD_INFO;

// CRC-16/MODBUS computed here bit by bit, apart from the project's routine.
std::uint16_t ReferenceCrc(const std::uint8_t* bytes, std::size_t length) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ (bytes[i] >> bit)) & 1) != 0;
            crc = static_cast<std::uint16_t>(crc >> 1);
            if (mix) crc ^= 0xA001;
        }
    }
    return crc;
}

CMD_INFO End() { return {"InitEnd", "end[7:0]", "InitEnd", 0x4E00, 0}; }

TEST(StartImageTest, ThreeTerminatorsOnly) {
    const ImageBuild build = BuildStartImage({End(), End(), End()}, {"InitDone", "InitEnd"});
    ASSERT_TRUE(build.Ok());
    EXPECT_EQ(build.records, 3);
    StartImage expected{};
    for (std::size_t i = 0; i < 12; i += 4) {
        expected[i] = 0x31;
        expected[i + 1] = 0x4E;
    }
    const std::uint16_t crc = ReferenceCrc(expected.data(), 0xFFA);
    expected[0xFFA] = static_cast<std::uint8_t>(crc >> 8);
    expected[0xFFB] = static_cast<std::uint8_t>(crc);
    EXPECT_EQ(build.image, expected);
    EXPECT_EQ(build.crc, crc);
}

TEST(StartImageTest, GroupsGoInDownloadOrder) {
    const std::vector<CMD_INFO> list = {{"InitMovement", "a", "WriteAnd", 0x400B, 0x7F},
                                        {"InitDone", "b", "RegWrite", 0x4009, 0x91},
                                        {"Unlisted", "c", "RegWrite", 0x4001, 0x01},
                                        {"InitMovement", "d", "ReadAnd", 0x400F, 0x01},
                                        {"InitEnd", "e", "InitEnd", 0x4E00, 0x00}};
    const ImageBuild build = BuildStartImage(list, {"InitDone", "InitMovement", "InitEnd"});
    ASSERT_TRUE(build.Ok());
    const std::uint8_t records[] = {0x10, 0x40, 0x09, 0x91, 0x11, 0x40, 0x0B, 0x7F,
                                    0x21, 0x40, 0x0F, 0x01, 0x31, 0x4E, 0x00, 0x00};
    EXPECT_TRUE(std::equal(std::begin(records), std::end(records), build.image.begin()));
    EXPECT_EQ(build.image[16], 0);

    // Without "InitDone" in the order, no parameter register goes in.
    const ImageBuild noParams = BuildStartImage(list, {"InitMovement", "InitEnd"});
    EXPECT_EQ(noParams.records, 3);
    EXPECT_EQ(noParams.image[0], 0x11);
}

TEST(StartImageTest, RefusesWhatDoesNotFit) {
    std::vector<CMD_INFO> list(1019, {"InitDone", "r", "RegWrite", 0x4001, 0x5A});
    list.insert(list.end(), {End(), End(), End()});
    EXPECT_TRUE(BuildStartImage(list, {"InitDone", "InitEnd"}).Ok());  // 1022 fit

    list.push_back(End());
    const ImageBuild tooMany = BuildStartImage(list, {"InitDone", "InitEnd"});
    EXPECT_EQ(tooMany.error, ImageBuildError::TooManyRecords);
    EXPECT_EQ(tooMany.image, StartImage{});
    EXPECT_NE(ImageBuildMessage(tooMany, controller::Language::kEnglish).find("1023 records"),
              std::string::npos);
    EXPECT_NE(ImageBuildMessage(tooMany, controller::Language::kEnglish).find("at most 1022"),
              std::string::npos);
    EXPECT_NE(ImageBuildMessage(tooMany, controller::Language::kChinese).find("1023"),
              std::string::npos);

    const ImageBuild unknown = BuildStartImage({{"InitDone", "MB Ctrl1", "RegWrite", 0x4009, 1},
                                                {"Heads", "HB Foo", "regwrite", 0x4101, 2}},
                                               {"InitDone", "Heads"});
    EXPECT_EQ(unknown.error, ImageBuildError::UnknownKeyword);
    const std::string english = ImageBuildMessage(unknown, controller::Language::kEnglish);
    EXPECT_NE(english.find("\"HB Foo\""), std::string::npos);
    EXPECT_NE(english.find("\"Heads\""), std::string::npos);
    EXPECT_NE(ImageBuildMessage(unknown, controller::Language::kChinese).find("\"Heads\""),
              std::string::npos);
    // A command outside the download order is never written, so it is no reason to refuse.
    EXPECT_TRUE(BuildStartImage({{"Heads", "HB Foo", "bogus", 1, 2}}, {"InitDone"}).Ok());
}

TEST(StartImageTest, ParsesBuiltBlankAndZeroBlocks) {
    const std::vector<CMD_INFO> list = {{"InitDone", "MB Ctrl1", "RegWrite", 0x4009, 0x91},
                                        {"InitDone", "x", "WriteOR", 0x400B, 0x08},
                                        End(),
                                        End(),
                                        End()};
    ImageBuild build = BuildStartImage(list, {"InitDone", "InitEnd"});
    build.image[0x20] = 0x77;  // an unknown code after the end: keeps "InitEnd"
    const std::uint16_t crc = ReferenceCrc(build.image.data(), 0xFFA);
    build.image[0xFFA] = static_cast<std::uint8_t>(crc >> 8);
    build.image[0xFFB] = static_cast<std::uint8_t>(crc);

    const ImageReadBack parsed = ParseStartImage(build.image);
    EXPECT_EQ(parsed.state, ImageState::Valid);
    ASSERT_EQ(parsed.commands.size(), 1024u);
    EXPECT_EQ(parsed.commands[0], (CMD_INFO{"", "", "RegWrite", 0x4009, 0x91}));
    EXPECT_EQ(parsed.commands[1], (CMD_INFO{"", "", "WriteOR", 0x400B, 0x08}));
    EXPECT_EQ(parsed.commands[2], End());
    EXPECT_EQ(parsed.commands[8], (CMD_INFO{"InitEnd", "end[7:0]", "InitEnd", 0x0000, 0x00}));

    build.image[5] ^= 0x01;
    EXPECT_EQ(ParseStartImage(build.image).state, ImageState::BadCrc);
    build.image[0xFFA] = build.image[0xFFB] = 0;  // a stored 0 is taken without a check
    EXPECT_EQ(ParseStartImage(build.image).state, ImageState::Valid);

    StartImage blank;
    blank.fill(0xFF);
    EXPECT_EQ(ParseStartImage(blank).state, ImageState::Blank);
    EXPECT_FALSE(ParseStartImage(blank).Ok());

    const ImageReadBack zero = ParseStartImage(StartImage{});
    EXPECT_TRUE(zero.Ok());
    EXPECT_EQ(zero.commands.size(), 1024u);
    EXPECT_TRUE(std::all_of(zero.commands.begin(), zero.commands.end(),
                            [](const CMD_INFO& c) { return c.Addr == 0 && c.OptType.empty(); }));

    EXPECT_EQ(ParseStartImage(std::span(build.image).first(4095)).state, ImageState::Truncated);
    EXPECT_NE(ImageStateMessage(ImageState::Blank, controller::Language::kEnglish).find("blank"),
              std::string::npos);
}

TEST(StartImageTest, DumpsUseSixDigitFlashAddresses) {
    const ImageBuild build = BuildStartImage({End(), End(), End(), End(), End()}, {"InitEnd"});
    std::string log;
    AppendImageDump(log, build.image, build.records);
    const std::vector<std::uint8_t> records(build.image.begin(), build.image.begin() + 20);
    EXPECT_EQ(log, testing::ExpectedDump(records, 0x1B0000, 6) + "\r\n");
    EXPECT_EQ(log.substr(0, 17), "[1B0000-1B000F]: ");

    std::string refresh;
    AppendRefreshDump(refresh);
    EXPECT_EQ(refresh, testing::ExpectedDump(std::vector<std::uint8_t>(128, 0), 0, 4));
}

}  // namespace
}  // namespace velmor::config
