#pragma once
// The history file: one line per write to a controller, appended by every program
// on the machine. Each line is written whole in one append under a lock and
// flushed to the disk before the append returns, so processes writing at once
// never mix parts of lines and a reported write is on the disk. At 10 MB the file
// is rotated, keeping one old file (FILE.1). Reading skips a damaged line (a crash
// mid-write) with a warning and reads the rest.

#include <cstdint>
#include <string>
#include <vector>

#include "history/history_entry.h"

namespace velmor::history {

// $XDG_STATE_HOME/velmortool/history.jsonl ($HOME/.local/state without it);
// %LOCALAPPDATA%\velmortool\history.jsonl on Windows. Empty when none can be named.
std::string DefaultHistoryFile();

class HistoryLog {
  public:
    static constexpr std::uintmax_t kRotateBytes = 10u * 1024 * 1024;

    explicit HistoryLog(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    // False, with `error` for a person, when the line could not be written.
    bool Append(const HistoryEntry& entry, std::string& error) const;
    // The entries' lines in one append and one flush, as one program's writes to
    // several devices at once are: each line still whole, and none read before all
    // are on the disk.
    bool AppendAll(const std::vector<HistoryEntry>& entries, std::string& error) const;
    // The entries of the old file and the current one, oldest first; a line that is
    // no entry is skipped and told in `warnings`.
    std::vector<HistoryEntry> Read(std::vector<std::string>& warnings) const;

  private:
    std::string path_;
};

}  // namespace velmor::history
