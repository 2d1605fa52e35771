#include "ini/ini_file.h"

#include <gtest/gtest.h>
#include <locale.h>

#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace velmor::ini {
namespace {

using velmor::testing::ReadBytes;
using velmor::testing::TempDir;
using velmor::testing::WriteBytes;

class IniFileTest : public ::testing::Test {
  protected:
    // Loads `bytes` from a file and returns the loaded object.
    CIniFile& LoadBytes(const std::string& bytes) {
        WriteBytes(path_, bytes);
        ini_.SetPath(path_);
        EXPECT_TRUE(ini_.Load());
        return ini_;
    }
    std::string SaveAndRead() {
        EXPECT_TRUE(ini_.Save());
        return ReadBytes(path_);
    }

    TempDir dir_;
    std::string path_ = dir_.File("test.ini");
    CIniFile ini_;
};

TEST_F(IniFileTest, ValueIsReadWithoutSurroundingBlanks) {
    LoadBytes("[Language]\r\n  Language =  eng \r\n");
    EXPECT_EQ(ini_.ReadString("Language", "Language", "chs"), "eng");
}

TEST_F(IniFileTest, NewKeyInLastSectionGoesAfterItsLastLineWithoutSpaces) {
    LoadBytes("[A]\r\nx = 1\r\n[B]\r\ny = 2\r\n");
    ini_.WriteString("B", "z", "3");
    EXPECT_EQ(SaveAndRead(), "[A]\r\nx = 1\r\n[B]\r\ny = 2\r\nz=3\r\n");
}

TEST_F(IniFileTest, NewKeyInEarlierSectionGoesBeforeTheNextHeader) {
    LoadBytes("[A]\r\nx = 1\r\n\r\n; note\r\n[B]\r\n");
    ini_.WriteString("A", "w", "v");
    EXPECT_EQ(SaveAndRead(), "[A]\r\nx = 1\r\n\r\n; note\r\nw=v\r\n[B]\r\n");
}

TEST_F(IniFileTest, ReplacingAKeyRewritesItsLineWithSpaces) {
    LoadBytes("[A]\r\n  x=1\r\ny=2\r\n");
    ini_.WriteString("A", "x", "9");
    EXPECT_EQ(SaveAndRead(), "[A]\r\nx = 9\r\ny=2\r\n");
}

TEST_F(IniFileTest, MissingSectionIsAppendedWithHeaderAndSpacedKey) {
    LoadBytes("[A]\r\nx=1\r\n");
    ini_.WriteString("New", "k", "v");
    ini_.WriteInt("New", "n", -5);
    ini_.WriteDouble("New", "d", 1.5);
    EXPECT_EQ(SaveAndRead(), "[A]\r\nx=1\r\n[New]\r\nk = v\r\nn=-5\r\nd=1.500000\r\n");
}

TEST_F(IniFileTest, CommentLineInsideSectionIsNotAnEntry) {
    LoadBytes("[A]\r\n; x = 1\r\n  ;y=2\r\n");
    EXPECT_EQ(ini_.ReadString("A", "; x", "none"), "none");
    EXPECT_EQ(ini_.ReadString("A", "y", "none"), "none");
    EXPECT_EQ(ini_.ReadInt("A", "x", 5), 5);
}

TEST_F(IniFileTest, IntegerReadsFollowTheCConversion) {
    LoadBytes("[A]\r\na=12abc\r\nb=abc\r\nc=\r\nd= -7\r\ne=4294967295\r\n");
    EXPECT_EQ(ini_.ReadInt("A", "a", 0), 12);
    EXPECT_EQ(ini_.ReadInt("A", "b", 3), 0);
    EXPECT_EQ(ini_.ReadInt("A", "c", 3), 0);  // present but empty: not a number
    EXPECT_EQ(ini_.ReadInt("A", "d", 0), -7);
    EXPECT_EQ(static_cast<unsigned>(ini_.ReadInt("A", "e", 0)), 4294967295u);
    EXPECT_EQ(ini_.ReadInt("A", "missing", 5), 5);
}

TEST_F(IniFileTest, RealNumbersIgnoreTheProcessLocale) {
    // A toolkit may switch the C locale; file texts must keep the '.' either way.
    const char* previous = setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    bool switched = false;  // a locale with ',' as decimal point, as POSIX or Windows names it
    for (const char* german : {"de_DE.UTF-8", "de_DE", "German_Germany.1252", "de-DE"})
        if (!switched) switched = setlocale(LC_NUMERIC, german) != nullptr;
    LoadBytes("[A]\r\nr=2.250000\r\n");
    EXPECT_DOUBLE_EQ(ini_.ReadDouble("A", "r", 0.0), 2.25);
    EXPECT_DOUBLE_EQ(ini_.ReadDouble("A", "missing", 4.738689), 4.738689);
    ini_.WriteDouble("A", "w", 0.5);
    EXPECT_NE(SaveAndRead().find("w=0.500000\r\n"), std::string::npos);
    setlocale(LC_NUMERIC, saved.c_str());
    if (!switched) GTEST_SKIP() << "no German locale installed; checked in the C locale only";
}

TEST_F(IniFileTest, NamesAreExactAndOnlyTheFirstSectionCounts) {
    LoadBytes("[A]\r\nk=first\r\n[a]\r\nk=lower\r\n[A]\r\nk=second\r\nonly=2\r\n");
    EXPECT_EQ(ini_.ReadString("A", "k", ""), "first");
    EXPECT_EQ(ini_.ReadString("a", "k", ""), "lower");
    EXPECT_EQ(ini_.ReadString("A", "K", "none"), "none");
    EXPECT_EQ(ini_.ReadString("A", "only", "none"), "none");
    ini_.WriteString("A", "only", "1");  // goes to the first [A]
    EXPECT_EQ(SaveAndRead(),
              "[A]\r\nk=first\r\nonly=1\r\n[a]\r\nk=lower\r\n[A]\r\nk=second\r\nonly=2\r\n");
}

TEST_F(IniFileTest, MalformedLinesAreEntriesAndSections) {
    LoadBytes("[Broken\r\nnoequals\r\n [ Spaced ] trailing\r\nk = v = w\r\n");
    EXPECT_EQ(ini_.ReadString("Broken", "noequals", "none"), "");
    EXPECT_EQ(ini_.ReadString("Spaced", "k", ""), "v = w");
}

TEST_F(IniFileTest, LinesEndingInLfOrLoneCrAreRead) {
    LoadBytes("[A]\nx=1\ry=2\r\nz=3");
    EXPECT_EQ(ini_.ReadInt("A", "x", 0), 1);
    EXPECT_EQ(ini_.ReadInt("A", "y", 0), 2);
    EXPECT_EQ(ini_.ReadInt("A", "z", 0), 3);
    EXPECT_EQ(SaveAndRead(), "[A]\r\nx=1\r\ny=2\r\nz=3\r\n");
}

TEST_F(IniFileTest, GbkOnDiskUtf8InMemory) {
    LoadBytes("[\xc7\xe5\xcf\xb4]\r\nName=\xd6\xd0\xce\xc4\r\n");  // [清洗] Name=中文
    EXPECT_EQ(ini_.ReadString("清洗", "Name", ""), "中文");
    ini_.WriteString("清洗", "Other", "寄存器");
    EXPECT_EQ(SaveAndRead(),
              "[\xc7\xe5\xcf\xb4]\r\nName=\xd6\xd0\xce\xc4\r\nOther=\xbc\xc4\xb4\xe6\xc6\xf7\r\n");
}

TEST_F(IniFileTest, InvalidGbkBytesAreKeptThroughLoadAndSave) {
    const std::string raw = "[A]\r\nv=\x80\xff\x81\r\n; \xfe\r\n";
    LoadBytes(raw);
    ini_.WriteString("A", "w", "1");
    EXPECT_EQ(SaveAndRead(), "[A]\r\nv=\x80\xff\x81\r\n; \xfe\r\nw=1\r\n");
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndKeepsLines) {
    LoadBytes("[A]\r\nx=1\r\n");
    ini_.SetPath(dir_.File("absent.ini"));
    EXPECT_FALSE(ini_.Load());
    EXPECT_FALSE(ini_.Loaded());
    EXPECT_EQ(ini_.ReadInt("A", "x", 7), 7);  // reads give defaults after a failed open
    EXPECT_EQ(ini_.Lines().LineCount(), 2u);  // but the lines stay
}

TEST_F(IniFileTest, SaveIntoMissingFolderFailsAndCreatesNothing) {
    ini_.SetPath(dir_.File("no/such/folder/x.ini"));
    ini_.Reset();
    ini_.WriteString("A", "k", "v");
    EXPECT_FALSE(ini_.Save());
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "no"));
}

}  // namespace
}  // namespace velmor::ini
