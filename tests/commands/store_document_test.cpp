// One read and one write per store operation must end in the same file as running
// every step against the file on its own (read, change, write each time).
#include "commands/store_document.h"

#include <gtest/gtest.h>

#include <random>

#include "support/faulty_file_ops.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace velmor::commands {
namespace {

using velmor::testing::ReadBytes;
using velmor::testing::TempDir;
using velmor::testing::WriteBytes;

struct Step {
    bool wholeFile;  // CIniFile rules, else profile rules
    std::string section;
    std::string key;
    std::string value;
};

void Apply(StoreDocument& doc, const Step& s) {
    if (s.wholeFile) {
        doc.Ini().WriteString(s.section, s.key, s.value);
    } else {
        doc.Profile().WriteString(s.section, s.key, s.value);
    }
}

TEST(StoreDocument, OneReadOneWriteEqualsAReadAndWritePerStep) {
    std::mt19937 rng(2024);
    const char* sections[] = {"MotorState", "motorstate", "AllCmdInfo",
                              "CmdInfo0",   "清洗",       "Language"};
    const char* keys[] = {"Y0Selected", "y0selected", "CRC16", "RegName", "名字", "Language"};
    for (int round = 0; round < 8; ++round) {
        TempDir dir;
        const std::string start =
            "; head\r\n[CmdInfo0]\r\nRegName=\xd6\xd0\r\n\r\n[MotorState]\r\n";
        WriteBytes(dir.File("one"), start);
        WriteBytes(dir.File("many"), start);
        std::vector<Step> steps;
        for (int i = 0; i < 40; ++i) {
            steps.push_back({rng() % 2 == 0, sections[rng() % 6], keys[rng() % 6],
                             "v" + std::to_string(rng() % 1000)});
        }
        velmor::testing::FaultyFileOps ops;
        ops.skipSync = true;
        StoreDocument once(ops);
        ASSERT_TRUE(once.Open(dir.File("one")));
        for (const Step& s : steps) Apply(once, s);
        ASSERT_TRUE(once.Commit());
        for (const Step& s : steps) {
            StoreDocument each(ops);
            ASSERT_TRUE(each.Open(dir.File("many")));
            Apply(each, s);
            ASSERT_TRUE(each.Commit());
        }
        ASSERT_EQ(ReadBytes(dir.File("one")), ReadBytes(dir.File("many"))) << "round " << round;
    }
}

TEST(StoreDocument, FileNamesMatchWithoutRegardToCase) {
#ifdef _WIN32
    GTEST_SKIP() << "the Windows file system matches names without regard to case itself";
#endif
    TempDir dir;
    WriteBytes(dir.File("Machine.CFG"), "x");
    EXPECT_EQ(StoreDocument::ResolveFileName(dir.File("machine.cfg")), dir.File("Machine.CFG"));
    EXPECT_EQ(StoreDocument::ResolveFileName(dir.File("Machine.CFG")), dir.File("Machine.CFG"));
    EXPECT_EQ(StoreDocument::ResolveFileName(dir.File("other.cfg")), dir.File("other.cfg"));
    WriteBytes(dir.File("MACHINE.cfg"), "y");  // two spellings: the choice is stable
    EXPECT_EQ(StoreDocument::ResolveFileName(dir.File("machine.Cfg")), dir.File("MACHINE.cfg"));
}

TEST(StoreDocument, OpenEmptyDropsTheOldContentOnlyAtCommit) {
    TempDir dir;
    WriteBytes(dir.File("doc"), "[Old]\r\nk=1\r\n");
    StoreDocument doc;
    doc.OpenEmpty(dir.File("doc"));
    EXPECT_EQ(doc.Profile().GetString("Old", "k", "gone"), "gone");
    EXPECT_EQ(ReadBytes(dir.File("doc")), "[Old]\r\nk=1\r\n");
    doc.Profile().WriteString("New", "k", "2");
    ASSERT_TRUE(doc.Commit());
    EXPECT_EQ(ReadBytes(dir.File("doc")), "[New]\r\nk=2\r\n");
}

}  // namespace
}  // namespace velmor::commands
