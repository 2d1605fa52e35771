#pragma once
// A configuration document read and built into the start-up image it gives, as the
// configuration page builds it for "DownFirm", ready to go to any controller.

#include <cstdint>
#include <optional>
#include <string>

#include "config/config_preparation.h"
#include "controller/open_document.h"

namespace velmor::cli {

class CtlOutput;

struct PreparedDocument {
    std::string path;
    controller::OpenDocument document;  // as prepared: the image's commands included
    config::PreparedDownload prepared;
    std::optional<std::uint16_t> fileCrc;  // of the file, for the history
};

// Reads and builds `path`. kExitOk, or the exit code of a failure already reported:
// no such file, a file that is no document or a damaged one, an image that cannot
// be built.
int PrepareDocument(CtlOutput& output, const std::string& path, PreparedDocument& prepared);

}  // namespace velmor::cli
