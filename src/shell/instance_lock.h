#pragma once
// The single-instance rule: an exclusive lock named VelmorTool, held for as long
// as the program runs: a lock file (flock) on POSIX systems, the named mutex
// "VelmorTool" on Windows. The system lets go of it when the process ends, however
// it ends, so a crash never locks the user out.

#include <cstdint>
#include <string>

namespace velmor::shell {

class InstanceLock {
  public:
    static constexpr const char* kName = "VelmorTool";

    // $XDG_RUNTIME_DIR/VelmorTool.lock, or /tmp/VelmorTool.lock without it; on
    // Windows the mutex's name, "VelmorTool" (another path names another mutex).
    static std::string DefaultPath();

    explicit InstanceLock(std::string path = DefaultPath());
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this object now holds the lock (or already held it). False when
    // another holder has it; a lock file that cannot even be created counts as
    // free, so a read-only runtime folder never stops the program.
    bool TryAcquire();
    bool Held() const { return held_; }
    void Release();
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    std::intptr_t handle_ = -1;  // a descriptor or a Windows handle; -1 = none
    bool held_ = false;
};

}  // namespace velmor::shell
