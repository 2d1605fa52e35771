// The production-line commands: verify against the flash without writing, the
// record-by-record difference of two configurations, and the history of writes
// kept by every process on the machine.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "cli/ctl_commands.h"
#include "cli/ctl_compare_commands.h"
#include "cli/ctl_every_device.h"
#include "cli/ctl_image_commands.h"
#include "commands/cmds_mag.h"
#include "config/start_image.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_controller.h"
#include "history/history_log.h"
#include "history/write_history.h"
#include "support/ctl_run.h"
#include "support/file_bytes.h"
#include "support/motion_steps.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"

namespace velmor::cli {
namespace {

using testing::CtlRun;

class CtlLineTest : public ::testing::Test {
  protected:
    // A FourFiber document whose first record writes 0x80 to "MB Ctrl1" (0x4009).
    CtlLineTest() { Save(doc, 0x80, 2500); }

    static void Save(const std::string& path, std::uint8_t data, int z0Gear) {
        controller::CMainOperation op;
        op.SetBoardType(2);
        op.cmdNames = {"InitDone", "InitMovement"};
        op.cmdList = {{"InitDone", "MB Ctrl1", "RegWrite", 0x4009, data}};
        op.motionList = {testing::XStep()};
        op.motorSettings.Z0Gear = z0Gear;
        ASSERT_TRUE(commands::CCmdsMag(op).SaveConfigDocument(path));
    }

    // `command` on every one of three simulated controllers; the middle one's
    // first record has its data byte changed after the download when `spoil`.
    int OnThree(bool spoil, const std::function<int(CtlSession&, CtlOutput&)>& command) {
        if (!sims_) {
            auto driver = std::make_unique<sim::SimDriver>();
            for (int i = 0; i < 3; ++i) driver->AddDevice();
            sims_ = driver.get();
            CtlOptions options;
            options.simulate = true;
            options.allDevices = true;
            options.json = true;
            runner_ = std::make_unique<CtlRunner>(options, out, err, std::move(driver));
        }
        if (spoil) {
            const std::uint8_t spoilt[] = {0x95};
            sims_->Device(1).Controller().WriteFlash(config::kImageFlashAddress + 3, spoilt);
        }
        out.str("");
        return RunOnEveryDevice(runner_->Session(), runner_->Output(), command);
    }

    velmor::testing::TempDir dir;
    std::string doc = dir.File("four.cfg");
    std::ostringstream out;
    std::ostringstream err;

