// The list of controller IDs: its text forms, where the programs take it from,
// and the texts a person gets when a controller cannot be reached.

#include "drivers/libusb/device_ids.h"

#include <gtest/gtest.h>
#include <libusb.h>

#include <fstream>

#include "drivers/libusb/device_id_sources.h"
#include "drivers/libusb/libusb_texts.h"
#include "drivers/libusb/program_backend.h"
#include "support/temp_dir.h"
#include "usb/usb_driver.h"

namespace velmor::libusb {
namespace {

TEST(DeviceIds, ParsesIdsAndRefusesEverythingElse) {
    struct Case {
        const char* text;
        std::optional<DeviceId> id;
    };
    const Case cases[] = {
        {"5a17:00f1", DeviceId{0x5A17, 0x00F1, ""}},
        {"  5A17:F1\t", DeviceId{0x5A17, 0x00F1, ""}},
        {"1234:abcd  My Board  2 ", DeviceId{0x1234, 0xABCD, "My Board  2"}},
        {"0:0", DeviceId{0, 0, ""}},
        {"5a17", std::nullopt},
        {"5a17:", std::nullopt},
        {":00f1", std::nullopt},
        {"15a17:00f1", std::nullopt},  // five digits
        {"5a17:00g1", std::nullopt},
        {"-1:2", std::nullopt},
        {"5a17-00f1", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDeviceId(c.text), c.id) << c.text;
}

TEST(DeviceIds, FileSkipsCommentsAndNamesBadLines) {
    std::vector<std::size_t> bad;
    const auto ids = ParseDeviceIdFile(
        "# comment\n\n5a17:00f1\r\n1234:5678 Board # trailing comment\nnonsense\n  \n9:9", &bad);
    EXPECT_EQ(ids,
              (std::vector<DeviceId>{{0x5A17, 0x00F1, ""}, {0x1234, 0x5678, "Board"}, {9, 9, ""}}));
    EXPECT_EQ(bad, (std::vector<std::size_t>{5}));
}

TEST(DeviceIds, MatchListsAndMatching) {
    std::vector<DeviceId> ids;
    EXPECT_TRUE(ParseMatchList("1111:2222, 3333:4444 5555:6666,", ids));
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_FALSE(ParseMatchList("7777:8888,bad", ids));
    EXPECT_EQ(ids.size(), 4u);  // what came before the bad item stays

    const std::vector<DeviceId> list = {{0x1111, 0x2222, ""}, {0x3333, 0x4444, "Only This"}};
    EXPECT_TRUE(Matches(list, 0x1111, 0x2222, "anything"));
    EXPECT_TRUE(Matches(list, 0x3333, 0x4444, "Only This"));
    EXPECT_FALSE(Matches(list, 0x3333, 0x4444, "Other"));
    EXPECT_FALSE(Matches(list, 0x2222, 0x1111, ""));
    EXPECT_TRUE(MatchesIds(list, 0x3333, 0x4444));
    EXPECT_EQ(FormatDeviceIds(list), "1111:2222, 3333:4444 (Only This)");
}

TEST(DeviceIds, BuiltInListIsThePackagedFile) {
    std::ifstream in(std::string(VELMOR_FIXTURES_DIR) + "/../../packaging/device-ids");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(BuiltInDeviceIds(), ParseDeviceIdFile(text));
    EXPECT_EQ(BuiltInDeviceIds(), (std::vector<DeviceId>{{0x5A17, 0x00F1, ""}}));
}

TEST(DeviceIds, TheUdevRuleIsGeneratedFromTheSameList) {
    std::ifstream in(VELMOR_UDEV_RULE);
    ASSERT_TRUE(in) << VELMOR_UDEV_RULE;
    std::vector<std::string> rules;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') rules.push_back(line);
    }
    EXPECT_EQ(rules,
              (std::vector<std::string>{
                  "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"5a17\", "
                  "ATTR{idProduct}==\"00f1\", TAG+=\"uaccess\""}));
}

TEST(DeviceIds, SourcesAddUpInOrderAndBadInputIsNamed) {
    testing::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "bin");
    std::filesystem::create_directories(dir.Path() / "share/velmortool");
    std::ofstream(dir.File("share/velmortool/device-ids")) << "aaaa:0001\n";
    std::ofstream(dir.File("local")) << "bbbb:0002 Board\n";

    DeviceIdSources sources;
    sources.executableFolder = dir.File("bin");
    sources.localFile = dir.File("local");
    sources.environment = "cccc:0003";
    sources.matches = {"dddd:0004"};
    std::vector<DeviceId> ids;
    std::string error;
    ASSERT_TRUE(LoadDeviceIds(sources, ids, error)) << error;
    EXPECT_EQ(ids, (std::vector<DeviceId>{
                       {0xAAAA, 1, ""}, {0xBBBB, 2, "Board"}, {0xCCCC, 3, ""}, {0xDDDD, 4, ""}}));

