#include "files/text_file_writer.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <vector>

#include "files/utf8_path.h"
#include "ini/ini_file.h"
#include "support/faulty_file_ops.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace velmor::ini {
namespace {

using files::TextFileWriter;
using velmor::testing::FaultyFileOps;
using velmor::testing::ReadBytes;
using velmor::testing::TempDir;
using velmor::testing::WriteBytes;

std::size_t FilesIn(const std::filesystem::path& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

TEST(TextFileWriter, ReplacesTheFileWithExactlyTheNewBytes) {
    TempDir dir;
    const std::string path = dir.File("doc");
    WriteBytes(path, "old content that is longer");
    FaultyFileOps ops;
    ASSERT_TRUE(TextFileWriter(ops).Replace(path, std::string("new\r\n\0x", 7)));
    EXPECT_EQ(ReadBytes(path), std::string("new\r\n\0x", 7));
    EXPECT_EQ(ops.renames, 1);
    EXPECT_EQ(FilesIn(dir.Path()), 1u);  // no temporary file left
    ASSERT_EQ(ops.created.size(), 1u);
    EXPECT_EQ(std::filesystem::path(ops.created[0]).parent_path(), dir.Path());
}

// Names are UTF-8 inside the program: a Chinese folder and file name reach the disk
// as those characters (on Windows as UTF-16, not as code-page bytes).
TEST(TextFileWriter, ChineseFolderAndFileNamesAreWrittenReplacedAndRead) {
    TempDir dir;
    const std::string folder = dir.File("打印机配置");
    ASSERT_TRUE(std::filesystem::create_directory(files::PathFromUtf8(folder)));
    const std::string path = folder + "/默认.cfg";
    TextFileWriter writer;
    ASSERT_TRUE(writer.Replace(path, "first"));
    ASSERT_TRUE(writer.Replace(path, "second"));
    std::string bytes;
    ASSERT_TRUE(files::DefaultFileOps().ReadAll(path, bytes));
    EXPECT_EQ(bytes, "second");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(files::PathFromUtf8(folder)))
        names.push_back(files::Utf8FromPath(entry.path().filename()));
    EXPECT_EQ(names, std::vector<std::string>{"默认.cfg"});
}

TEST(TextFileWriter, KeepsThePermissionsOfTheReplacedFile) {
#ifdef _WIN32
    GTEST_SKIP() << "a new Windows file takes its folder's permissions";
#endif
    TempDir dir;
    const std::string path = dir.File("doc");
    WriteBytes(path, "x");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(TextFileWriter().Replace(path, "y"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(TextFileWriter, WritingThroughASymlinkReplacesItsTarget) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    TempDir dir;
    WriteBytes(dir.File("real"), "old");
    std::filesystem::create_symlink(dir.File("real"), dir.File("link"));
    ASSERT_TRUE(TextFileWriter().Replace(dir.File("link"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link")));
    EXPECT_EQ(ReadBytes(dir.File("real")), "new");
}

TEST(TextFileWriter, ReplacesAFileWhoseNameHasTheLongestLengthAllowed) {
    TempDir dir;
    const std::string path = dir.File(std::string(255, 'n'));
    WriteBytes(path, "old");
    ASSERT_EQ(ReadBytes(path), "old");
    ASSERT_TRUE(TextFileWriter().Replace(path, "new"));
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);
}

struct Fault {
    const char* name;
    void (*arm)(FaultyFileOps&);
};

void PrintTo(const Fault& fault, std::ostream* os) { *os << fault.name; }

class TextFileWriterFault : public ::testing::TestWithParam<Fault> {};

TEST_P(TextFileWriterFault, FailedSaveLeavesThePreviousFileByteIdentical) {
    TempDir dir;
    const std::string path = dir.File("Default");
    const std::string previous = "[A]\r\nkeep=\xd6\xd0\r\n";
    WriteBytes(path, previous);
    FaultyFileOps ops;
    GetParam().arm(ops);

    CIniFile ini(ops);
    ini.SetPath(path);
    ASSERT_TRUE(ini.Load());
    ini.WriteString("A", "new", std::string(100000, 'x'));
    EXPECT_FALSE(ini.Save());

    EXPECT_EQ(ReadBytes(path), previous);
    EXPECT_EQ(FilesIn(dir.Path()), 1u) << "temporary file left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TextFileWriterFault,
    ::testing::Values(Fault{"DiskFullAtOnce", [](FaultyFileOps& o) { o.diskRoom = 0; }},
                      Fault{"DiskFullMidway", [](FaultyFileOps& o) { o.diskRoom = 4096; }},
                      Fault{"SyncFails", [](FaultyFileOps& o) { o.failSync = true; }},
                      Fault{"CloseFails", [](FaultyFileOps& o) { o.failClose = true; }},
                      Fault{"RenameFails", [](FaultyFileOps& o) { o.failRename = true; }},
                      Fault{"CreateFails", [](FaultyFileOps& o) { o.failCreate = true; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextFileWriter, EmptyPathAndMissingFolderFail) {
    TempDir dir;
    EXPECT_FALSE(TextFileWriter().Replace("", "x"));
    EXPECT_FALSE(TextFileWriter().Replace(dir.File("missing/doc"), "x"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing"));
}

}  // namespace
}  // namespace velmor::ini
