#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>

#include "files/file_ops.h"
#include "files/wide_text_win.h"

// Windows' side of the file seam: the C runtime's descriptors over handles opened
// with wide (UTF-16) paths, FlushFileBuffers for the flush and MoveFileExW for the
// replacement, which writes through before it returns.
namespace velmor::files {

bool FileOps::ReadAll(const std::string& path, std::string& bytes) {
    bytes.clear();
    const int fd = ::_wopen(WideFromUtf8(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) return false;
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG ||
        st.st_size > kMaxReadBytes) {
        ::_close(fd);
        return false;
    }
    if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        const int n = ::_read(fd, chunk, sizeof chunk);
        if (n < 0) {
            ::_close(fd);
            bytes.clear();
            return false;
        }
        if (n == 0) break;
        if (static_cast<long long>(bytes.size()) + n > kMaxReadBytes) {  // grew while read
            ::_close(fd);
            bytes.clear();
            return false;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::_close(fd);
    return true;
}

int FileOps::CreateNew(const std::string& path) {
    return ::_wopen(WideFromUtf8(path).c_str(),
                    _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}

long FileOps::Write(int fd, const char* data, std::size_t size) {
    // The runtime writes at most INT_MAX bytes at a time; the caller loops.
    const unsigned chunk = size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
    return ::_write(fd, data, chunk);
}

bool FileOps::Sync(int fd) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle) != 0;
}

bool FileOps::Close(int fd) { return ::_close(fd) == 0; }

bool FileOps::Rename(const std::string& from, const std::string& to) {
    return ::MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FileOps::Remove(const std::string& path) {
    return ::DeleteFileW(WideFromUtf8(path).c_str()) != 0;
}

// MOVEFILE_WRITE_THROUGH has made the rename durable already.
void FileOps::SyncFolder(const std::string& /*folder*/) {}

// A new file takes the folder's permissions, as the file it replaces did.
void FileOps::CopyMode(const std::string& /*from*/, int /*fd*/) {}

FileOps& DefaultFileOps() {
    static FileOps ops;
    return ops;
}

}  // namespace velmor::files
