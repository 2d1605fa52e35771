// Files that are not what the program writes must load without a crash or a hang.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ini/ini_file.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace velmor::ini {
namespace {

using velmor::testing::ReadBytes;
using velmor::testing::TempDir;
using velmor::testing::WriteBytes;

class IniBadFile : public ::testing::Test {
  protected:
    void LoadAndSave(const std::string& bytes) {
        WriteBytes(path_, bytes);
        ini_.SetPath(path_);
        ASSERT_TRUE(ini_.Load());
        ASSERT_TRUE(ini_.Save());
        EXPECT_EQ(ReadBytes(path_).size(), Normalised(bytes).size());
    }
    // What a save writes back: the same lines, each ended by CRLF.
    static std::string Normalised(const std::string& bytes) {
        IniLines lines;
        lines.Assign(bytes);
        return lines.Join();
    }

    TempDir dir_;
    std::string path_ = dir_.File("bad.ini");
    CIniFile ini_;
};

TEST_F(IniBadFile, TenMegabyteLine) {
    std::string big = "[A]\r\nk=" + std::string(10 * 1024 * 1024, 'v') + "\r\nafter=1\r\n";
    LoadAndSave(big);
    EXPECT_EQ(ini_.ReadString("A", "k", "").size(), 10u * 1024 * 1024);
    EXPECT_EQ(ini_.ReadInt("A", "after", 0), 1);
}

TEST_F(IniBadFile, HundredThousandSections) {
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "[S" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
    LoadAndSave(text);
    EXPECT_EQ(ini_.ReadInt("S99999", "k", -1), 99999);
    ini_.WriteInt("S50000", "k", 7);
    ini_.WriteInt("S100000", "k", 8);
    EXPECT_EQ(ini_.ReadInt("S50000", "k", -1), 7);
    EXPECT_EQ(ini_.Lines().SectionCount(), 100001u);
}

TEST_F(IniBadFile, BinaryGarbageRoundTripsUnchangedLineByLine) {
    std::mt19937 rng(7);
    std::string garbage(200000, '\0');
    for (char& c : garbage) c = static_cast<char>(rng() & 0xFF);
    WriteBytes(path_, garbage);
    ini_.SetPath(path_);
    ASSERT_TRUE(ini_.Load());
    EXPECT_EQ(ini_.ReadString("x", "y", "d"), "d");
    ASSERT_TRUE(ini_.Save());
    EXPECT_EQ(ReadBytes(path_), Normalised(garbage));
}

TEST_F(IniBadFile, TruncatedInsideAGbkCharacter) {
    LoadAndSave("[A]\r\nk=\xd6\xd0\xce");
    EXPECT_EQ(ReadBytes(path_), "[A]\r\nk=\xd6\xd0\xce\r\n");
}

TEST_F(IniBadFile, EmptyFileAndOnlyLineEnds) {
    LoadAndSave("");
    EXPECT_EQ(ini_.ReadString("A", "k", "d"), "d");
    LoadAndSave("\r\n\n\r");
    EXPECT_EQ(ini_.Lines().LineCount(), 3u);
}

TEST_F(IniBadFile, PipesFoldersAndHugeFilesAreNotRead) {
    std::vector<std::string> paths{dir_.Path().string()};
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(dir_.File("pipe").c_str(), 0600), 0);
    paths.push_back(dir_.File("pipe"));
#endif
    for (const std::string& path : paths) {
        CIniFile ini;
        ini.SetPath(path);
        EXPECT_FALSE(ini.Load()) << path;  // returns at once: no writer is waited for
    }
    // A sparse file just above the limit costs no disk space.
    path_ = dir_.File("huge");
    WriteBytes(path_, "[A]\r\nk=v\r\n");
    std::filesystem::resize_file(path_, files::FileOps::kMaxReadBytes + 1);
    CIniFile ini;
    ini.SetPath(path_);
    EXPECT_FALSE(ini.Load());
    EXPECT_EQ(ini.ReadString("A", "k", "d"), "d");
}

}  // namespace
}  // namespace velmor::ini
