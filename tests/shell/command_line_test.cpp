#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmor::shell {
namespace {

CommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "velmortool");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, OptionsAreRecognised) {
    EXPECT_FALSE(Parse({}).simulate);
    EXPECT_TRUE(Parse({}).error.empty());
    const CommandLine both = Parse({"--simulate", "--home", "/data/v"});
    EXPECT_TRUE(both.simulate);
    EXPECT_EQ(both.home, "/data/v");
    EXPECT_TRUE(both.error.empty());
    EXPECT_EQ(Parse({"--home=/x"}).home, "/x");
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_EQ(Parse({"--simulate", "--state", "/tmp/a.state"}).state, "/tmp/a.state");
    EXPECT_EQ(Parse({"--state=/tmp/b.state", "--simulate"}).state, "/tmp/b.state");
    EXPECT_TRUE(Parse({"--state=/tmp/b.state", "--simulate"}).error.empty());
}

TEST(CommandLine, BadOptionsAreReportedNotGuessed) {
    EXPECT_EQ(Parse({"--home"}).error, "--home needs a folder");
    EXPECT_EQ(Parse({"--home", ""}).error, "--home needs a folder");
    EXPECT_EQ(Parse({"--home="}).error, "--home needs a folder");
    EXPECT_EQ(Parse({"--simulated"}).error, "unknown option: --simulated");
    EXPECT_EQ(Parse({"extra"}).error, "unknown option: extra");
    EXPECT_EQ(Parse({"--homex"}).error, "unknown option: --homex");
    EXPECT_EQ(Parse({"--simulate", "--state"}).error, "--state needs a file");
    EXPECT_EQ(Parse({"--state", "/tmp/a.state"}).error, "--state needs --simulate");
}

TEST(CommandLine, WindowsNeedADisplayOrAnExplicitPlatform) {
    EXPECT_FALSE(CanShowWindows(nullptr, nullptr, nullptr));
    EXPECT_FALSE(CanShowWindows("", "", ""));
    EXPECT_TRUE(CanShowWindows(":0", nullptr, nullptr));
    EXPECT_TRUE(CanShowWindows(nullptr, "wayland-0", nullptr));
    EXPECT_TRUE(CanShowWindows(nullptr, nullptr, "offscreen"));
}

}  // namespace
}  // namespace velmor::shell
