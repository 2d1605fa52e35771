#pragma once
// A recording read back: its header, the enumerations and opens in order, and the
// I/O control requests with their answers, each under the device path it went to.
// Reading checks every line; a file that is no recording, or a damaged line, is
// refused with the line and what is wrong with it.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "drivers/replay/traffic_format.h"

namespace velmor::replay {

struct RecordedAnswer {
    bool ok = true;
    std::uint32_t bytes = 0;
    std::uint32_t error = 0;
    std::optional<std::vector<std::uint8_t>> block;
    std::optional<std::vector<std::uint8_t>> out;
};

struct RecordedRequest {
    std::uint64_t id = 0;
    std::string path;
    std::uint32_t code = 0;
    std::vector<std::uint8_t> request;  // the input buffer as sent
    std::vector<std::uint8_t> key;      // RequestKey
    bool overlapped = false;
    std::uint32_t result = 0;
    std::optional<RecordedAnswer> answer;  // none: it never completed in the recording
    double issuedMs = 0;
    double completedMs = 0;
};

struct RecordedOpen {
    std::string path;
    std::uint32_t error = 0;  // 0: it opened
};

struct TrafficRecording {
    RecordingHeader header;
    std::vector<std::vector<std::string>> enumerations;
    std::vector<RecordedOpen> opens;
    std::vector<RecordedRequest> requests;
};

// The recording in `text`; nothing with `error` set ("line 12: ...") when it is none.
std::optional<TrafficRecording> ParseRecording(const std::string& text, std::string& error);
// The same for a file; a file that cannot be read is an error too.
std::optional<TrafficRecording> ReadRecording(const std::string& path, std::string& error);

}  // namespace velmor::replay
