#include "history/write_history.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "controller/crc16.h"
#include "controller/main_operation.h"
#include "files/utf8_path.h"
#include "history/history_log.h"
#include "usb/usb_link.h"

namespace velmor::history {

namespace {

// A NUL-terminated name from a fixed buffer, never reading past it.
template <std::size_t N>
std::string Bounded(const std::array<char, N>& buffer) {
    std::size_t n = 0;
    while (n < N && buffer[n] != '\0') ++n;
    return std::string(buffer.data(), n);
}

// The serial number's string descriptor payload (UTF-16LE) as text, up to its
// first NUL; characters beyond ASCII are not part of any serial number we know.
std::string SerialText(const std::array<std::uint8_t, 256>& utf16) {
    std::string text;
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
        const unsigned c = utf16[i] | (utf16[i + 1] << 8);
        if (c == 0) break;
        text += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return text;
}

}  // namespace

HistoryDevice DeviceOf(const controller::CMainOperation& op) {
    HistoryDevice device;
    const usb::CUsbLink* link = op.Device();
    if (link == nullptr) return device;
    device.index = link->DevNum;
    device.name = Bounded(link->DeviceName);
    if (device.name.empty()) device.name = Bounded(link->FriendlyName);
    device.path = link->DevPath;
    device.serial = SerialText(link->SerialNumber);
    return device;
}

std::optional<std::uint16_t> FileCrc(const std::string& path) {
    std::ifstream in(files::PathFromUtf8(path), std::ios::binary);
    if (!in) return std::nullopt;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    return controller::ComputeCrc16(bytes.data(), bytes.size());
}

HistoryEntry EntryFor(const controller::CMainOperation& op, const WriteRecord& what) {
    HistoryEntry entry;
    entry.time = UtcNow();
    entry.program = op.programName;
    entry.version = op.programVersion;
    entry.device = DeviceOf(op);
    entry.operation = what.operation;
    entry.document = what.document;
    entry.documentCrc = what.documentCrc;
    entry.imageCrc = what.imageCrc;
    entry.result = what.result;
    entry.rounds = what.rounds;
    return entry;
}

std::string NotRecordedText(const std::string& error) {
    return error + "; the write itself stands";
}

std::optional<std::string> RecordWrite(const controller::CMainOperation& op,
                                       const WriteRecord& what) {
    if (op.historyFile.empty()) return std::nullopt;
    std::string error;
    if (HistoryLog(op.historyFile).Append(EntryFor(op, what), error)) return std::nullopt;
    return NotRecordedText(error);
}

}  // namespace velmor::history