  private:
    sim::SimDriver* sims_ = nullptr;
    std::unique_ptr<CtlRunner> runner_;
};

TEST_F(CtlLineTest, VerifyComparesEachFlashWithTheDocumentAndNamesTheRecordThatDiffers) {
    const auto verify = [&](CtlSession& one, CtlOutput& result) {
        return CtlCompareCommands(one, result).Verify(doc);
    };
    ASSERT_EQ(OnThree(false,
                      [&](CtlSession& one, CtlOutput& result) {
                          return CtlImageCommands(one, result).Download(doc, false);
                      }),
              kExitOk);
    EXPECT_EQ(OnThree(false, verify), kExitOk) << out.str();
    EXPECT_EQ(OnThree(true, verify), kExitFailed);
    const nlohmann::json devices = nlohmann::json::parse(out.str())["devices"];
    ASSERT_EQ(devices.size(), 3u);
    for (int i : {0, 2}) {
        EXPECT_EQ(devices[i]["code"], kExitOk);
        EXPECT_EQ(devices[i]["result"]["equal"], true);
        EXPECT_EQ(devices[i]["result"]["flash_crc_ok"], true);
    }
    const nlohmann::json& spoilt = devices[1]["result"];
    EXPECT_EQ(devices[1]["code"], kExitFailed);
    EXPECT_EQ(spoilt["equal"], false);
    // The byte changed without its CRC, which the flash then fails.
    EXPECT_EQ(spoilt["flash_crc_ok"], false);
    EXPECT_EQ(spoilt["records"], nlohmann::json::parse(R"([{"slot": 0, "keyword": "RegWrite",
        "register": "MB Ctrl1", "address": 16393, "expected": 128, "found": 149}])"));
}

TEST_F(CtlLineTest, ImageDiffNamesTheRecordsAndWhatOnlyTheDocumentsHold) {
    const std::string other = dir.File("other.cfg");
    Save(other, 0x81, 2600);
    const std::string image = dir.File("four.img");
    ASSERT_EQ(testing::Ctl({"image", "build", doc, "-o", image}).code, kExitOk);

    const CtlRun same = testing::Ctl({"--json", "image", "diff", doc, image});
    EXPECT_EQ(same.code, kExitOk) << same.err;
    EXPECT_EQ(same.Json()["b"], "image");

    const CtlRun differ = testing::Ctl({"--json", "image", "diff", doc, other});
    ASSERT_EQ(differ.code, kExitFailed) << differ.err;
    const nlohmann::json result = differ.Json();
    // The command's data, then the two low bytes of the Z gear the motion writes.
    std::vector<std::array<int, 3>> records;
    for (const auto& record : result["records"])
        records.push_back({record["address"], record["expected"], record["found"]});
    EXPECT_EQ(records, (std::vector<std::array<int, 3>>{{0x4009, 0x80, 0x81},
                                                        {0x4074, 2500 & 0xFF, 2600 & 0xFF},
                                                        {0x4075, 2500 >> 8, 2600 >> 8}}));
    EXPECT_EQ(result["records"][0]["register"], "MB Ctrl1");
    EXPECT_EQ(result["settings"],
              nlohmann::json::parse(R"([{"key": "Z0Gear", "a": 2500, "b": 2600}])"));
    ASSERT_EQ(result["command_sets"].size(), 1u);
    EXPECT_EQ(result["command_sets"][0]["name"], "InitDone");
    const CtlRun text = testing::Ctl({"image", "diff", doc, other});
    EXPECT_NE(text.out.find("slot 0: MB Ctrl1 RegWrite 0x4009 0x80 (A)"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("setting Z0Gear: 2500 (A), 2600 (B)"), std::string::npos);

    std::ofstream(dir.File("short.img"), std::ios::binary) << "not 4096 bytes";
    EXPECT_EQ(testing::Ctl({"image", "diff", doc, dir.File("short.img")}).code, kExitDataErr);
}

#ifndef _WIN32
// Two processes downloading at once, 20 times each: every append is one whole
// line. A line cut by a crash is skipped with a warning, and the next append
// still starts a line of its own.
TEST_F(CtlLineTest, TwoProcessesAppendWholeLinesAndACutLineIsSkipped) {
    const std::string history = dir.File("state/velmortool/history.jsonl");
    const testing::ScopedEnvironment state("XDG_STATE_HOME", dir.File("state"));
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = ::fork();
        ASSERT_GE(children[child], 0);
        if (children[child] > 0) continue;
        int failures = 0;
        const std::string state = dir.File("sim" + std::to_string(child) + ".state");
        for (int i = 0; i < 20; ++i)
            failures += testing::Ctl({"--simulate", "--state", state, "download", doc}).code != 0;
        ::_exit(failures);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<std::string> warnings;
    const history::HistoryLog log(history);
    EXPECT_EQ(log.Read(warnings).size(), 40u);
    EXPECT_TRUE(warnings.empty());

    const std::string whole = velmor::testing::ReadBytes(history);
    const std::string firstLine = whole.substr(0, whole.find('\n') + 1);
    std::ofstream(history, std::ios::app) << firstLine.substr(0, firstLine.size() / 2);
    ASSERT_EQ(testing::Ctl({"--simulate", "--state", dir.File("sim0.state"), "download", doc}).code,
              kExitOk);
    const CtlRun listed = testing::Ctl({"--json", "history"});
    EXPECT_EQ(listed.code, kExitOk);
    EXPECT_EQ(listed.Json()["entries"].size(), 41u);
    EXPECT_NE(listed.err.find("history.jsonl line 41 is damaged; skipped"), std::string::npos)
        << listed.err;
}
#endif

// A path that is not UTF-8 still gives a JSON document and a history line.
TEST_F(CtlLineTest, ANameThatIsNotUtf8StillGivesJsonAndAHistoryLine) {
    const CtlRun missing = testing::Ctl({"--json", "image", "build", dir.File("\xff.cfg")});
    EXPECT_EQ(missing.code, kExitNoInput);
    EXPECT_EQ(missing.Json()["error"]["code"], kExitNoInput);

    const std::string odd = dir.File("\xfe.cfg");
    std::filesystem::copy_file(doc, odd);
    const history::HistoryLog log(dir.File("h.jsonl"));
    controller::CMainOperation op;
    op.historyFile = log.Path();
    ASSERT_EQ(history::RecordWrite(op, {"download", odd, std::nullopt, std::nullopt, "verified"}),
              std::nullopt);
    std::vector<std::string> warnings;
    ASSERT_EQ(log.Read(warnings).size(), 1u);
}

TEST_F(CtlLineTest, SimulateCountOffersThatManyControllers) {
    const CtlRun listed =
        testing::Ctl({"--simulate", "3", "--state", dir.File("sim.state"), "--json", "list"});
    ASSERT_EQ(listed.code, kExitOk) << listed.err;
    EXPECT_EQ(listed.Json()["devices"].size(), 3u);
}

}  // namespace
}  // namespace velmor::cli
