#include "files/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace velmor::files {

bool FileOps::ReadAll(const std::string& path, std::string& bytes) {
    bytes.clear();
    // Non-blocking open: opening a pipe for reading would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxReadBytes) {
        ::close(fd);
        return false;
    }
    if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            bytes.clear();
            return false;
        }
        if (n == 0) break;
        if (static_cast<long long>(bytes.size()) + n > kMaxReadBytes) {  // grew while read
            ::close(fd);
            bytes.clear();
            return false;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

int FileOps::CreateNew(const std::string& path) {
    for (;;) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

long FileOps::Write(int fd, const char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::write(fd, data, size);
        if (n >= 0 || errno != EINTR) return static_cast<long>(n);
    }
}

bool FileOps::Sync(int fd) { return ::fsync(fd) == 0; }

bool FileOps::Close(int fd) { return ::close(fd) == 0; }

bool FileOps::Rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool FileOps::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

void FileOps::SyncFolder(const std::string& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void FileOps::CopyMode(const std::string& from, int fd) {
    struct stat st {};
    if (::stat(from.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
}

FileOps& DefaultFileOps() {
    static FileOps ops;
    return ops;
}

}  // namespace velmor::files
