#include "history/history_entry.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace velmor::history {

nlohmann::json EntryJson(const HistoryEntry& entry) {
    nlohmann::json line = {
        {"time", entry.time},
        {"program", entry.program},
        {"version", entry.version},
        {"device",
         {{"index", entry.device.index}, {"name", entry.device.name}, {"path", entry.device.path}}},
        {"operation", entry.operation},
        {"result", entry.result},
        {"rounds", entry.rounds}};
    if (!entry.device.serial.empty()) line["device"]["serial"] = entry.device.serial;
    if (!entry.document.empty()) line["document"] = entry.document;
    if (entry.documentCrc) line["document_crc"] = *entry.documentCrc;
    if (entry.imageCrc) line["image_crc"] = *entry.imageCrc;
    return line;
}

std::optional<HistoryEntry> EntryFromJson(const nlohmann::json& line) {
    try {
        if (!line.is_object()) return std::nullopt;
        HistoryEntry entry;
        entry.time = line.at("time").get<std::string>();
        entry.program = line.at("program").get<std::string>();
        entry.version = line.at("version").get<std::string>();
        const nlohmann::json& device = line.at("device");
        entry.device.index = device.at("index").get<int>();
        entry.device.name = device.at("name").get<std::string>();
        entry.device.path = device.at("path").get<std::string>();
        entry.device.serial = device.value("serial", std::string());
        entry.operation = line.at("operation").get<std::string>();
        entry.result = line.at("result").get<std::string>();
        entry.rounds = line.at("rounds").get<int>();
        entry.document = line.value("document", std::string());
        if (line.contains("document_crc"))
            entry.documentCrc = line.at("document_crc").get<std::uint16_t>();
        if (line.contains("image_crc")) entry.imageCrc = line.at("image_crc").get<std::uint16_t>();
        return entry;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

std::string UtcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace velmor::history
