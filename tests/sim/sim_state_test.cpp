// The state file: registers and flash survive from one driver to the next, and
// a damaged file is refused without harm.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_state_file.h"
#include "sim_port.h"
#include "support/temp_dir.h"

namespace velmor::sim {
namespace {

using testing::PutWrite;
using testing::SimPort;

void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

SimDeviceOptions WithState(const std::string& path) {
    SimDeviceOptions options;
    options.stateFile = path;
    return options;
}

// A flash write through the window, as a tool would do it over the wire.
void WriteFlashOverWire(SimPort& port, std::uint32_t address,
                        const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> words;
    for (std::size_t i = 0; i < data.size(); ++i)
        PutWrite(words, static_cast<std::uint16_t>(0x5000 + i), data[i]);
    PutWrite(words, 0x40E3, static_cast<std::uint8_t>(address));
    PutWrite(words, 0x40E4, static_cast<std::uint8_t>(address >> 8));
    PutWrite(words, 0x40E5, static_cast<std::uint8_t>(address >> 16));
    PutWrite(words, 0x40E1, static_cast<std::uint8_t>(data.size() - 1));
    PutWrite(words, 0x40E2, static_cast<std::uint8_t>((data.size() - 1) >> 8));
    PutWrite(words, 0x40E0, 0x11);
    ASSERT_TRUE(port.Send(words));
}

TEST(SimState, SecondDriverSeesTheFirstOnesWrites) {
    velmor::testing::TempDir dir;
    const std::string path = dir.File("controller.state");
    const std::vector<std::uint8_t> image = {0x10, 0x40, 0x71, 0x05, 0x31, 0x00, 0x00, 0x00};
    {
        auto driver = SimDriver::WithOneDevice(WithState(path));
        SimPort port(*driver);
        std::vector<std::uint8_t> words;
        PutWrite(words, 0x4071, 0x0C);
        PutWrite(words, 0x420B, 0xC0);
        ASSERT_TRUE(port.Send(words));
        WriteFlashOverWire(port, 0x1B0000, image);
    }  // destruction flushes
    ASSERT_TRUE(std::filesystem::exists(path));
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "controller.state");  // no temporary left behind

    auto driver = SimDriver::WithOneDevice(WithState(path));
    SimController& ctl = driver->Device(0).Controller();
    EXPECT_EQ(ctl.Reg(0x4071), 0x0C);
    EXPECT_EQ(ctl.Reg(0x420B), 0xC0);
    EXPECT_EQ(ctl.ReadFlash(0x1B0000, image.size()), image);
    EXPECT_EQ(ctl.ReadFlash(0x1B0000 + image.size(), 1).at(0), 0xFF);
    EXPECT_EQ(ctl.Reg(0x40FC), 'M');  // identities survive too
}

TEST(SimState, FlushSavesWhileTheDriverLives) {
    velmor::testing::TempDir dir;
    const std::string path = dir.File("s");
    auto driver = SimDriver::WithOneDevice(WithState(path));
    driver->Device(0).Controller().SetReg(0x4123, 0x45);
    ASSERT_TRUE(driver->Device(0).FlushState());
    const auto state = SimStateFile::Load(path);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->registers[0x4123], 0x45);
}

TEST(SimState, IsReadWhenTheDeviceIsFirstUsedNotWhenAdded) {
    velmor::testing::TempDir dir;
    const std::string path = dir.File("s");
    auto driver = SimDriver::WithOneDevice(WithState(path));
    SimState written;
    written.registers[0x4123] = 0x45;
    ASSERT_TRUE(SimStateFile::Save(path, written));
    EXPECT_EQ(driver->Device(0).Controller().Reg(0x4123), 0x45);
}

TEST(SimState, EncodeDecodeRoundTripWithSparsePages) {
    SimState state;
    state.registers[0x4000] = 1;
    state.registers[0xFFFF] = 2;
    state.flashPages[0x1B0].fill(0x33);
    state.flashPages[SimFlash::kPageCount - 1].fill(0x44);
    const auto bytes = SimStateFile::Encode(state);
    EXPECT_EQ(bytes.size(),
              SimStateFile::kHeaderSize + 65536 + 2 * SimStateFile::kPageRecordSize + 4);
    const auto back = SimStateFile::Decode(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->registers, state.registers);
    EXPECT_EQ(back->flashPages, state.flashPages);
}

struct Damage {
    const char* name;
    void (*apply)(std::vector<std::uint8_t>&);
};

class SimDamagedState : public ::testing::TestWithParam<Damage> {};