    // Without the packaged file beside the program, the built-in copy stands in.
    sources = {};
    sources.executableFolder = dir.File("nowhere");
    sources.localFile = dir.File("missing");
    ASSERT_TRUE(LoadDeviceIds(sources, ids, error));
    EXPECT_EQ(ids, BuiltInDeviceIds());

    sources.matches = {"12345"};
    EXPECT_FALSE(LoadDeviceIds(sources, ids, error));
    EXPECT_EQ(error, "--match 12345: not a device ID (expected VVVV:PPPP in hexadecimal)");
    EXPECT_TRUE(ids.empty());

    sources.matches.clear();
    sources.environment = "x";
    EXPECT_FALSE(LoadDeviceIds(sources, ids, error));
    EXPECT_EQ(error,
              "VELMOR_USB_MATCH=x: not a list of device IDs (expected VVVV:PPPP, separated "
              "by commas)");

    std::ofstream(dir.File("local")) << "bbbb:0002\noops\n";
    sources.environment = nullptr;
    sources.localFile = dir.File("local");
    EXPECT_FALSE(LoadDeviceIds(sources, ids, error));
    EXPECT_EQ(error, dir.File("local") +
                         " line 2: not a device ID (expected VVVV:PPPP in "
                         "hexadecimal, then an optional product string)");
}

TEST(ProgramBackend, StartsWithEveryIdOrSaysWhichIdIsBad) {
    ProgramBackend bad = StartProgramBackend("", nullptr, {"5a17"});
    EXPECT_EQ(bad.failure, BackendFailure::kBadIds);
    EXPECT_FALSE(bad.driver);
    EXPECT_EQ(bad.error, "--match 5a17: not a device ID (expected VVVV:PPPP in hexadecimal)");

    ProgramBackend good = StartProgramBackend("", "1111:2222", {"3333:4444"});
    ASSERT_EQ(good.failure, BackendFailure::kNone) << good.error;
    ASSERT_TRUE(good.driver);
    std::vector<DeviceId> expected = BuiltInDeviceIds();
    expected.push_back({0x1111, 0x2222, ""});
    expected.push_back({0x3333, 0x4444, ""});
    EXPECT_EQ(good.driver->Ids(), expected);
}

TEST(LibusbTexts, OpenFailuresNameTheCauseAndTheRemedy) {
    struct Case {
        int libusbError;
        std::uint32_t code;
        const char* mustSay;
    };
    const Case cases[] = {
        {LIBUSB_ERROR_ACCESS, error::kAccessDenied, "60-velmortool.rules"},
        {LIBUSB_ERROR_ACCESS, error::kAccessDenied, "/dev/bus/usb/003/017"},
        {LIBUSB_ERROR_ACCESS, error::kAccessDenied, "group"},
        {LIBUSB_ERROR_BUSY, error::kBusy, "claimed by another program"},
        {LIBUSB_ERROR_NO_DEVICE, usb::error::kFileNotFound, "no longer connected"},
        {LIBUSB_ERROR_NOT_FOUND, usb::error::kFileNotFound, "Plug it in again"},
        {LIBUSB_ERROR_IO, usb::error::kGenFailure, "usb:003:017"},
    };
    for (const Case& c : cases) {
        const Failure failure = OpenFailure(c.libusbError, "usb:003:017", 3, 17);
        EXPECT_EQ(failure.code, c.code) << c.libusbError;
        EXPECT_NE(failure.text.find(c.mustSay), std::string::npos) << failure.text;
    }
    EXPECT_EQ(OpenFailure(LIBUSB_SUCCESS, "usb:003:017", 3, 17).code, 0u);
}

TEST(LibusbTexts, TransferOutcomesMapToThePortsCodes) {
    struct Case {
        int status;
        std::uint32_t code;
        const char* mustSay;
    };
    const Case cases[] = {
        {LIBUSB_TRANSFER_COMPLETED, 0, ""},
        {LIBUSB_TRANSFER_TIMED_OUT, 121, "did not answer"},
        {LIBUSB_TRANSFER_CANCELLED, 995, "cancelled"},
        {LIBUSB_TRANSFER_NO_DEVICE, 1167, "unplugged"},
        {LIBUSB_TRANSFER_STALL, 31, "stalled"},
        {LIBUSB_TRANSFER_OVERFLOW, 31, "more data"},
        {LIBUSB_TRANSFER_ERROR, 31, "endpoint 0x82"},
    };
    for (const Case& c : cases) {
        const Failure failure = TransferFailure(c.status, 0, 0x82, "usb:001:002");
        EXPECT_EQ(failure.code, c.code) << c.status;
        EXPECT_NE(failure.text.find(c.mustSay), std::string::npos) << failure.text;
    }
    const Failure gone = TransferFailure(-1, LIBUSB_ERROR_NO_DEVICE, 0x02, "usb:001:002");
    EXPECT_EQ(gone.code, 1167u);
    EXPECT_NE(gone.text.find("no longer connected"), std::string::npos);
    EXPECT_NE(NoDeviceText(BuiltInDeviceIds()).find("5a17:00f1"), std::string::npos);
}

}  // namespace
}  // namespace velmor::libusb
