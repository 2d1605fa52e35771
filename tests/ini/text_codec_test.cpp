#include "ini/text_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace velmor::ini {
namespace {

TEST(TextCodec, ChineseTextDecodesToUtf8AndBack) {
    const std::string gbk = "RegName=\xbc\xc4\xb4\xe6\xc6\xf7[7:0]";  // 寄存器
    const std::string utf8 = DecodeGbk(gbk);
    EXPECT_EQ(utf8, "RegName=寄存器[7:0]");
    EXPECT_EQ(EncodeGbk(utf8), gbk);
}

TEST(TextCodec, SecondByteThatLooksLikeAsciiStaysInsideTheCharacter) {
    // 0x81 0x5B ... second bytes '[', ']', '\' and letters belong to the character.
    for (const char trail : {'\x5b', '\x5d', '\x5c', 'A', 'z'}) {
        const std::string gbk = std::string("\x81") + trail;
        const std::string utf8 = DecodeGbk(gbk);
        EXPECT_EQ(utf8.find(trail), std::string::npos) << int(trail);
        EXPECT_EQ(EncodeGbk(utf8), gbk);
    }
}

TEST(TextCodec, InvalidBytesSurviveARoundTrip) {
    const std::string cases[] = {
        "\x80",          // not a GBK lead byte
        "\xff",          // neither
        "abc\x81",       // lead byte at the very end
        "\x81\x20x",     // lead byte before a byte that cannot follow it
        "\xd6\xd0\xce",  // a whole character, then a cut one
        std::string("\x00\xfe\x00", 3),
    };
    for (const std::string& raw : cases) {
        EXPECT_EQ(EncodeGbk(DecodeGbk(raw)), raw);
    }
}

TEST(TextCodec, EveryByteSequenceRoundTrips) {
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        std::string raw(static_cast<std::size_t>(1 + round * 7), '\0');
        for (char& c : raw) c = static_cast<char>(byte(rng));
        ASSERT_EQ(EncodeGbk(DecodeGbk(raw)), raw) << "round " << round;
    }
    std::string all;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            all += static_cast<char>(lead);
            all += static_cast<char>(trail);
        }
    }
    EXPECT_EQ(EncodeGbk(DecodeGbk(all)), all);
}

TEST(TextCodec, DecodedTextIsValidUtf8WithoutRawBytes) {
    const std::string utf8 = DecodeGbk("\xff\x81");   // not a character; a cut lead byte
    for (unsigned char c : utf8) EXPECT_GE(c, 0x80);  // no stray ASCII from the raw bytes
    EXPECT_EQ(utf8, "\xef\x9f\xbf\xef\x9e\x81");      // U+F7FF, U+F781
}

TEST(TextCodec, CharactersOutsideGbkBecomeQuestionMarks) {
    EXPECT_EQ(EncodeGbk("a\xf0\x9f\x98\x80z"), "a?z");  // an emoji
    EXPECT_EQ(EncodeGbk("a\xc3z"), "a?z");              // broken UTF-8
}

TEST(TextCodec, TruncationCountsGbkBytesAndKeepsCharactersWhole) {
    const std::string text = "ab中文";  // 2 + 2 + 2 bytes in GBK
    EXPECT_EQ(GbkLength(text), 6u);
    EXPECT_EQ(TruncateToGbkBytes(text, 6), text);
    EXPECT_EQ(TruncateToGbkBytes(text, 5), "ab中");
    EXPECT_EQ(TruncateToGbkBytes(text, 3), "ab");
    EXPECT_EQ(TruncateToGbkBytes(text, 0), "");
}

}  // namespace
}  // namespace velmor::ini
