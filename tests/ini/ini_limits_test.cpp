// Files beyond the size limits are refused, and say so; files within them load whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ini/ini_file.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace velmor::ini {
namespace {

using velmor::testing::ReadBytes;
using velmor::testing::TempDir;
using velmor::testing::WriteBytes;

TEST(IniLimits, FilesAndTextsBeyondTheLimitsAreRefusedAsTooLarge) {
    TempDir dir;
    // Each byte that is no GBK text becomes a three-byte character in memory.
    const std::size_t rawLimit = CIniFile::kMaxTextBytes / 3;
    struct Case {
        const char* name;
        std::string bytes;
        std::size_t sparseSize;  // 0: the bytes as they are
        bool loads;
    };
    const Case cases[] = {
        {"text.ini", "[A]\r\nk=" + std::string(rawLimit - 8, '\xff') + "\r\n", 0, true},
        {"binary.ini", "[A]\r\nk=" + std::string(rawLimit, '\xff') + "\r\n", 0, false},
        {"huge.ini", "[A]\r\nk=v\r\n", static_cast<std::size_t>(files::FileOps::kMaxReadBytes) + 1,
         false},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File(c.name);
        WriteBytes(path, c.bytes);
        if (c.sparseSize) std::filesystem::resize_file(path, c.sparseSize);
        CIniFile ini;
        ini.SetPath(path);
        ini.Lines().Assign("[Kept]\r\nk=1\r\n");
        EXPECT_EQ(ini.Load(), c.loads) << c.name;
        EXPECT_EQ(ini.TooLarge(), !c.loads) << c.name;
        if (c.loads) {
            ASSERT_TRUE(ini.Save());
            EXPECT_EQ(ReadBytes(path), c.bytes) << c.name;  // every raw byte written back
        } else {
            EXPECT_EQ(ini.ReadString("A", "k", "d"), "d") << c.name;
            EXPECT_EQ(ini.Lines().Join(), "[Kept]\r\nk=1\r\n") << c.name;
        }
    }
    CIniFile missing;
    missing.SetPath(dir.File("missing.ini"));
    EXPECT_FALSE(missing.Load());
    EXPECT_FALSE(missing.TooLarge());
}

}  // namespace
}  // namespace velmor::ini
