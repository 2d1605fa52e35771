#pragma once
// One write to a controller as the history keeps it: when (UTC), by which program,
// to which device, what was written from which document, and how it ended. One
// JSON object a line in the history file.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace velmor::history {

struct HistoryDevice {
    int index = 0;
    std::string name;
    std::string path;    // the USB path the backend opened (bus and port where it has them)
    std::string serial;  // empty where the device has none
};

struct HistoryEntry {
    std::string time;  // "2026-12-10T15:40:02Z"
    std::string program;
    std::string version;
    HistoryDevice device;
    std::string operation;  // "download", "flash write", "panel download", "init skip"
    std::string document;   // the document's path; empty when none was used
    std::optional<std::uint16_t> documentCrc;  // CRC-16 of the document's bytes
    std::optional<std::uint16_t> imageCrc;     // of the start-up image written
    std::string result;  // "verified", "mismatch after 5 retries", "transfer failed", ...
    int rounds = 0;
};

nlohmann::json EntryJson(const HistoryEntry& entry);
// The entry of a history line; nothing for a line that is not one.
std::optional<HistoryEntry> EntryFromJson(const nlohmann::json& line);

// The time now in UTC as the history writes it.
std::string UtcNow();

}  // namespace velmor::history