TEST_P(SimDamagedState, IsRefusedAndTheDeviceStartsFromDefaults) {
    SimState state;
    state.registers[0x4050] = 0x99;
    state.flashPages[0].fill(0x12);
    std::vector<std::uint8_t> bytes = SimStateFile::Encode(state);
    GetParam().apply(bytes);
    EXPECT_FALSE(SimStateFile::Decode(bytes).has_value());

    velmor::testing::TempDir dir;
    const std::string path = dir.File("bad.state");
    WriteAll(path, bytes);
    {
        auto driver = SimDriver::WithOneDevice(WithState(path));
        SimController& ctl = driver->Device(0).Controller();
        EXPECT_EQ(ctl.Reg(0x4050), 0);
        EXPECT_EQ(ctl.ReadFlash(0, 4), std::vector<std::uint8_t>(4, 0xFF));
        EXPECT_EQ(ctl.Reg(0x40FC), 'M');
        // The device still works and saves a good file over the bad one.
        ctl.SetReg(0x4051, 0x17);
    }
    const auto saved = SimStateFile::Load(path);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->registers[0x4051], 0x17);
}

void SetLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    usb::PutLe32(b.data() + at, v);
}

INSTANTIATE_TEST_SUITE_P(
    Damages, SimDamagedState,
    ::
        testing::
            Values(
                Damage{"Empty", [](std::vector<std::uint8_t>& b) { b.clear(); }},
                Damage{"HeaderOnly", [](std::vector<std::uint8_t>& b) { b.resize(24); }},
                Damage{"Truncated", [](std::vector<std::uint8_t>& b) { b.resize(b.size() - 1); }},
                Damage{"Extended", [](std::vector<std::uint8_t>& b) { b.push_back(0); }},
                Damage{"BadMagic", [](std::vector<std::uint8_t>& b) { b[0] = 'X'; }},
                Damage{"OtherVersion", [](std::vector<std::uint8_t>& b) { SetLe32(b, 8, 3); }},
                Damage{"OlderVersion", [](std::vector<std::uint8_t>& b) { SetLe32(b, 8, 1); }},
                Damage{"FlippedLastHashedByte",
                       [](std::vector<std::uint8_t>& b) { b[b.size() - 5] ^= 0x80; }},
                Damage{"FlippedRegisterBit",
                       [](std::vector<std::uint8_t>& b) { b[24 + 0x4050] ^= 0x01; }},
                Damage{"HugePageCount",
                       [](std::vector<std::uint8_t>& b) { SetLe32(b, 20, 0xFFFFFFFFu); }},
                Damage{"PageCountOneMore", [](std::vector<std::uint8_t>& b) { SetLe32(b, 20, 2); }},
                Damage{"OtherPageSize", [](std::vector<std::uint8_t>& b) { SetLe32(b, 16, 512); }},
                Damage{
                    "Garbage",
                    [](std::vector<std::uint8_t>& b) {
                        for (std::size_t i = 0; i < b.size(); ++i)
                            b[i] = static_cast<std::uint8_t>(i * 31 + 7);
                    }}),
    [](const ::testing::TestParamInfo<Damage>& info) { return info.param.name; });

TEST(SimState, PageNumberOutOfRangeOrTwiceIsRefused) {
    SimState state;
    state.flashPages[1].fill(1);
    state.flashPages[2].fill(2);
    auto bytes = SimStateFile::Encode(state);
    const std::size_t firstRecord = SimStateFile::kHeaderSize + 65536;
    const std::size_t secondRecord = firstRecord + SimStateFile::kPageRecordSize;
    // Rewritten as a file of the previous version, with its bytewise FNV-1a.
    auto rehash = [](std::vector<std::uint8_t>& b) {
        usb::PutLe32(b.data() + 8, 1);
        std::uint32_t hash = 2166136261u;
        for (std::size_t i = 0; i + 4 < b.size(); ++i) {
            hash ^= b[i];
            hash *= 16777619u;
        }
        usb::PutLe32(b.data() + b.size() - 4, hash);
    };
    auto twice = bytes;
    usb::PutLe32(twice.data() + secondRecord, 1);
    rehash(twice);
    EXPECT_FALSE(SimStateFile::Decode(twice).has_value());
    auto outOfRange = bytes;
    usb::PutLe32(outOfRange.data() + firstRecord, SimFlash::kPageCount);
    rehash(outOfRange);
    EXPECT_FALSE(SimStateFile::Decode(outOfRange).has_value());
    rehash(bytes);  // the untouched state as a version 1 file still loads, whole
    const auto old = SimStateFile::Decode(bytes);
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->flashPages, state.flashPages);
}

TEST(SimState, MissingFolderFailsTheSaveWithoutHarm) {
    velmor::testing::TempDir dir;
    const std::string path = dir.File("no/such/folder/state");
    auto driver = SimDriver::WithOneDevice(WithState(path));
    driver->Device(0).Controller().SetReg(0x4000, 1);
    EXPECT_FALSE(driver->Device(0).FlushState());
    EXPECT_EQ(driver->Device(0).Controller().Reg(0x4000), 1);
}

}  // namespace
}  // namespace velmor::sim
