#include "shell/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace velmor::shell {

std::string InstanceLock::DefaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime && *runtime ? runtime : "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder + kName + ".lock";
}

InstanceLock::InstanceLock(std::string path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::TryAcquire() {
    if (held_) return true;
    if (handle_ < 0) handle_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (handle_ < 0) {
        held_ = true;  // nowhere to keep a lock: run rather than refuse
        return true;
    }
    int result;
    do {
        result = ::flock(static_cast<int>(handle_), LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    held_ = result == 0;
    return held_;
}

void InstanceLock::Release() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));  // closing the descriptor drops the lock
        handle_ = -1;
    }
    held_ = false;
}

}  // namespace velmor::shell
