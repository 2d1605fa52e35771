// The start-up image read back from flash: any block (short, blank, with a good or a
// bad CRC), its parse, the motion read-back for each board layout and the parameter
// bytes the configuration page takes from it.
//
// Properties: a block of 4096 bytes parses into 1024 slots, a shorter one into none;
// the state is Valid exactly when the CRC matches or is stored as 0; a good block's
// slots carry its addresses and data; the motion read-back makes no more motion steps
// than there are commands.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/fuzz_check.h"
#include "common/fuzz_input.h"
#include "config/config_encoding.h"
#include "config/start_image.h"
#include "controller/crc16.h"
#include "motion/motion_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    fuzz::FuzzInput in(data, size);
    const std::uint8_t mode = in.Byte();
    controller::MotorSettings current;
    current.Multiply = static_cast<std::int32_t>(in.U32());
    std::vector<std::uint8_t> block = in.Rest();
    if ((mode & 1) != 0) {
        // A whole image, its CRC made right unless asked otherwise: the slots get parsed
        // as a valid image would be.
        block.resize(config::kImageSize, (mode & 4) != 0 ? 0xFF : 0);
        if ((mode & 2) == 0) {
            const std::uint16_t crc =
                controller::ComputeCrc16(block.data(), config::kImageCrcOffset);
            block[config::kImageCrcOffset] = static_cast<std::uint8_t>(crc >> 8);
            block[config::kImageCrcOffset + 1] = static_cast<std::uint8_t>(crc);
        }
    }

    const config::ImageReadBack image = config::ParseStartImage(block);
    if (block.size() < config::kImageSize) {
        FUZZ_CHECK(image.state == config::ImageState::Truncated);
        return 0;
    }
    FUZZ_CHECK(image.commands.size() == static_cast<std::size_t>(config::kImageSlots));
    const std::uint16_t stored = static_cast<std::uint16_t>(block[config::kImageCrcOffset] << 8 |
                                                            block[config::kImageCrcOffset + 1]);
    const std::uint16_t computed = controller::ComputeCrc16(block.data(), config::kImageCrcOffset);
    const bool blank = std::all_of(block.begin(), block.begin() + config::kImageSize,
                                   [](std::uint8_t b) { return b == 0xFF; });
    if (blank) FUZZ_CHECK(image.state == config::ImageState::Blank);
    if (!blank) FUZZ_CHECK(image.Ok() == (stored == 0 || stored == computed));
    for (int slot = 0; slot < config::kImageSlots &&
                       static_cast<std::size_t>(slot) * 4 + 3 < config::kImageCrcOffset;
         ++slot) {
        const auto& command = image.commands[static_cast<std::size_t>(slot)];
        const std::size_t at = static_cast<std::size_t>(slot) * 4;
        FUZZ_CHECK(command.Addr == (block[at + 1] << 8 | block[at + 2]));
        FUZZ_CHECK(command.Data == block[at + 3]);
    }

    for (std::uint8_t boardType : {0, 1, 2}) {
        const motion::MotionReadBack back =
            motion::ReadMotionBack(image.commands, boardType, current);
        FUZZ_CHECK(back.motionList.size() + back.testMotionList.size() <= image.commands.size());
        config::TakeFromReadBack(image.commands, controller::LayoutOf(boardType), {});
        config::TakeFromList(image.commands, controller::LayoutOf(boardType), {});
    }
    return 0;
}
