#pragma once
// Writes a recording, one JSON object a line. Lines are gathered in memory and
// written at least once a second by a thread of the writer's own, and when the
// writer goes, so a crash loses at most the last second. A write that fails stops
// the recording with one warning; the traffic itself goes on.

#include <condition_variable>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

namespace velmor::replay {

class TrafficWriter {
  public:
    using Warning = std::function<void(const std::string&)>;

    // Opens `path` for a new recording; with `overwrite` an existing file is
    // replaced, without it the open fails. Null with `error` set on failure.
    static std::unique_ptr<TrafficWriter> Create(const std::string& path, bool overwrite,
                                                 Warning warning, std::string& error);
    ~TrafficWriter();  // writes what is left
    TrafficWriter(const TrafficWriter&) = delete;
    TrafficWriter& operator=(const TrafficWriter&) = delete;

    // Any thread.
    void Write(const nlohmann::json& line);
    // Writes what was gathered now (tests, the end of a command).
    void Flush();
    bool Failed() const;

  private:
    TrafficWriter(std::ofstream file, std::string path, Warning warning);
    void FlushLoop(std::stop_token stop);
    void WriteOut(std::unique_lock<std::mutex>& lock);

    std::string path_;
    Warning warning_;
    mutable std::mutex mutex_;
    std::condition_variable_any wake_;
    std::ofstream file_;
    std::string pending_;
    bool failed_ = false;
    std::jthread flusher_;
};

}  // namespace velmor::replay
