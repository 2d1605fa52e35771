// velmorctl's commands: output text, exit codes and persistence between runs.

#include "cli/ctl_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_state_location.h"
#include "support/ctl_run.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"

namespace velmor::cli {
namespace {

using testing::Ctl;
using testing::CtlRun;

class CtlTest : public ::testing::Test {
  protected:
    velmor::testing::TempDir dir;
    std::string state = dir.File("sim.state");

    CtlRun Sim(std::vector<std::string> args) {
        args.insert(args.begin(), {"--simulate", "--state", state});
        return Ctl(std::move(args));
    }
};

TEST_F(CtlTest, ListShowsIndexAndDeviceName) {
    const CtlRun run = Sim({"list"});
    EXPECT_EQ(run.code, kExitOk);
    EXPECT_EQ(run.out, "0: VelmorTool USB3 Controller\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CtlTest, WriteInOneRunIsReadInTheNext) {
    const CtlRun write = Sim({"write", "4010", "12", "0xab", "FF"});
    EXPECT_EQ(write.code, kExitOk) << write.err;
    EXPECT_EQ(write.out, "wrote 3 registers from 0x4010\n");
    ASSERT_TRUE(std::filesystem::exists(state));

    const CtlRun read = Sim({"read", "0x4010", "4"});
    EXPECT_EQ(read.code, kExitOk) << read.err;
    EXPECT_EQ(read.out, "[4010-401F]: 12 AB FF 00 - \n");
}

TEST_F(CtlTest, ReadPrintsTheHexDumpLayout) {
    ASSERT_EQ(Sim({"write", "6000", "0", "1", "2", "3", "4", "5", "6",  "7",
                   "8",     "9",    "A", "B", "C", "D", "E", "F", "10", "11"})
                  .code,
              kExitOk);
    const CtlRun read = Sim({"read", "6000", "18"});
    EXPECT_EQ(read.code, kExitOk) << read.err;
    EXPECT_EQ(read.out,
              "[6000-600F]: 00 01 02 03 - 04 05 06 07 - 08 09 0A 0B - 0C 0D 0E 0F \n"
              "[6010-601F]: 10 11 \n");
}

#ifndef _WIN32
TEST_F(CtlTest, WithoutStateOptionTheRuntimeFolderKeepsTheState) {
    std::optional<testing::ScopedEnvironment> runtime;
    runtime.emplace("XDG_RUNTIME_DIR", dir.Path());
    EXPECT_EQ(sim::DefaultStateFile(), dir.File("velmor-sim.state"));
    EXPECT_EQ(Ctl({"--simulate", "write", "4020", "5A"}).code, kExitOk);
    const CtlRun read = Ctl({"--simulate", "read", "4020", "1"});
    EXPECT_EQ(read.out, "[4020-402F]: 5A \n");
    EXPECT_TRUE(std::filesystem::exists(dir.File("velmor-sim.state")));

    runtime.reset();
    const testing::ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(sim::DefaultStateFile().rfind("/tmp/velmor-sim-", 0), 0u);
}
#endif

TEST_F(CtlTest, FirmwareIsPrintedLikeTheVersionText) {
    const CtlRun run = Sim({"firmware"});
    EXPECT_EQ(run.code, kExitOk) << run.err;
    const std::regex shape(
        "[0-9A-F]{2}\\.[0-9A-F]{2} ([0-9A-F]{2}\\.){3}[0-9A-F]{2} ([0-9A-F]{2}\\.){3}[0-9A-F]{2} "
        "[^\\n]{0,4}\\n");
    EXPECT_TRUE(std::regex_match(run.out, shape)) << run.out;
    EXPECT_NE(run.out.substr(0, 29), "00.00 00.00.00.00 00.00.00.00");  // it was read
}

// Without --simulate and without a controller on this machine (or without a
// backend for real devices in the build) every command says why and exits 69.
TEST(Ctl, WithoutSimulateAndWithoutAControllerNothingIsFound) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"list"}, {"read", "4000", "1"}, {"write", "4000", "1"}, {"firmware"}}) {
        const CtlRun run = Ctl(args);
        EXPECT_EQ(run.code, kExitUnavailable) << args[0];
        EXPECT_EQ(run.err.rfind("velmorctl: ", 0), 0u) << run.err;
        EXPECT_GT(run.err.size(), 20u) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

struct BadLine {
    std::vector<std::string> args;
    int code;
    const char* message;  // expected in stderr
};

TEST_F(CtlTest, BadCommandLinesGiveClearMessagesAndCodes) {
    const std::vector<BadLine> cases = {
        {{"read", "zz", "1"}, kExitUsage, "invalid register address 'zz' (hex, 0..FFFF)"},
        {{"read", "10000", "1"}, kExitUsage, "invalid register address '10000'"},
        {{"read", "0x", "1"}, kExitUsage, "invalid register address '0x'"},
        {{"read", "4000", "0"}, kExitUsage, "invalid register count '0' (decimal, 1..65536)"},
        {{"read", "4000", "0x10"}, kExitUsage, "invalid register count '0x10'"},
        {{"read", "FFF0", "17"}, kExitUsage, "17 registers from 0xFFF0 run past 0xFFFF"},
        {{"write", "4000", "1FF"}, kExitUsage, "invalid byte '1FF' (hex, 0..FF)"},
        {{"write", "4000", "g1"}, kExitUsage, "invalid byte 'g1'"},
        {{"write", "FFFF", "1", "2"}, kExitUsage, "2 registers from 0xFFFF run past 0xFFFF"},
        {{"--device", "1", "read", "4000", "1"}, kExitUnavailable, "no device 1 (1 found)"},
        {{"--device", "99999999999", "list"}, kExitUsage, "--device 99999999999: no such device"},
        {{"read", "4000"}, kExitUsage, "COUNT is required"},
        {{}, kExitUsage, "a command is required: list, read, write, firmware"},
        {{"erase"}, kExitUsage, "The following argument was not expected: erase"},
        {{"--sim-latency", "2000000", "list"}, kExitUsage, "--sim-latency"},
    };
    for (const auto& c : cases) {
        const CtlRun run = Sim(c.args);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.message << " in " << run.err;
        EXPECT_EQ(run.out, "");
    }
    for (const std::vector<std::string>& alone :
         {std::vector<std::string>{"--state", state, "list"}, {"--sim-latency", "125", "list"}}) {
        const CtlRun run = Ctl(alone);
        EXPECT_EQ(run.code, kExitUsage) << alone[0];
        EXPECT_NE(run.err.find("--simulate"), std::string::npos) << run.err;
    }
}

TEST(Ctl, VersionIsPrinted) {
    const CtlRun run = Ctl({"--version"});
    EXPECT_EQ(run.code, kExitOk);
    EXPECT_EQ(run.out.rfind("velmorctl ", 0), 0u) << run.out;
}

TEST(Ctl, HelpListsTheCommands) {
    const CtlRun run = Ctl({"--help"});
    EXPECT_EQ(run.code, kExitOk);
    for (const char* word :
         {"list", "read", "write", "firmware", "--simulate", "--state", "--device"})
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
}

TEST(CtlCommands, FailedTransfersAreReported) {
    struct FailCase {
        const char* name;
        std::string expected;
        int (*run)(CtlCommands&);
    };
    const std::vector<FailCase> cases = {
        {"read", "velmorctl: reading 4 registers from 0x4010 failed\n",
         [](CtlCommands& c) { return c.Read("4010", "4"); }},
        {"write", "velmorctl: writing 2 registers from 0x4010 failed\n",
         [](CtlCommands& c) {
             return c.Write("4010", {"1", "2"});
         }},
    };
    for (const auto& c : cases) {
        auto driver = std::make_unique<sim::SimDriver>();
        driver->AddDevice().Controller().Faults().failTransfers = 1000;
        std::ostringstream out;
        std::ostringstream err;
        CtlOptions options;
        options.simulate = true;
        CtlRunner runner(options, out, err, std::move(driver));
        EXPECT_EQ(c.run(runner.Commands()), kExitIoErr) << c.name;
        EXPECT_EQ(err.str(), c.expected);
        EXPECT_EQ(out.str(), "");
    }
}

TEST(CtlCommands, UnpluggedDeviceIsNotFound) {
    auto driver = std::make_unique<sim::SimDriver>();
    driver->AddDevice().Unplug();
    std::ostringstream out;
    std::ostringstream err;
    CtlOptions options;
    options.simulate = true;
    CtlRunner runner(options, out, err, std::move(driver));
    EXPECT_EQ(runner.Commands().List(), kExitUnavailable);
    EXPECT_EQ(err.str(), "velmorctl: no devices found\n");
}

TEST(CtlCommands, StateThatCannotBeSavedFailsTheWrite) {
    const CtlRun run =
        Ctl({"--simulate", "--state", "/nonexistent-velmor/dir/sim.state", "write", "4000", "1"});
    EXPECT_EQ(run.code, kExitCantCreate);
    EXPECT_NE(run.err.find("could not be saved"), std::string::npos) << run.err;
}

// --json: one document on standard output with stable keys and numbers as
// numbers; a failure gives the error document and the same exit code.
TEST_F(CtlTest, JsonGivesOneDocumentPerCommand) {
    ASSERT_EQ(Sim({"write", "4000", "1", "0x20", "ff", "7"}).code, kExitOk);
    struct Case {
        std::vector<std::string> args;
        int code;
        nlohmann::json expected;  // the whole document, or null to check keys only
        std::vector<std::string> keys;
    };
    const std::vector<Case> cases = {
        {{"--json", "read", "4000", "4"},
         kExitOk,
         {{"address", 0x4000}, {"count", 4}, {"values", {1, 0x20, 0xFF, 7}}},
         {}},
        {{"write", "4001", "5", "--json"}, kExitOk, {{"address", 0x4001}, {"count", 1}}, {}},
        {{"--json", "list"},
         kExitOk,
         {{"devices", {{{"index", 0}, {"name", "VelmorTool USB3 Controller"}, {"opened", true}}}}},
         {}},
        {{"--json", "firmware"}, kExitOk, nullptr, {"firmware", "bytes"}},
        {{"--json", "read", "zz", "1"},
         kExitUsage,
         {{"error", {{"code", 64}, {"message", "invalid register address 'zz' (hex, 0..FFFF)"}}}},
         {}},
        {{"--json", "--device", "3", "list"}, kExitOk, nullptr, {"devices"}},
        {{"--json", "--device", "3", "read", "4000", "1"},
         kExitUnavailable,
         {{"error", {{"code", 69}, {"message", "no device 3 (1 found)"}}}},
         {}},
        {{"--json", "erase"}, kExitUsage, nullptr, {"error"}},
    };
    for (const auto& c : cases) {
        const CtlRun run = Sim(c.args);
        SCOPED_TRACE(run.out + run.err);
        EXPECT_EQ(run.code, c.code);
        const nlohmann::json doc = nlohmann::json::parse(run.out);  // exactly one document
        if (!c.expected.is_null()) {
            EXPECT_EQ(doc, c.expected);
        }
        for (const auto& key : c.keys) EXPECT_TRUE(doc.contains(key)) << key;
        if (c.code != kExitOk) {
            EXPECT_EQ(doc["error"]["code"], c.code);
        }
    }
}

TEST(CtlOutput, ProgressOnlyWhenAskedAndEndsItsLine) {
    for (const bool terminal : {false, true}) {
        std::ostringstream out;
        std::ostringstream err;
        CtlOutput output(out, err, false, terminal);
        output.Progress("flash", 0);
        output.Progress("flash", 50);
        output.Progress("flash", 50);  // unchanged: not drawn again
        output.Progress("flash", 140);
        output.EndProgress();
        EXPECT_EQ(err.str(), terminal ? "\rflash: 0%\rflash: 50%\rflash: 100%\n" : "");
        EXPECT_EQ(out.str(), "");
    }
}

}  // namespace
}  // namespace velmor::cli
