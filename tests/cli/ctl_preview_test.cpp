// velmorctl motion preview: the timeline of a document's start-up image as JSON
// and text, the SVG file, and the exit codes of what can go wrong.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "support/ctl_run.h"
#include "support/motion_steps.h"
#include "support/temp_dir.h"

namespace velmor::cli {
namespace {

using velmor::testing::Ctl;

// A main-board document: X alone (2000 pulses at 4000 a second, LED 5), then X
// and Z together.
std::string SaveDocument(const velmor::testing::TempDir& dir) {
    controller::CMainOperation doc;
    doc.SetBoardType(0);
    doc.cmdNames = {"InitDone", "InitMovement"};
    doc.allCmdNames = doc.cmdNames;
    controller::MotorListInfo both = velmor::testing::XStep(1000);
    both.motorIndex = 0x05;
    both.nMotorNums = 2;
    both.MotonTabLen[2] = 512;
    both.MotonnMaxSpeed[2] = 2000;
    both.MotonnnMoveLenth[2] = 3000;
    both.MotonnnstrDir[2] = "Orignal";
    doc.motionList = {velmor::testing::XStep(2000), both};
    const std::string path = dir.File("printer.cfg");
    EXPECT_TRUE(commands::CCmdsMag(doc).SaveConfigDocument(path));
    return path;
}

TEST(CtlPreview, JsonListsEveryMoveWithItsTimesAndTheTotal) {
    velmor::testing::TempDir dir;
    const auto run = Ctl({"--json", "motion", "preview", SaveDocument(dir)});
    ASSERT_EQ(run.code, 0) << run.err;
    const nlohmann::json doc = run.Json();
    ASSERT_EQ(doc["moves"].size(), 3u);
    const nlohmann::json& first = doc["moves"][0];
    EXPECT_EQ(first["motor"], "x");
    EXPECT_EQ(first["step"], 0);
    EXPECT_DOUBLE_EQ(first["start_ms"].get<double>(), 0.0);
    EXPECT_NEAR(first["end_ms"].get<double>(), 500.0, 0.001);  // 2000 / 4000 s
    const nlohmann::json& z = doc["moves"][2];
    EXPECT_EQ(z["motor"], "z");
    EXPECT_EQ(z["step"], 1);
    EXPECT_NEAR(z["start_ms"].get<double>(), 500.0, 0.001);
    EXPECT_NEAR(doc["total_ms"].get<double>(), 500.0 + 1500.0, 0.002);  // Z: 3000 / 2000 s
    ASSERT_FALSE(doc["leds"].empty());
    EXPECT_EQ(doc["leds"][0]["led"], "5");
    EXPECT_EQ(doc["leds"][0]["boards"], (std::vector<int>{0, 1}));
}

TEST(CtlPreview, TextLinesAndTheSvgFile) {
    velmor::testing::TempDir dir;
    const std::string svg = dir.File("start.svg");
    const auto run = Ctl({"motion", "preview", SaveDocument(dir), "--svg", svg});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("x movement step 0: 0.000 - 500.000 ms, 2000 End"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("chart written to " + svg), std::string::npos);
    std::ifstream in(svg);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().rfind("<?xml", 0), 0u);
    EXPECT_NE(text.str().find("2000 End"), std::string::npos);
}

TEST(CtlPreview, ExitCodes) {
    velmor::testing::TempDir dir;
    const std::string doc = SaveDocument(dir);
    EXPECT_EQ(Ctl({"motion", "preview", dir.File("missing.cfg")}).code, 66);
    EXPECT_EQ(Ctl({"motion", "preview", doc, "--svg", dir.File("no/such/folder/x.svg")}).code, 73);
    std::ofstream(dir.File("not.cfg")) << "nothing of a document\n";
    EXPECT_EQ(Ctl({"motion", "preview", dir.File("not.cfg")}).code, 65);
    EXPECT_EQ(Ctl({"motion", "preview"}).code, 64);
}

}  // namespace
}  // namespace velmor::cli
