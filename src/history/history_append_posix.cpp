#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "history/history_append.h"

namespace velmor::history {

AppendLock::AppendLock(const std::string& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    handle_ = fd;
    int result = -1;
    while (fd >= 0 && (result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    locked_ = result == 0;
}

void AppendLock::Release() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

bool AppendWhole(const std::string& path, const std::string& line, AppendLock& lock) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const ssize_t written = ::write(fd, line.data(), line.size());
    lock.Release();
    const bool ok = written == static_cast<ssize_t>(line.size()) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

}  // namespace velmor::history
