#include "history/history_log.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "files/process_environment.h"
#include "files/utf8_path.h"
#include "history/history_append.h"

namespace velmor::history {

namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) { return files::PathFromUtf8(utf8); }

// True when the file's last line has no newline: an append cut short by a crash.
// The next line then starts on a line of its own rather than finishing that one.
bool EndsMidLine(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in.seekg(-1, std::ios::end)) return false;
    char last = '\n';
    return in.get(last) && last != '\n';
}

void ReadLines(const fs::path& file, const std::string& name, std::vector<HistoryEntry>& entries,
               std::vector<std::string>& warnings) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty()) continue;
        const nlohmann::json value = nlohmann::json::parse(line, nullptr, false);
        std::optional<HistoryEntry> entry =
            value.is_discarded() ? std::nullopt : EntryFromJson(value);
        if (entry) {
            entries.push_back(std::move(*entry));
        } else {
            warnings.push_back(name + " line " + std::to_string(number) + " is damaged; skipped");
        }
    }
}

}  // namespace

std::string DefaultHistoryFile() {
    const std::string base = files::UserDataFolder();
    return base.empty() ? std::string() : base + "/velmortool/history.jsonl";
}

bool HistoryLog::Append(const HistoryEntry& entry, std::string& error) const {
    return AppendAll({entry}, error);
}

bool HistoryLog::AppendAll(const std::vector<HistoryEntry>& entries, std::string& error) const {
    if (entries.empty()) return true;
    std::error_code ec;
    fs::create_directories(PathOf(path_).parent_path(), ec);
    AppendLock lock(path_ + ".lock");
    if (!lock.Locked()) {
        error = "cannot lock the history " + path_;
        return false;
    }
    // Rotated under the lock: one old file is kept.
    if (fs::file_size(PathOf(path_), ec) >= kRotateBytes && !ec)
        fs::rename(PathOf(path_), PathOf(path_ + ".1"), ec);
    std::string lines = EndsMidLine(PathOf(path_)) ? "\n" : "";
    for (const HistoryEntry& entry : entries)
        lines +=
            EntryJson(entry).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!AppendWhole(path_, lines, lock)) {
        error = "cannot write to the history " + path_;
        return false;
    }
    return true;
}

std::vector<HistoryEntry> HistoryLog::Read(std::vector<std::string>& warnings) const {
    std::vector<HistoryEntry> entries;
    const fs::path current = PathOf(path_);
    const std::string name = files::Utf8FromPath(current.filename());
    ReadLines(PathOf(path_ + ".1"), name + ".1", entries, warnings);
    ReadLines(current, name, entries, warnings);
    return entries;
}

}  // namespace velmor::history
