// The regression recordings of tests/replays/: each folder's command replayed
// through velmorctl from its recording prints what it printed when it was
// recorded and exits the same way.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ctl_commands.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "support/temp_dir.h"

namespace velmor::replay {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

std::vector<std::string> Folders() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(VELMOR_REPLAYS_DIR)) {
        if (entry.is_directory() && fs::exists(entry.path() / "recording.jsonl"))
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Replays : public ::testing::TestWithParam<std::string> {};

TEST_P(Replays, PrintAndExitAsRecorded) {
    const fs::path dir = fs::path(VELMOR_REPLAYS_DIR) / GetParam();
    testing::TempDir scratch;
    std::vector<std::string> args{"velmorctl", "--replay", (dir / "recording.jsonl").string()};
    std::istringstream command(ReadText(dir / "command"));
    for (std::string line; std::getline(command, line);) {
        if (!line.empty())
            args.push_back(
                Replace(Replace(line, "{dir}", dir.string()), "{out}", scratch.Path().string()));
    }
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::RunCtl(args, out, err);
    EXPECT_EQ(code, std::stoi(ReadText(dir / "expected.code"))) << err.str();
    const std::string printed =
        Replace(Replace(out.str(), dir.string(), "{dir}"), scratch.Path().string(), "{out}");
    EXPECT_EQ(printed, ReadText(dir / "expected.out")) << err.str();
    EXPECT_EQ(Replace(Replace(err.str(), dir.string(), "{dir}"), scratch.Path().string(), "{out}"),
              ReadText(dir / "expected.err"));
}

// The download's recording with another document: the first request that differs
// is named, and the command fails as a transfer does.
TEST(ReplaysOfAnotherDocument, ExitWith74NamingTheRequestNotInTheRecording) {
    const fs::path dir = fs::path(VELMOR_REPLAYS_DIR) / "download";
    testing::TempDir scratch;
    controller::CMainOperation op;
    ASSERT_TRUE(commands::CCmdsMag(op).LoadConfigDocument((dir / "printer.cfg").string()));
    op.motionList.at(0).MotonnnMoveLenth[0] += 1;  // one pulse more in the one movement step
    const std::string other = scratch.File("other.cfg");
    ASSERT_TRUE(commands::CCmdsMag(op).SaveConfigDocument(other));
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::RunCtl({"velmorctl", "--replay", (dir / "recording.jsonl").string(),
                                  "--simulate", "--board-type", "0", "download", other},
                                 out, err);
    EXPECT_EQ(code, 74);
    EXPECT_NE(err.str().find("replay: request "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("is not in the recording; the nearest differs at byte "),
              std::string::npos)
        << err.str();
}

INSTANTIATE_TEST_SUITE_P(Recorded, Replays, ::testing::ValuesIn(Folders()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

}  // namespace
}  // namespace velmor::replay
