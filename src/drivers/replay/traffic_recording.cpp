#include "drivers/replay/traffic_recording.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "drivers/replay/traffic_bytes.h"
#include "files/utf8_path.h"

namespace velmor::replay {

namespace {

// A recording larger than this is no recording of ours (ten minutes of polling
// take some tens of megabytes).
constexpr std::uintmax_t kMaxRecordingBytes = 512ull << 20;

using nlohmann::json;

struct LineError {
    std::string what;
};

const json& Field(const json& line, const char* name) {
    const auto it = line.find(name);
    if (it == line.end()) throw LineError{std::string("no \"") + name + "\""};
    return *it;
}

template <typename T>
T Number(const json& line, const char* name) {
    const json& value = Field(line, name);
    if (!value.is_number_integer()) throw LineError{std::string("\"") + name + "\" is no number"};
    if constexpr (std::is_unsigned_v<T>) {
        if (value.is_number_unsigned()) {
            const std::uint64_t v = value.get<std::uint64_t>();
            if (v <= std::numeric_limits<T>::max()) return static_cast<T>(v);
        }
    } else {
        return value.get<T>();
    }
    throw LineError{std::string("\"") + name + "\" is out of range"};
}

double Time(const json& line) {
    const auto it = line.find("t");
    return it != line.end() && it->is_number() ? it->get<double>() : 0.0;
}

std::vector<std::uint8_t> Bytes(const json& line, const char* name) {
    std::optional<std::vector<std::uint8_t>> bytes = BytesFromJson(Field(line, name));
    if (!bytes) throw LineError{std::string("\"") + name + "\" holds no bytes"};
    return std::move(*bytes);
}

std::optional<std::vector<std::uint8_t>> OptionalBytes(const json& line, const char* name) {
    if (!line.contains(name)) return std::nullopt;
    return Bytes(line, name);
}

std::string Text(const json& line, const char* name) {
    const json& value = Field(line, name);
    if (!value.is_string()) throw LineError{std::string("\"") + name + "\" is no text"};
    return value.get<std::string>();
}

std::vector<std::string> Texts(const json& line, const char* name) {
    const json& value = Field(line, name);
    if (!value.is_array()) throw LineError{std::string("\"") + name + "\" is no list"};
    std::vector<std::string> texts;
    for (const json& item : value) {
        if (!item.is_string()) throw LineError{std::string("\"") + name + "\" holds no text"};
        texts.push_back(item.get<std::string>());
    }
    return texts;
}

RecordedAnswer Answer(const json& line, bool ok, std::uint32_t error) {
    RecordedAnswer answer;
    answer.ok = ok;
    answer.error = error;
    answer.bytes = Number<std::uint32_t>(line, "bytes");
    answer.block = OptionalBytes(line, "block");
    answer.out = OptionalBytes(line, "out");
    return answer;
}

class Reader {
  public:
    void Header(const json& line) {
        if (!line.is_object() || !line.contains("recording"))
            throw LineError{"this is no recording of controller traffic"};
        if (Number<int>(line, "recording") != kRecordingFormat)
            throw LineError{"a recording of another format"};
        out.header.program = Text(line, "program");
        out.header.version = Text(line, "version");
        out.header.backend = Text(line, "backend");
        out.header.ids = Texts(line, "ids");
    }

    void Line(const json& line) {
        if (!line.is_object()) throw LineError{"not an object"};
        const std::string op = Text(line, "op");
        if (op == "enumerate") {
            out.enumerations.push_back(Texts(line, "paths"));
        } else if (op == "open") {
            const std::string path = Text(line, "path");
            const std::uint32_t error = Number<std::uint32_t>(line, "error");
            out.opens.push_back({path, error});
            if (error == 0) handles_[Number<std::int64_t>(line, "handle")] = path;
        } else if (op == "close") {
            handles_.erase(Number<std::int64_t>(line, "handle"));
        } else if (op == "ioctl") {
            Request(line);
        } else if (op == "complete") {
            Complete(line);
        } else {
            throw LineError{"unknown operation \"" + op + "\""};
        }
    }

    TrafficRecording out;

  private:
    void Request(const json& line) {
        RecordedRequest request;
        request.id = Number<std::uint64_t>(line, "id");
        const auto handle = handles_.find(Number<std::int64_t>(line, "handle"));
        if (handle == handles_.end()) throw LineError{"a request to a device that is not open"};
        request.path = handle->second;
        request.code = Number<std::uint32_t>(line, "code");
        request.request = Bytes(line, "request");
        const std::vector<std::uint8_t> data =
            OptionalBytes(line, "data").value_or(std::vector<std::uint8_t>{});
        std::vector<std::uint8_t>& lastOut = lastOut_[request.path];
        request.key = RequestKey(request.code, request.request, data, lastOut);
        if (TransferOut(request.code, request.request)) lastOut = request.key;
        const json& overlapped = Field(line, "overlapped");
        if (!overlapped.is_boolean()) throw LineError{"\"overlapped\" is no truth value"};
        request.overlapped = overlapped.get<bool>();
        request.result = Number<std::uint32_t>(line, "result");
        request.issuedMs = Time(line);
        if (!request.overlapped && request.result == 0) {
            request.answer = Answer(line, true, 0);
            request.completedMs = request.issuedMs;
        }
        if (!byId_.emplace(request.id, out.requests.size()).second)
            throw LineError{"a request number seen before"};
        out.requests.push_back(std::move(request));
    }

    void Complete(const json& line) {
        const auto it = byId_.find(Number<std::uint64_t>(line, "id"));
        if (it == byId_.end()) throw LineError{"the completion of a request never issued"};
        RecordedRequest& request = out.requests[it->second];
        if (!request.overlapped || request.answer)
            throw LineError{"a second completion of one request"};
        const json& ok = Field(line, "ok");
        if (!ok.is_boolean()) throw LineError{"\"ok\" is no truth value"};
        request.answer = Answer(line, ok.get<bool>(), Number<std::uint32_t>(line, "error"));
        request.completedMs = Time(line);
    }

    std::map<std::int64_t, std::string> handles_;
    std::map<std::uint64_t, std::size_t> byId_;
    std::map<std::string, std::vector<std::uint8_t>> lastOut_;  // per device path
};

}  // namespace

std::optional<TrafficRecording> ParseRecording(const std::string& text, std::string& error) {
    Reader reader;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    try {
        while (std::getline(lines, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            const json value = json::parse(line, nullptr, false);
            if (value.is_discarded()) throw LineError{"not a JSON object"};
            if (number == 1)
                reader.Header(value);
            else
                reader.Line(value);
        }
    } catch (const LineError& e) {
        error = "line " + std::to_string(number) + ": " + e.what;
        return std::nullopt;
    } catch (const json::exception& e) {
        error = "line " + std::to_string(number) + ": " + e.what();
        return std::nullopt;
    }
    if (number == 0) {
        error = "the recording is empty";
        return std::nullopt;
    }
    return std::move(reader.out);
}

std::optional<TrafficRecording> ReadRecording(const std::string& path, std::string& error) {
    const std::filesystem::path file = files::PathFromUtf8(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec) ||
        std::filesystem::file_size(file, ec) > kMaxRecordingBytes) {
        error = "cannot read the recording " + path;
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) {
        error = "cannot read the recording " + path;
        return std::nullopt;
    }
    std::optional<TrafficRecording> recording = ParseRecording(text.str(), error);
    if (!recording) error = path + ": " + error;
    return recording;
}

}  // namespace velmor::replay
