#pragma once
// The start-up image a document makes, as the configuration download builds it.
// Building it belongs to the configuration subsystem, which the movement pages
// cannot reach: the shell hands them its builder (config::DocumentImageOf).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controller/cmd_info.h"
#include "controller/language.h"
#include "controller/open_document.h"

namespace velmor::motion {

struct DocumentImage {
    std::vector<std::uint8_t> image;             // 4096 bytes; empty when refused
    std::vector<controller::CMD_INFO> commands;  // the commands its records hold, in order
    std::string refusal;                         // why it was refused, in the language asked for
};

using DocumentImageMaker =
    std::function<DocumentImage(const controller::OpenDocument&, controller::Language)>;

}  // namespace velmor::motion
