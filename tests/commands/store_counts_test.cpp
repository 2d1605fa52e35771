// The counts of a document are bounded by the entries it holds: a count up to
// kMaxEntries is read as stated (missing entries read as empty), a larger one only as
// far as its entries go, and never past the list's own ceiling.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "commands/cmds_mag.h"
#include "store_fixture.h"
#include "support/file_bytes.h"

namespace velmor::commands {
namespace {

using velmor::testing::WriteBytes;

TEST_F(StoreTest, HugeCountsBehindTwoMegabytesOfBlankLinesReadNothing) {
    std::string doc =
        "[AllCommandName]\nTotalNums=2000000\n[CommandName]\nTotalNums=2000000\n"
        "[TotalCmdNumbers]\nCmdNums=2000000\n[nMotorcmdtotalNums]\nnMotorcmdtotalNums=2000000\n"
        "[nTestMotorcmdtotalNums]\nnTestMotorcmdtotalNums=2000000\n";
    doc.append(2000000, '\n');
    WriteBytes(Record("blank.cfg"), doc);
    CCmdsMag store(op_);
    EXPECT_FALSE(store.LoadConfigDocument(Record("blank.cfg")));
    EXPECT_TRUE(store.CountClamped());
    EXPECT_EQ(op_.allCmdNames, std::vector<std::string>{"InitDone"});
    EXPECT_EQ(op_.cmdNames, std::vector<std::string>{"InitDone"});
    EXPECT_EQ(op_.cmdList.size(), 0u);
    EXPECT_EQ(op_.motionList.size(), 0u);
    EXPECT_EQ(op_.testMotionList.size(), 0u);
    EXPECT_EQ(store.Checksum().Length(), 32u);  // the motor settings alone
}

TEST_F(StoreTest, ADocumentBeyondTheReadLimitLoadsAsMissingAndSaysWhy) {
    WriteBytes(Record("huge.cfg"), "[TotalCmdNumbers]\nCmdNums=1\n");
    std::filesystem::resize_file(Record("huge.cfg"), files::FileOps::kMaxReadBytes + 1);
    CCmdsMag store(op_);
    EXPECT_FALSE(store.LoadConfigDocument(Record("huge.cfg")));
    EXPECT_TRUE(store.DocumentTooLarge());
    EXPECT_TRUE(op_.cmdList.empty());
    EXPECT_TRUE(op_.rebuildFlag);
    EXPECT_FALSE(store.LoadConfigDocument(Record("missing.cfg")));
    EXPECT_FALSE(store.DocumentTooLarge());
}

// Numbered sections "<prefix><k>" for k in [from, to), each with `body`.
std::string Numbered(const std::string& prefix, long long from, long long to,
                     const std::string& body) {
    std::string text;
    for (long long k = from; k < to; ++k) text += "[" + prefix + std::to_string(k) + "]\n" + body;
    return text;
}

std::string NameKeys(long long from, long long to) {
    std::string text;
    for (long long k = from; k < to; ++k) text += "KeyName" + std::to_string(k) + "=N\n";
    return text;
}

TEST_F(StoreTest, CountsAreBoundedByTheEntriesTheDocumentHolds) {
    const int max = CCmdsMag::kMaxEntries;
    const std::string cmd = "OptType=RegWrite\n";
    const std::string step = "nMotorNums=1\n";
    struct Case {
        const char* what;
        std::string doc;
        std::size_t names, commands, motion;
        bool clamped;
    };
    const std::vector<Case> cases = {
        {"gaps keep their empty entries",
         "[AllCommandName]\nTotalNums=5\nKeyName0=A\nKeyName1=B\nKeyName3=D\n"
         "[TotalCmdNumbers]\nCmdNums=5\n" +
             Numbered("CmdInfo", 0, 2, cmd) + Numbered("CmdInfo", 3, 4, cmd) +
             "[nMotorcmdtotalNums]\nnMotorcmdtotalNums=5\n" + Numbered("MotoCmdInfo", 0, 2, step) +
             Numbered("MotoCmdInfo", 3, 4, step),
         3, 5, 3, false},
        {"a count up to the trusted limit is read whole",
         "[TotalCmdNumbers]\nCmdNums=" + std::to_string(max) + "\n[CmdInfo0]\n" + cmd, 1,
         static_cast<std::size_t>(max), 0, false},
        {"a larger count backed by entries",
         "[AllCommandName]\nTotalNums=" + std::to_string(max + 2) + "\n" + NameKeys(0, max + 2) +
             "[TotalCmdNumbers]\nCmdNums=" + std::to_string(max + 2) + "\n" +
             Numbered("CmdInfo", 0, max + 2, cmd),
         static_cast<std::size_t>(max + 2), static_cast<std::size_t>(max + 2), 0, false},
        {"a larger count stops after the last entry",
         "[AllCommandName]\nTotalNums=2000000\n" + NameKeys(0, 3) + "[TotalCmdNumbers]\nCmdNums=" +
             std::to_string(max + 3) + "\n" + Numbered("CmdInfo", 0, max + 2, cmd),
         3, static_cast<std::size_t>(max + 2), 0, true},
        {"one far entry allows at most the trusted number of missing ones",
         "[TotalCmdNumbers]\nCmdNums=2000000000\n" +
             Numbered("CmdInfo", 1999999999, 2000000000, cmd),
         1, static_cast<std::size_t>(max + 1), 0, true},
        {"names and sections match in any letter case, numbers only as written",
         "[AllCommandName]\nTotalNums=" + std::to_string(max + 9) + "\n" + NameKeys(0, max + 1) +
             "keyNAME" + std::to_string(max + 1) + "=X\n[TotalCmdNumbers]\nCmdNums=" +
             std::to_string(max + 9) + "\n[cmdinfo9]\n[CmdInfo0" + std::to_string(max + 7) + "]\n",
         static_cast<std::size_t>(max + 2), 10, 0, true},
        {"a motion list never passes its ceiling",
         "[nMotorcmdtotalNums]\nnMotorcmdtotalNums=" + std::to_string(max + 1) + "\n" +
             Numbered("MotoCmdInfo", 0, max + 1, step),
         1, 0, static_cast<std::size_t>(CCmdsMag::kMaxMotionEntries), true},
    };
    for (const Case& c : cases) {
        WriteBytes(Record("case.cfg"), c.doc);
        CCmdsMag store(op_);
        store.LoadConfigDocument(Record("case.cfg"));
        EXPECT_EQ(op_.allCmdNames.size(), c.names) << c.what;
        EXPECT_EQ(op_.cmdList.size(), c.commands) << c.what;
        EXPECT_EQ(op_.motionList.size(), c.motion) << c.what;
        EXPECT_EQ(store.CountClamped(), c.clamped) << c.what;
    }
}

}  // namespace
}  // namespace velmor::commands
