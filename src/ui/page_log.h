#pragma once
// The log every page keeps: text that handlers and worker threads append to, shown
// in a read-only pane that follows its end. The log is guarded, so flash and
// download workers may append from their threads; a view asks for what is new since
// it last looked, so a growing log costs only its new text.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace velmor::ui {

class PageLog {
  public:
    // Markers after an operation's line, and the line end the pages write.
    static constexpr const char* kSuccess = "  ---Success";
    static constexpr const char* kFailed = "  ---Failed";
    static constexpr const char* kNewLine = "\r\n";

    void Append(const std::string& text);
    void Clear();
    std::string Text() const;
    // Grows with every change, so a view can skip a refresh when nothing changed.
    std::uint64_t Revision() const { return revision_.load(); }

    // What a reader that has shown the first `shown` bytes of the log, `clears`
    // clears ago, must add: the new tail, or the whole log (`whole`) when the log
    // was cleared meanwhile.
    struct Update {
        std::uint64_t clears = 0;  // the log's clear count now
        std::size_t size = 0;      // the log's length now
        bool whole = false;
        std::string text;
    };
    Update Since(std::uint64_t clears, std::size_t shown) const;

    // Appends to `text` the hex dump lines of `count` bytes from `start`, addresses
    // `width` hex digits wide.
    static void AppendDump(std::string& text, const std::uint8_t* bytes, int count,
                           std::uint32_t start, int width);

  private:
    mutable std::mutex mutex_;
    std::string text_;
    std::uint64_t clears_ = 0;  // guarded by mutex_
    std::atomic<std::uint64_t> revision_{0};
};

}  // namespace velmor::ui
