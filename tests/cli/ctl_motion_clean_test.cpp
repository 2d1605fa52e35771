// velmorctl's motion and cleaning commands on the simulated controller: exit
// codes and the shape of their JSON documents.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/ctl_clean_commands.h"
#include "cli/ctl_commands.h"
#include "cli/ctl_motion_commands.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_motors.h"
#include "drivers/sim/sim_panel.h"
#include "motion/motion_builder.h"
#include "support/ctl_run.h"
#include "support/motion_steps.h"
#include "support/temp_dir.h"

namespace velmor::cli {
namespace {

using testing::XStep;

// The commands on a simulated controller whose motors move a hundred times faster
// than real time; `prepare` sets its knobs.
struct SimCtl {
    explicit SimCtl(int boardType = 1) {
        auto driver = std::make_unique<sim::SimDriver>();
        sim::SimController& controller = driver->AddDevice().Controller();
        controller.Motors().SetTimeScale(0.01);
        this->controller = &controller;
        CtlOptions options;
        options.simulate = true;
        options.json = true;
        options.boardType = boardType;
        runner = std::make_unique<CtlRunner>(options, out, err, std::move(driver));
    }
    CtlMotionCommands Motion() { return {runner->Session(), runner->Output()}; }
    CtlCleanCommands Clean() { return {runner->Session(), runner->Output()}; }
    nlohmann::json Doc() const { return nlohmann::json::parse(out.str()); }

    std::ostringstream out;
    std::ostringstream err;
    sim::SimController* controller = nullptr;
    std::unique_ptr<CtlRunner> runner;
};

TEST(CtlMotion, BuildPrintsTheDocumentsCommandListAfterTheMotionIsBuilt) {
    testing::TempDir dir;
    const std::string doc = dir.File("x.cfg");
    controller::CMainOperation saved;
    saved.SetBoardType(0);
    saved.motionList = {XStep()};
    ASSERT_TRUE(commands::CCmdsMag(saved).SaveConfigDocument(doc));
    motion::BuildInitMotion(saved);  // what the command must print, computed here

    SimCtl ctl;
    EXPECT_EQ(ctl.Motion().Build(doc), kExitOk) << ctl.err.str();
    const nlohmann::json json = ctl.Doc();
    EXPECT_EQ(json["board_type"], 0);
    ASSERT_EQ(json["commands"].size(), saved.cmdList.size());
    for (std::size_t i = 0; i < saved.cmdList.size(); ++i) {
        const auto& c = json["commands"][i];
        EXPECT_EQ(c["group"], saved.cmdList[i].KeyName);
        EXPECT_EQ(c["register"], saved.cmdList[i].RegName);
        EXPECT_EQ(c["op"], saved.cmdList[i].OptType);
        EXPECT_EQ(c["address"], saved.cmdList[i].Addr);
        EXPECT_EQ(c["data"], saved.cmdList[i].Data);
    }

    // A missing file and a document whose checksum does not match.
    SimCtl missing;
    EXPECT_EQ(missing.Motion().Build(dir.File("none.cfg")), kExitNoInput);
    std::ofstream(dir.File("bad.cfg"))
        << "[MotorState]\r\nXDirPol=1\r\n[AllCmdInfo]\r\nCRC16=1\r\n";
    SimCtl bad;
    EXPECT_EQ(bad.Motion().Build(dir.File("bad.cfg")), kExitDataErr);
    EXPECT_EQ(bad.Doc()["error"]["code"], kExitDataErr);
}

TEST(CtlMotion, MoveEndsWithItsOutcomeAndStatusShowsEveryGenerator) {
    struct Case {
        const char* motor;
        int boardType;
        bool limit;
        int code;
        const char* outcome;
    };
    const Case cases[] = {
        {"x", 1, false, kExitOk, "end"},      {"y1", 0, false, kExitOk, "end"},
        {"z", 0, false, kExitOk, "end"},      {"xdc", 0, false, kExitOk, "end"},
        {"x", 1, true, kExitFailed, "limit"}, {"m1", 1, true, kExitFailed, "limit"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.motor) + " board " + std::to_string(c.boardType));
        SimCtl ctl(c.boardType);
        if (c.limit) {
            for (auto g : {sim::SimGenerator::kX0, sim::SimGenerator::kZ1})
                ctl.controller->Motors().SetLimitAfter(g, 10);
        }
        MoveArgs args;
        args.motor = c.motor;
        EXPECT_EQ(ctl.Motion().Move(args), c.code) << ctl.err.str();
        EXPECT_EQ(ctl.Doc(), (nlohmann::json{{"motor", c.motor}, {"outcome", c.outcome}}));
    }

