#pragma once
// The controller's start-up image: 4096 bytes at flash address 0x1B0000, records
// of 4 bytes [code, address high, address low, data] from offset 0 without gaps,
// the rest zero, and a CRC-16/MODBUS over bytes 0x000..0xFF9 stored high byte
// first at 0xFFA. Building and parsing are pure; the transfer is elsewhere.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "controller/cmd_info.h"
#include "controller/language.h"

namespace velmor::config {

inline constexpr std::uint32_t kImageFlashAddress = 0x1B0000;
inline constexpr std::size_t kImageSize = 4096;
inline constexpr std::size_t kImageRecordSize = 4;
inline constexpr std::size_t kImageCrcOffset = 0xFFA;
inline constexpr int kImageMaxRecords = 1022;  // records that fit before the CRC
inline constexpr int kImageSlots = 1024;       // four-byte slots a read-back parses
inline constexpr int kImageDumpWidth = 6;      // address digits of the flash dump

using StartImage = std::array<std::uint8_t, kImageSize>;

enum class ImageBuildError {
    None,
    TooManyRecords,  // the download order needs more than 1022 records
    UnknownKeyword,  // a command's keyword has no image code
};

struct ImageBuild {
    StartImage image{};
    int records = 0;  // records written (or needed, for TooManyRecords)
    std::uint16_t crc = 0;
    ImageBuildError error = ImageBuildError::None;
    controller::CMD_INFO badCommand;  // the command without a code
    // The commands the records hold, slot by slot (their names say what each is).
    std::vector<controller::CMD_INFO> commands;

    bool Ok() const { return error == ImageBuildError::None; }
};

// The image of `cmdList`, group by group in the order of `cmdNames` (the download
// order list), each group's commands in list order. A group named twice goes in
// twice. An image that cannot be built honestly is refused, not cut: more than
// 1022 records, or a command whose keyword has no code (it would be written as a
// record the firmware misreads).
ImageBuild BuildStartImage(const std::vector<controller::CMD_INFO>& cmdList,
                           const std::vector<std::string>& cmdNames);

// Why an image was refused, naming the count or the set and command; empty for a
// good build. Nothing has been written to the controller when this is shown.
std::string ImageBuildMessage(const ImageBuild& build, controller::Language language);

// CRC-16/MODBUS over bytes 0x000..0xFF9 of an image, and the stored value at
// 0xFFA (high byte first). `block` must hold at least kImageSize bytes.
std::uint16_t ComputeImageCrc(std::span<const std::uint8_t> block);
std::uint16_t StoredImageCrc(std::span<const std::uint8_t> block);

enum class ImageState {
    Valid,      // the CRC matches, or the stored CRC is 0 (accepted without a check)
    Blank,      // every byte is 0xFF: erased flash, no image
    BadCrc,     // neither a valid image nor blank
    Truncated,  // fewer than 4096 bytes
};

struct ImageReadBack {
    ImageState state = ImageState::Truncated;
    std::uint16_t storedCrc = 0;
    std::uint16_t computedCrc = 0;
    // All 1024 slots, parsed whatever the state (tools show them); the read-back
    // list of the controller object takes them only from a valid image.
    std::vector<controller::CMD_INFO> commands;

    bool Ok() const { return state == ImageState::Valid; }
};

// Parses a flash block. Each slot's code selects its keyword (an unknown code
// keeps the previous slot's keyword, empty at first); code 0x31 also names this
// and every later slot group "InitEnd", register "end[7:0]".
ImageReadBack ParseStartImage(std::span<const std::uint8_t> block);

// The read-back's failure detail ("Read Failed!" comes first); empty when valid.
std::string ImageStateMessage(ImageState state, controller::Language language);

// Appends the download's dump: the records of `image` from 0x1B0000 with
// six-digit addresses, then a line break.
void AppendImageDump(std::string& log, const StartImage& image, int records);

// Appends the page's Refresh dump: 128 zero bytes at address 0, four digits.
void AppendRefreshDump(std::string& log);

}  // namespace velmor::config
