#pragma once
// The two file operations the history needs of the system: an exclusive lock that
// puts several processes' appends one after the other, and an append of one whole
// line in a single write, flushed to the disk.

#include <cstdint>
#include <string>

namespace velmor::history {

// Holds the lock file `lockFile` (created when missing) until Release or the end.
class AppendLock {
  public:
    explicit AppendLock(const std::string& lockFile);
    ~AppendLock() { Release(); }
    AppendLock(const AppendLock&) = delete;
    AppendLock& operator=(const AppendLock&) = delete;

    bool Locked() const { return locked_; }
    void Release();

  private:
    std::intptr_t handle_ = -1;  // a descriptor, or a Windows handle
    bool locked_ = false;
};

// Appends `line` in one write under `lock`, then releases the lock and flushes the
// file to the disk, so other processes' appends need not wait for the disk.
bool AppendWhole(const std::string& path, const std::string& line, AppendLock& lock);

}  // namespace velmor::history
