#include "drivers/sim/sim_start_image.h"

#include <array>
#include <cstddef>

#include "drivers/sim/sim_flash.h"
#include "drivers/sim/sim_register_file.h"

namespace velmor::sim {

namespace {

constexpr std::uint8_t kWrite = 0x10;
constexpr std::uint8_t kAnd = 0x11;
constexpr std::uint8_t kOr = 0x12;
constexpr std::uint8_t kRead = 0x20;
constexpr std::uint8_t kWaitAll = 0x21;
constexpr std::uint8_t kWaitAny = 0x22;
constexpr std::uint8_t kMarker = 0x30;
constexpr std::uint8_t kEnd = 0x31;

// Reads until `met` holds for the register, at most kReplayWaitReads times.
template <typename Met>
bool Wait(SimRegisterFile& regs, std::uint16_t address, Met met) {
    for (int read = 0; read < kReplayWaitReads; ++read) {
        if (met(regs.Read(address))) return true;
    }
    return false;
}

}  // namespace

// The device checks its image itself: the simulator shares no code with the
// host tool, which computes the same CRC on its side.
std::uint16_t FirmwareCrc16(const std::uint8_t* bytes, std::size_t length) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                                 : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

StartImageReplay ReplayStartImage(const SimFlash& flash, SimRegisterFile& regs) {
    StartImageReplay replay;
    std::array<std::uint8_t, kStartImageSize> image{};
    flash.Read(kStartImageAddress, image);
    const auto stored = static_cast<std::uint16_t>((image[kStartImageCrcOffset] << 8) |
                                                   image[kStartImageCrcOffset + 1]);
    if (FirmwareCrc16(image.data(), kStartImageCrcOffset) != stored) return replay;
    replay.valid = true;

    for (int record = 0; record < kStartImageMaxRecords; ++record) {
        const std::uint8_t* r = image.data() + static_cast<std::size_t>(record) * 4;
        const std::uint8_t code = r[0];
        const auto address = static_cast<std::uint16_t>((r[1] << 8) | r[2]);
        const std::uint8_t data = r[3];
        bool ended = false;
        switch (code) {
            case kWrite:
                regs.SetRaw(address, data);
                break;
            case kAnd:
                regs.SetRaw(address, static_cast<std::uint8_t>(regs.Raw(address) & data));
                break;
            case kOr:
                regs.SetRaw(address, static_cast<std::uint8_t>(regs.Raw(address) | data));
                break;
            case kRead:
                regs.Read(address);
                break;
            case kWaitAll:
                if (!Wait(regs, address, [data](std::uint8_t v) { return (v & data) == data; }))
                    ++replay.waitsGivenUp;
                break;
            case kWaitAny:
                if (!Wait(regs, address, [data](std::uint8_t v) { return (v & data) != 0; }))
                    ++replay.waitsGivenUp;
                break;
            case kMarker:
                ++replay.markers;
                break;
            case kEnd:
                ended = true;
                break;
            default:
                return replay;  // unused space or an unknown code: nothing more to run
        }
        ++replay.records;
        if (ended) break;
    }
    return replay;
}

}  // namespace velmor::sim
