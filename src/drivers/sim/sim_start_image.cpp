#include "drivers/sim/sim_start_image.h"

#include <array>
#include <cstddef>

#include "drivers/sim/sim_flash.h"
#include "drivers/sim/sim_register_file.h"

namespace velmor::sim {

namespace {

using namespace record;

bool Known(std::uint8_t code) {
    switch (code) {
        case kWrite:
        case kAnd:
        case kOr:
        case kRead:
        case kWaitAll:
        case kWaitAny:
        case kMarker:
        case kEnd:
            return true;
        default:
            return false;
    }
}

// Reads until `met` holds for the register, at most kReplayWaitReads times; a
// watch lets time pass between reads.
template <typename Met>
bool Wait(SimRegisterFile& regs, std::uint16_t address, StartImageWatch* watch, Met met) {
    for (int read = 0; read < kReplayWaitReads; ++read) {
        if (met(regs.Read(address))) return true;
        if (watch != nullptr && !watch->LetTimePass()) return false;
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
    std::array<std::uint8_t, kStartImageSize> image{};
    flash.Read(kStartImageAddress, image);
    return ReplayStartImage(image, regs);
}

StartImageReplay ReplayStartImage(std::span<const std::uint8_t> image, SimRegisterFile& regs,
                                  StartImageWatch* watch) {
    StartImageReplay replay;
    if (image.size() < kStartImageSize) return replay;
    const auto stored = static_cast<std::uint16_t>((image[kStartImageCrcOffset] << 8) |
                                                   image[kStartImageCrcOffset + 1]);
    if (FirmwareCrc16(image.data(), kStartImageCrcOffset) != stored) return replay;
    replay.valid = true;

    const auto store = [&](std::uint16_t address, std::uint8_t value) {
        if (watch != nullptr)
            regs.Store(address, value);
        else
            regs.SetRaw(address, value);
    };
    for (int slot = 0; slot < kStartImageMaxRecords; ++slot) {
        const std::uint8_t* r = image.data() + static_cast<std::size_t>(slot) * 4;
        const StartImageRecord record{r[0], static_cast<std::uint16_t>((r[1] << 8) | r[2]), r[3]};
        const std::uint16_t address = record.address;
        const std::uint8_t data = record.data;
        if (!Known(record.code)) break;  // unused space or an unknown code: nothing more to run
        bool met = true;
        if (watch != nullptr) watch->Begin(slot, record);
        switch (record.code) {
            case kWrite:
                store(address, data);
                break;
            case kAnd:
                store(address, static_cast<std::uint8_t>(regs.Raw(address) & data));
                break;
            case kOr:
                store(address, static_cast<std::uint8_t>(regs.Raw(address) | data));
                break;
            case kRead:
                regs.Read(address);
                break;
            case kWaitAll:
                met = Wait(regs, address, watch,
                           [data](std::uint8_t v) { return (v & data) == data; });
                break;
            case kWaitAny:
                met =
                    Wait(regs, address, watch, [data](std::uint8_t v) { return (v & data) != 0; });
                break;
            case kMarker:
                ++replay.markers;
                break;
            default:
                break;
        }
        if (!met) ++replay.waitsGivenUp;
        ++replay.records;
        if (watch != nullptr) watch->Carried(slot, record, met);
        if (record.code == kEnd) break;
    }
    return replay;
}

}  // namespace velmor::sim
