#pragma once
// Records a write to the controller a controller object is connected to: the time,
// the program (from the controller object's state), the device as its link knows
// it, and what was written and how it ended. Nothing is recorded while the
// controller object names no history file.

#include <cstdint>
#include <optional>
#include <string>

#include "history/history_entry.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::history {

struct WriteRecord {
    std::string operation;
    std::string document;  // its path; empty when none
    std::optional<std::uint16_t> documentCrc;
    std::optional<std::uint16_t> imageCrc;
    std::string result;
    int rounds = 0;
};

// The device `op` is connected to, as a history line names it.
HistoryDevice DeviceOf(const controller::CMainOperation& op);
// The CRC-16 of a file's bytes; nothing when it cannot be read.
std::optional<std::uint16_t> FileCrc(const std::string& path);

// The history line for a write to the device `op` is connected to: the time now, the
// program and the device from `op`.
HistoryEntry EntryFor(const controller::CMainOperation& op, const WriteRecord& what);

// The text for a person when writing to the history failed with `error`.
std::string NotRecordedText(const std::string& error);

// An error text for a person when the write could not be recorded; nothing when it
// was (or when there is no history to record it in).
std::optional<std::string> RecordWrite(const controller::CMainOperation& op,
                                       const WriteRecord& what);

}  // namespace velmor::history
