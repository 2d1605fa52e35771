#pragma once
// Two start-up images compared record by record, as "读取参数" shows a record: the
// image a document builds against an image found in the flash or in a file.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/start_image.h"
#include "controller/cmd_info.h"

namespace velmor::config {

struct RecordDifference {
    int slot = 0;
    // The expected record as the document has it: keyword, register name (empty
    // where the document knows none), address and data; the found record's
    // keyword, address and data beside it.
    std::string keyword;
    std::string registerName;
    std::uint16_t address = 0;
    std::uint8_t expected = 0;
    std::string foundKeyword;
    std::uint16_t foundAddress = 0;
    std::uint8_t found = 0;
};

struct ImageComparison {
    bool equal = false;       // byte for byte, the CRC included
    bool foundCrcOk = false;  // the found image's CRC matches its records
    std::vector<RecordDifference> records;
};

// `expectedCommands`: the commands of the expected image's records in slot order
// (ImageBuild::commands), for their names; shorter is fine.
ImageComparison CompareImages(const StartImage& expected,
                              const std::vector<controller::CMD_INFO>& expectedCommands,
                              const StartImage& found);

// The keyword a record's code stands for; "0x.." for a code that stands for none,
// and "" for an empty slot (code 0).
std::string RecordKeyword(std::uint8_t code);

}  // namespace velmor::config