    SimCtl ctl(0);
    EXPECT_EQ(ctl.Motion().Status(false), kExitOk);
    const nlohmann::json status = ctl.Doc();
    EXPECT_EQ(status["board_type"], 0);
    ASSERT_EQ(status["generators"].size(), 4u);
    EXPECT_EQ(status["generators"][0]["address"], 0x400F);
    for (const auto& g : status["generators"]) EXPECT_TRUE(g.contains("state"));

    SimCtl wrong;
    MoveArgs args;
    args.motor = "q";
    EXPECT_EQ(wrong.Motion().Move(args), kExitUsage);
}

// Values no movement page field would send are refused before the controller is
// reached, naming the option; the ranges are in the help.
TEST(CtlMotion, MoveRefusesValuesOutsideTheFieldsRanges) {
    const struct {
        std::vector<std::string> args;
        const char* option;
    } cases[] = {{{"x", "--accel", "-5", "--speed", "0"}, "--accel"},
                 {{"x", "--speed", "0"}, "--speed"},
                 {{"z", "--accel", "65536"}, "--accel"},
                 {{"y0", "--distance", "-1"}, "--distance"},
                 {{"xdc", "--speed", "70000"}, "--speed"},
                 {{"xdc", "--frequency", "0"}, "--frequency"}};
    for (const auto& c : cases) {
        SimCtl ctl;
        MoveArgs args;
        args.motor = c.args[0];
        for (std::size_t i = 1; i + 1 < c.args.size(); i += 2) {
            for (const MoveLimit& limit : MoveLimits())
                if (c.args[i] == limit.option) args.*limit.field = std::stoi(c.args[i + 1]);
        }
        EXPECT_EQ(ctl.Motion().Move(args), kExitUsage) << c.option;
        EXPECT_NE(ctl.err.str().find(c.option), std::string::npos) << ctl.err.str();
        for (std::size_t g = 0; g < sim::kSimGenerators; ++g)
            EXPECT_EQ(ctl.controller->Motors().Starts(static_cast<sim::SimGenerator>(g)), 0u);
    }
    const testing::CtlRun help = testing::Ctl({"move", "--help"});
    EXPECT_NE(help.out.find("1..65535"), std::string::npos) << help.out;
}

TEST(CtlClean, FramesDownloadAndInitSkip) {
    // A cleaning file whose wiper positions pass the rule (1000 before 1101) and one
    // whose do not (1000 before 1100).
    testing::TempDir dir;
    const std::string file = dir.File("good.cfg");
    const std::string badFile = dir.File("bad.cfg");
    for (const auto& [path, scrape] : {std::pair{file, 1101u}, std::pair{badFile, 1100u}}) {
        controller::CMainOperation op;
        op.cleanParams.uiCarleaveclear1 = 1000;
        op.cleanParams.uiCarmoveblow1 = scrape;
        ASSERT_TRUE(commands::CCmdsMag(op).SaveCleanParams(path));
    }
    SimCtl frames;
    ASSERT_EQ(frames.Clean().Frames(file), kExitOk) << frames.err.str();
    const nlohmann::json list = frames.Doc()["frames"];
    ASSERT_FALSE(list.empty());
    for (const auto& frame : list) EXPECT_EQ(frame.get<std::string>().rfind("574c", 0), 0u);

    SimCtl download;
    EXPECT_EQ(download.Clean().Download(file), kExitOk) << download.err.str();
    const nlohmann::json sent = download.Doc();
    EXPECT_EQ(sent["ok"], true);
    ASSERT_EQ(sent["packets"].size(), list.size());
    for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(sent["packets"][i]["frame"], list[i]);

    SimCtl silent;
    silent.controller->Panel().Faults().silentFrames = 100;
    EXPECT_EQ(silent.Clean().Download(file), kExitFailed);

    SimCtl skip;
    EXPECT_EQ(skip.Clean().InitSkip(), kExitOk) << skip.err.str();

    // Values that do not validate are bad data.
    SimCtl bad;
    EXPECT_EQ(bad.Clean().Frames(badFile), kExitDataErr);
    EXPECT_EQ(bad.Clean().Frames(dir.File("none.cfg")), kExitNoInput);
}

}  // namespace
}  // namespace velmor::cli
