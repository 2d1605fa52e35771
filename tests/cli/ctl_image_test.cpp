// velmorctl's image commands: offline build and show, and the download and read
// back on the simulated controller, with their exit codes and JSON documents.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/ctl_commands.h"
#include "cli/ctl_every_device.h"
#include "cli/ctl_image_commands.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_controller.h"
#include "drivers/sim/sim_flash_faults.h"
#include "support/ctl_run.h"
#include "support/file_bytes.h"
#include "support/motion_steps.h"
#include "support/temp_dir.h"

namespace velmor::cli {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

using testing::CtlRun;

class CtlImageTest : public ::testing::Test {
  protected:
    // A FourFiber document: the "Orignal At" bit in "MB Ctrl1" and one X step.
    CtlImageTest() {
        controller::CMainOperation op;
        op.SetBoardType(2);
        op.cmdNames = {"InitDone", "InitMovement"};
        op.cmdList = {{"InitDone", "MB Ctrl1", "RegWrite", 0x4009, 0x80}};
        op.motionList = {testing::XStep()};
        EXPECT_TRUE(commands::CCmdsMag(op).SaveConfigDocument(doc));
    }

    CtlRun Ctl(std::vector<std::string> args) {
        args.insert(args.begin(), {"--simulate", "--state", state});
        return testing::Ctl(std::move(args));
    }

    velmor::testing::TempDir dir;
    std::string state = dir.File("sim.state");
    std::string doc = dir.File("four.cfg");
};

std::vector<std::uint8_t> Bytes(const std::string& path) {
    const std::string text = ReadBytes(path);
    return {text.begin(), text.end()};
}

TEST_F(CtlImageTest, BuildWritesTheImageAndShowParsesIt) {
    const std::string image = dir.File("four.img");
    const CtlRun build = Ctl({"--json", "image", "build", doc, "-o", image});
    ASSERT_EQ(build.code, kExitOk) << build.err;
    const nlohmann::json built = build.Json();
    EXPECT_EQ(built["board_type"], 2);
    const std::vector<std::uint8_t> bytes = Bytes(image);
    ASSERT_EQ(bytes.size(), 4096u);
    const std::vector<std::uint8_t> covered(bytes.begin(), bytes.begin() + 0xFFA);
    EXPECT_EQ(built["crc"], testing::OracleCrc16(covered));
    EXPECT_EQ(bytes[0xFFA] << 8 | bytes[0xFFB], built["crc"]);
    // The document's own command first, then the parameter rows the list update
    // added for FourFiber, all before the motion groups.
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8),
              (std::vector<std::uint8_t>{0x10, 0x40, 0x09, 0x80, 0x10, 0x40, 0x0B, 0x00}));
    int records = 0;
    for (const auto& command : built["commands"]) {
        if (command["group"] == "InitDone" || command["group"] == "InitMovement" ||
            command["group"] == "InitEnd")
            ++records;
    }
    EXPECT_EQ(built["records"], records);
    EXPECT_EQ(
        std::vector<std::uint8_t>(bytes.begin() + 4 * records - 4, bytes.begin() + 4 * records),
        (std::vector<std::uint8_t>{0x31, 0x4E, 0x00, 0x00}));

    const CtlRun show = Ctl({"--json", "--board-type", "2", "image", "show", image});
    ASSERT_EQ(show.code, kExitOk) << show.err;
    const nlohmann::json shown = show.Json();
    EXPECT_TRUE(shown["crc_ok"]);
    EXPECT_EQ(shown["stored_crc"], built["crc"]);
    EXPECT_EQ(shown["computed_crc"], built["crc"]);
    EXPECT_EQ(shown["commands"].size(), 1024u);
    EXPECT_EQ(shown["commands"][0]["op"], "RegWrite");
    EXPECT_EQ(shown["commands"][0]["address"], 0x4009);
    ASSERT_EQ(shown["movement"].size(), 1u);
    EXPECT_EQ(shown["movement"][0]["MotonnnMoveLenth"][0], 1000);
    EXPECT_EQ(shown["movement"][0]["MotonnnstrDir"][0], "End");
    EXPECT_EQ(shown["movement"][0]["strLedIndx"], "5");
    EXPECT_EQ(shown["settings"]["BoardType"], 2);
    EXPECT_TRUE(shown["settings"].contains("Multiply"));

    // A damaged image is shown with its CRC failing; a short file is bad data.
    std::string damaged = ReadBytes(image);
    damaged[5] ^= 0x40;
    WriteBytes(dir.File("damaged.img"), damaged);
    const CtlRun bad = Ctl({"--json", "image", "show", dir.File("damaged.img")});
    EXPECT_EQ(bad.code, kExitOk);
    EXPECT_FALSE(bad.Json()["crc_ok"]);
    EXPECT_EQ(bad.Json()["state"], "bad_crc");
    EXPECT_NE(bad.err.find("not a valid start-up image"), std::string::npos);
    WriteBytes(dir.File("short.img"), damaged.substr(0, 100));
    EXPECT_EQ(Ctl({"image", "show", dir.File("short.img")}).code, kExitDataErr);
    EXPECT_EQ(Ctl({"image", "show", dir.File("none.img")}).code, kExitNoInput);
}

