#include "commands/profile_document.h"

#include <gtest/gtest.h>

#include <string>

#include "commands/store_document.h"
#include "support/file_bytes.h"
#include "ini/text_codec.h"
#include "support/temp_dir.h"

namespace velmor::commands {
namespace {

using velmor::testing::ReadBytes;
using velmor::testing::TempDir;
using velmor::testing::WriteBytes;

class ProfileTest : public ::testing::Test {
  protected:
    ProfileDocument& Open(const std::string& gbkBytes) {
        WriteBytes(path_, gbkBytes);
        EXPECT_TRUE(doc_.Open(path_));
        return doc_.Profile();
    }
    std::string CommitAndRead() {
        EXPECT_TRUE(doc_.Commit());
        return ReadBytes(path_);
    }

    TempDir dir_;
    std::string path_ = dir_.File("p.ini");
    StoreDocument doc_;
};

struct StringCase {
    const char* file;
    const char* section;
    const char* key;
    const char* defaultText;
    const char* expected;
};

TEST_F(ProfileTest, StringReads) {
    const StringCase cases[] = {
        {"[Sec]\r\nKey=v\r\n", "sEC", "kEY", "d", "v"},                    // case-insensitive names
        {"[Sec]\r\nKey=Mixed Case\r\n", "Sec", "Key", "d", "Mixed Case"},  // values keep case
        {"[ Sec\t]\r\n \tKey \t=\t v v \t\r\n", "Sec", "Key", "d", "v v"},
        {"[Sec]\r\nk=v\r\n", "  Sec  ", "  k ", "d", "v"},  // caller's spaces trimmed
        {"[Sec]\r\nk=\"quoted\"\r\n", "Sec", "k", "d", "quoted"},
        {"[Sec]\r\nk='single'\r\n", "Sec", "k", "d", "single"},
        {"[Sec]\r\nk=\"unmatched\r\n", "Sec", "k", "d", "\"unmatched"},
        {"[Sec]\r\nk=\"mixed'\r\n", "Sec", "k", "d", "\"mixed'"},
        {"[Sec]\r\nk=\r\n", "Sec", "k", "d", ""},                // present but empty
        {"[Sec]\r\nk=v\r\n", "Sec", "missing", "def  ", "def"},  // trailing spaces of default
        {"[Sec]\r\nk=v\r\n", "Other", "k", "  def", "  def"},    // leading ones stay
        {"[Sec]\r\nk=first\r\n[SEC]\r\nk=second\r\nz=1\r\n", "sec", "k", "d", "first"},
        {"[Sec]\r\nk=first\r\n[SEC]\r\nz=1\r\n", "Sec", "z", "d", "d"},  // later section ignored
        {"[Sec]\r\nk=1\r\nK=2\r\n", "Sec", "k", "d", "1"},               // first key wins
        {"[Sec]\r\n;k=1\r\n  ;k=2\r\nk=3\r\n", "Sec", "k", "d", "3"},
        {"[Sec]\r\n#k=1\r\n", "Sec", "#k", "d", "1"},  // '#' is no comment
        {"[Sec]\r\nk=a;b\r\n", "Sec", "k", "d", "a;b"},
        {"k=before\r\n[Sec]\r\n", "", "k", "d", "d"},  // before any section
        {"[Sec] trailing junk\r\nk=v\r\n", "Sec", "k", "d", "v"},
        {"[NoClose\r\nk=v\r\n", "NoClose", "k", "d", "v"},
        {"[Sec]\r\nnoequals\r\n", "Sec", "noequals", "d", "d"},
        {"[Sec]\nk=lf\r", "Sec", "k", "d", "lf"},
        {"[Sec]\rk=cr\rz=2", "Sec", "z", "d", "2"},
    };
    for (const auto& c : cases) {
        Open(c.file);
        EXPECT_EQ(doc_.Profile().GetString(c.section, c.key, c.defaultText), c.expected)
            << "file: " << c.file;
    }
}

TEST_F(ProfileTest, StringsAreCutTo259BytesOfWholeCharacters) {
    Open("[S]\r\nascii=" + std::string(300, 'a') + "\r\nchinese=" + [] {
        std::string s;
        for (int i = 0; i < 200; ++i) s += "\xd6\xd0";  // 中
        return s;
    }() + "\r\n");
    EXPECT_EQ(doc_.Profile().GetString("S", "ascii", ""), std::string(259, 'a'));
    const std::string chinese = doc_.Profile().GetString("S", "chinese", "");
    EXPECT_EQ(ini::GbkLength(chinese), 258u);  // 129 characters; the 130th would not fit
    EXPECT_EQ(doc_.Profile().GetString("S", "missing", std::string(400, 'd')),
              std::string(259, 'd'));
}

TEST_F(ProfileTest, NamesNeverFoldInsideAGbkCharacter) {
    // 0xB0 0x41 and 0xB0 0x61 are two characters whose second bytes are 'A' and 'a'.
    Open("[\xb0\x41]\r\n\xb0\x41=upper\r\n");
    const std::string upper = ini::DecodeGbk("\xb0\x41");
    const std::string lower = ini::DecodeGbk("\xb0\x61");
    EXPECT_EQ(doc_.Profile().GetString(upper, upper, "d"), "upper");
    EXPECT_EQ(doc_.Profile().GetString(lower, upper, "d"), "d");
    EXPECT_EQ(doc_.Profile().GetString(upper, lower, "d"), "d");
}

struct IntCase {
    const char* value;  // nullptr: key missing
    int defaultValue;
    int expected;
};

TEST_F(ProfileTest, IntegerReads) {
    const IntCase cases[] = {
        {"12abc", 5, 12},      {"B12", 5, 0},        {"", 5, 5},
        {nullptr, 5, 5},       {"-5", 0, -5},        {"+7", 0, 7},
        {"4294967295", 0, -1}, {"4294967296", 9, 0}, {"99999999999", 0, 1215752191},
        {"\"42\"", 0, 42},     {" 3 4", 0, 3},       {"-", 8, 0},
        {"0x10", 0, 0},
    };
    for (const auto& c : cases) {
        Open(c.value ? "[S]\r\nk=" + std::string(c.value) + "\r\n" : std::string("[S]\r\n"));
        EXPECT_EQ(doc_.Profile().GetInt("S", "K", c.defaultValue), c.expected)
            << (c.value ? c.value : "(missing)");
    }
}

TEST_F(ProfileTest, WriteIntoNewFileCreatesSectionAndKeyWithoutSpaces) {
    doc_.OpenEmpty(path_);
    EXPECT_TRUE(doc_.Profile().WriteString("Sec", "key", "value"));
    EXPECT_EQ(CommitAndRead(), "[Sec]\r\nkey=value\r\n");
}

TEST_F(ProfileTest, NewKeyGoesAfterTheSectionsLastKeyLine) {
    Open("[A]\r\nx=1\r\n\r\n; tail comment\r\n[B]\r\ny=2\r\n");
    doc_.Profile().WriteString("a", "new", "n");
    doc_.Profile().WriteString("A", "second", "s");
    EXPECT_EQ(CommitAndRead(),
              "[A]\r\nx=1\r\nnew=n\r\nsecond=s\r\n\r\n; tail comment\r\n[B]\r\ny=2\r\n");
}

TEST_F(ProfileTest, NewKeyInSectionWithoutKeysGoesRightAfterTheHeader) {
    Open("[A]\r\n; only a comment\r\n");
    doc_.Profile().WriteString("A", "k", "v");
    EXPECT_EQ(CommitAndRead(), "[A]\r\nk=v\r\n; only a comment\r\n");
}

TEST_F(ProfileTest, NewSectionIsAppendedWithoutBlankLine) {
    Open("; head\r\n[A]\r\nx=1\r\n\r\n");
    doc_.Profile().WriteString("B", "k", "v");
    EXPECT_EQ(CommitAndRead(), "; head\r\n[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n");
}

TEST_F(ProfileTest, ReplacingKeepsTheFilesSpellingAndEveryOtherLine) {
    const std::string before =
        "; \xd6\xd0 comment\r\n[SeC]\r\n  KeY = old \r\nother=\xff\r\n[x]\r\n";
    Open(before);
    doc_.Profile().WriteString("sec", "key", "new value");
    EXPECT_EQ(CommitAndRead(),
              "; \xd6\xd0 comment\r\n[SeC]\r\nKeY=new value\r\nother=\xff\r\n[x]\r\n");
}

TEST_F(ProfileTest, ChineseValuesAreWrittenAsGbk) {
    doc_.OpenEmpty(path_);
    doc_.Profile().WriteString("S", "RegName", "寄存器[15:8]");
    EXPECT_EQ(CommitAndRead(), "[S]\r\nRegName=\xbc\xc4\xb4\xe6\xc6\xf7[15:8]\r\n");
}

TEST_F(ProfileTest, WriteIntoMissingFolderFailsAtCommit) {
    doc_.OpenEmpty(dir_.File("missing/p.ini"));
    EXPECT_TRUE(doc_.Profile().WriteString("S", "k", "v"));
    EXPECT_FALSE(doc_.Commit());
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "missing"));
}

}  // namespace
}  // namespace velmor::commands
