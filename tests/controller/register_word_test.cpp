// Register words and the answer walk, without any I/O.

#include "controller/register_word.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "controller/main_operation.h"
#include "files/process_environment.h"
#include "support/scoped_environment.h"

namespace velmor::controller {
namespace {

std::vector<std::uint8_t> Answer(std::uint32_t start, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint32_t a = start + static_cast<std::uint32_t>(i);
        bytes.insert(bytes.end(), {data[i], static_cast<std::uint8_t>(a),
                                   static_cast<std::uint8_t>(a >> 8), kReadTag});
    }
    return bytes;
}

TEST(RegisterWord, WriteWordAndReadCommandLayout) {
    std::array<std::uint8_t, 4> word{};
    EncodeWriteWord(word.data(), 0x4108, 0x80);
    EXPECT_EQ(word, (std::array<std::uint8_t, 4>{0x80, 0x08, 0x41, 0x80}));
    EncodeWriteWord(word.data(), 0x10000, 0x11);  // wraps to 0x0000
    EXPECT_EQ(word, (std::array<std::uint8_t, 4>{0x11, 0x00, 0x00, 0x80}));
    EXPECT_EQ(EncodeReadCommand(0x40F0, 16), (std::array<std::uint8_t, 4>{15, 0xF0, 0x40, 0x81}));
    EXPECT_EQ(EncodeReadCommand(0x4000, 256), (std::array<std::uint8_t, 4>{255, 0x00, 0x40, 0x81}));
}

TEST(WalkReadAnswer, NeverStoresPastCount) {
    std::array<std::uint8_t, 3> out{};
    out[2] = 0xEE;
    const auto answer = Answer(0x4000, {1, 2, 3, 4});  // one word more than asked
    const AnswerWalk walk = WalkReadAnswer(answer.data(), 16, 0x4000, 0, out.data(), 2);
    EXPECT_FALSE(walk.good);
    EXPECT_EQ(walk.stored, 2);
    EXPECT_EQ(out[2], 0xEE);
}

TEST(ProgramFolder, EnvironmentOverridesExecutableFolder) {
    {
        const testing::ScopedEnvironment home("VELMOR_HOME", std::nullopt);
        const std::string exeFolder = CMainOperation::DefaultProgramFolder();
        ASSERT_FALSE(exeFolder.empty());
        EXPECT_EQ(exeFolder.back(), '/');
        EXPECT_EQ(std::filesystem::path(exeFolder + "x").parent_path(),
                  std::filesystem::path(files::ExecutableFile()).parent_path());
    }
    {
        const testing::ScopedEnvironment home("VELMOR_HOME", "/opt/velmor");
        CMainOperation op;
        EXPECT_EQ(op.programFolder, "/opt/velmor/");
        EXPECT_EQ(op.programFolder2, "/opt/velmor/");
    }
    const testing::ScopedEnvironment home("VELMOR_HOME", "/srv/velmor/");
    EXPECT_EQ(CMainOperation::DefaultProgramFolder(), "/srv/velmor/");
}

TEST(MainOperation, InitialStateAndOneProcessInstance) {
    CMainOperation* first = CMainOperation::GetInstance();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, CMainOperation::GetInstance());
    CMainOperation own;  // tests and tools may build their own beside it
    EXPECT_NE(&own, first);
    EXPECT_EQ(own.BoardType(), 1);
    EXPECT_EQ(own.language, controller::Language::kChinese);
    EXPECT_EQ(own.xResolution, 720);
    EXPECT_EQ(own.Device(), nullptr);
}

TEST(MainOperation, WithoutDeviceEveryTransferFails) {
    CMainOperation op;
    std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::int32_t length = 4;
    EXPECT_FALSE(op.BulkExchange(bytes, length, 0));
    EXPECT_EQ(length, 4);  // unchanged
    EXPECT_FALSE(op.WriteRegs(0x4000, bytes, 2));
    EXPECT_FALSE(op.ReadRegs(0x4000, bytes, 2));
    EXPECT_FALSE(op.ReadRegsRetry(0x4000, bytes, 2));
    EXPECT_FALSE(op.WriteReg32(0x4000, 0x12345678));
    EXPECT_FALSE(op.VendorTransfer(0xE0, 1, 0, 0, bytes, 8));
    EXPECT_FALSE(op.VendorReadChecked(4, 0xED, bytes, 0, 8));
    EXPECT_THROW(op.VendorWriteChecked(bytes, 6, false), std::runtime_error);
    op.connected = 1;
    std::uint8_t id[16];
    std::fill(std::begin(id), std::end(id), 0xEE);
    op.ReadFirmwareId(id);
    for (std::uint8_t b : id) EXPECT_EQ(b, 0);
}

}  // namespace
}  // namespace velmor::controller
