#include "history/history_log.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace velmor::history {

namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// Holds the lock file beside the history while a line is appended (and the file
// perhaps rotated), so that appends of several processes follow one another.
class AppendLock {
  public:
    explicit AppendLock(const std::string& history) {
#ifdef _WIN32
        const std::wstring name = PathOf(history + ".lock").wstring();
        handle_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        OVERLAPPED whole{};
        locked_ = handle_ != INVALID_HANDLE_VALUE &&
                  LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
#else
        fd_ = ::open((history + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        int result = -1;
        while (fd_ >= 0 && (result = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
        }
        locked_ = result == 0;
#endif
    }
    ~AppendLock() { Release(); }
    void Release() {
#ifdef _WIN32
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
#else
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
#endif
    }
    AppendLock(const AppendLock&) = delete;
    AppendLock& operator=(const AppendLock&) = delete;
    bool Locked() const { return locked_; }

  private:
#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
    int fd_ = -1;
#endif
    bool locked_ = false;
};

// Appends `line` in one write under `lock`, then releases the lock and flushes the
// file to the disk, so other processes' appends need not wait for the disk.
bool AppendWhole(const std::string& path, const std::string& line, AppendLock& lock) {
#ifdef _WIN32
    const std::wstring name = PathOf(path).wstring();
    HANDLE file = CreateFileW(name.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool wrote =
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
        written == line.size();
    lock.Release();
    const bool ok = wrote && FlushFileBuffers(file);
    CloseHandle(file);
    return ok;
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const ssize_t written = ::write(fd, line.data(), line.size());
    lock.Release();
    const bool ok = written == static_cast<ssize_t>(line.size()) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
#endif
}

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
#ifdef _WIN32
    const char* base = std::getenv("LOCALAPPDATA");
    if (base == nullptr || *base == '\0') return {};
    return std::string(base) + "\\velmortool\\history.jsonl";
#else
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = std::string(home) + "/.local/state";
    } else {
        return {};
    }
    return base + "/velmortool/history.jsonl";
#endif
}

bool HistoryLog::Append(const HistoryEntry& entry, std::string& error) const {
    std::error_code ec;
    fs::create_directories(PathOf(path_).parent_path(), ec);
    AppendLock lock(path_);
    if (!lock.Locked()) {
        error = "cannot lock the history " + path_;
        return false;
    }
    // Rotated under the lock: one old file is kept.
    if (fs::file_size(PathOf(path_), ec) >= kRotateBytes && !ec)
        fs::rename(PathOf(path_), PathOf(path_ + ".1"), ec);
    const std::string line =
        EntryJson(entry).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!AppendWhole(path_, EndsMidLine(PathOf(path_)) ? "\n" + line : line, lock)) {
        error = "cannot write to the history " + path_;
        return false;
    }
    return true;
}

std::vector<HistoryEntry> HistoryLog::Read(std::vector<std::string>& warnings) const {
    std::vector<HistoryEntry> entries;
    const fs::path current = PathOf(path_);
    const std::string name = current.filename().string();
    ReadLines(PathOf(path_ + ".1"), name + ".1", entries, warnings);
    ReadLines(current, name, entries, warnings);
    return entries;
}

}  // namespace velmor::history