TEST_F(CtlImageTest, DownloadThenReadbackRoundTripsTheDocument) {
    const std::string image = dir.File("four.img");
    ASSERT_EQ(Ctl({"image", "build", doc, "-o", image}).code, kExitOk);

    const CtlRun download = Ctl({"--json", "download", doc});
    ASSERT_EQ(download.code, kExitOk) << download.err;
    EXPECT_EQ(download.Json()["outcome"], "verified");
    EXPECT_EQ(download.Json()["written"], true);

    // The simulated board was reset after the download and runs the image.
    const CtlRun reg = Ctl({"read", "4009", "1"});
    EXPECT_EQ(reg.out.rfind("[4009-4018]: 80 ", 0), 0u) << reg.out;

    const std::string back = dir.File("back.img");
    const CtlRun readback = Ctl({"--json", "--board-type", "2", "readback", "-o", back});
    ASSERT_EQ(readback.code, kExitOk) << readback.err;
    EXPECT_EQ(Bytes(back), Bytes(image));
    const nlohmann::json shown = readback.Json();
    EXPECT_TRUE(shown["crc_ok"]);
    ASSERT_EQ(shown["movement"].size(), 1u);
    EXPECT_EQ(shown["movement"][0]["MotonTabLen"][0], 512);
    EXPECT_EQ(shown["movement"][0]["MotonnMaxSpeed"][0], 4000);

    const CtlRun again = Ctl({"--json", "download", "--preverify", doc});
    EXPECT_EQ(again.code, kExitOk) << again.err;
    EXPECT_EQ(again.Json()["written"], false);
    EXPECT_NE(again.err.find("already holds this image"), std::string::npos);
}

// A path that names no configuration document is refused before anything is
// built, written or sent: a folder is 66, an empty or random file 65. A document
// saved with no commands is still one.
TEST_F(CtlImageTest, WhatIsNoDocumentIsRefusedAndChangesNothing) {
    ASSERT_EQ(Ctl({"download", doc}).code, kExitOk);
    const std::string flashBefore = dir.File("before.img");
    ASSERT_EQ(Ctl({"readback", "-o", flashBefore}).code, kExitOk);

    std::string random(5000, '\0');
    std::uint32_t seed = 12345;
    for (char& c : random) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    WriteBytes(dir.File("empty.cfg"), "");
    WriteBytes(dir.File("random.cfg"), random);
    std::filesystem::create_directories(dir.File("folder.cfg"));
    const struct {
        const char* file;
        int code;
        const char* says;
    } cases[] = {{"folder.cfg", kExitNoInput, "it is a folder"},
                 {"empty.cfg", kExitDataErr, "is not a configuration document"},
                 {"random.cfg", kExitDataErr, "is not a configuration document"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = dir.File(c.file);
        const std::string image = dir.File(std::string(c.file) + ".img");
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"image", "build", path, "-o", image},
              std::vector<std::string>{"download", path},
              std::vector<std::string>{"motion", "build", path}}) {
            const CtlRun run = Ctl(command);
            EXPECT_EQ(run.code, c.code) << command[0];
            EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        }
        EXPECT_FALSE(std::filesystem::exists(image));
    }
    const std::string flashAfter = dir.File("after.img");
    ASSERT_EQ(Ctl({"readback", "-o", flashAfter}).code, kExitOk);
    EXPECT_EQ(ReadBytes(flashAfter), ReadBytes(flashBefore));

    controller::CMainOperation nothing;
    ASSERT_TRUE(commands::CCmdsMag(nothing).SaveConfigDocument(dir.File("nothing.cfg")));
    EXPECT_EQ(Ctl({"image", "build", dir.File("nothing.cfg")}).code, kExitOk);
}

// The commands on a simulated controller whose flash a test spoils.
struct FaultyFlash {
    FaultyFlash() {
        auto driver = std::make_unique<sim::SimDriver>();
        controller = &driver->AddDevice().Controller();
        CtlOptions options;
        options.simulate = true;
        options.json = true;
        runner = std::make_unique<CtlRunner>(options, out, err, std::move(driver));
    }
    CtlImageCommands Image() { return {runner->Session(), runner->Output()}; }

    std::ostringstream out;
    std::ostringstream err;
    sim::SimController* controller = nullptr;
    std::unique_ptr<CtlRunner> runner;
};

TEST_F(CtlImageTest, AFlashThatDiffersIsOneATransferThatFailsIs74) {
    FaultyFlash flipping;
    flipping.controller->FlashFaults().flipWrites = sim::SimFlashFaults::kAlways;
    EXPECT_EQ(flipping.Image().Download(doc, false), kExitFailed);
    EXPECT_NE(flipping.out.str().find("first differing offsets"), std::string::npos);

    FaultyFlash unplugged;
    unplugged.controller->FlashFaults().unplugAfterWindowWrites = 10;
    EXPECT_EQ(unplugged.Image().Download(doc, false), kExitIoErr);
    EXPECT_EQ(unplugged.Image().ReadBack(""), kExitIoErr);

    FaultyFlash busy;
    busy.controller->FlashFaults().stuckBusy = true;
    EXPECT_EQ(busy.Image().Download(doc, true), kExitIoErr);
}

}  // namespace
}  // namespace velmor::cli

namespace velmor::cli {
namespace {

// --device all: three controllers downloaded at once, the middle one with a flash
// that flips a bit on every write; one result per device, exit 1 for the whole.
TEST_F(CtlImageTest, EveryDeviceGetsTheDownloadAndItsOwnResult) {
    auto driver = std::make_unique<sim::SimDriver>();
    for (int i = 0; i < 3; ++i) driver->AddDevice();
    driver->Device(1).Controller().FlashFaults().flipWrites = sim::SimFlashFaults::kAlways;
    sim::SimDriver* sim = driver.get();
    for (const bool json : {true, false}) {
        std::ostringstream out;
        std::ostringstream err;
        CtlOptions options;
        options.simulate = true;
        options.allDevices = true;
        options.json = json;
        CtlRunner runner(options, out, err, std::move(driver));
        const int code = RunOnEveryDevice(
            runner.Session(), runner.Output(), [&](CtlSession& one, CtlOutput& result) {
                return CtlImageCommands(one, result).Download(doc, false);
            });
        EXPECT_EQ(code, kExitFailed) << err.str();
        if (json) {
            const nlohmann::json devices = nlohmann::json::parse(out.str())["devices"];
            ASSERT_EQ(devices.size(), 3u);
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(devices[i]["device"], i);
                EXPECT_EQ(devices[i]["code"], i == 1 ? kExitFailed : kExitOk);
                EXPECT_EQ(devices[i]["result"].contains("error"), i == 1);
            }
            // The good controllers' flash holds the image, the faulty one's does not.
            const auto image = sim->Device(0).Controller().ReadFlash(0x1B0000, 4096);
            EXPECT_EQ(sim->Device(2).Controller().ReadFlash(0x1B0000, 4096), image);
            EXPECT_NE(sim->Device(1).Controller().ReadFlash(0x1B0000, 4096), image);
        } else {
            const std::string text = out.str();
            for (const char* prefix : {"device 0: ", "device 2: "})
                EXPECT_NE(text.find(prefix), std::string::npos) << text;
            EXPECT_NE(err.str().find("device 1: velmorctl: "), std::string::npos) << err.str();
        }
        driver = std::make_unique<sim::SimDriver>();  // the second round: a fresh set
        for (int i = 0; i < 3; ++i) driver->AddDevice();
        driver->Device(1).Controller().FlashFaults().flipWrites = sim::SimFlashFaults::kAlways;
        sim = driver.get();
    }
}

TEST_F(CtlImageTest, ADocumentThatIsNoneFailsOnceBeforeAnyOfTheDevices) {
    const std::string notADocument = dir.File("notes.txt");
    std::ofstream(notADocument) << "not a document\n";
    for (const char* command : {"download", "verify"}) {
        const CtlRun run = testing::Ctl(
            {"--simulate", "3", "--state", state, "--device", "all", command, notADocument});
        EXPECT_EQ(run.code, kExitDataErr) << command;
        EXPECT_EQ(run.err, "velmorctl: " + notADocument + " is not a configuration document\n");
    }
}

TEST_F(CtlImageTest, EveryDeviceKeepsItsOwnStateAndNamesTheFileItCannotSave) {
    const auto line = [&](const std::string& stateFile, const std::string& device,
                          const std::string& command) {
        return testing::Ctl(
            {"--simulate", "2", "--state", stateFile, "--device", device, command, doc});
    };
    const CtlRun download = line(state, "all", "download");
    ASSERT_EQ(download.code, kExitOk) << download.err;
    // A later run finds the image in each controller's flash.
    for (const char* device : {"0", "1"}) EXPECT_EQ(line(state, device, "verify").code, kExitOk);

    const std::string lost = dir.File("gone/sim.state");
    const CtlRun failed = line(lost, "all", "download");
    EXPECT_EQ(failed.code, kExitCantCreate);
    EXPECT_NE(failed.err.find("device 1: velmorctl: the simulated controller's state could not "
                              "be saved to " +
                              lost + ".1"),
              std::string::npos)
        << failed.err;
}

}  // namespace
}  // namespace velmor::cli
