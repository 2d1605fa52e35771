#include "files/text_file_writer.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "files/process_environment.h"
#include "files/utf8_path.h"

namespace velmor::files {
namespace {

// Of the target's name, the temporary name keeps this many bytes: with its prefix and
// suffix it then stays within the 255 bytes a file name may have, however long the
// target's name is.
constexpr std::size_t kTemporaryStemBytes = 160;

// A name beside the target that no other writer in this or another process picks.
std::string TemporaryName(const std::string& path, int attempt) {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path p = PathFromUtf8(path);
    const std::string stem = Utf8FromPath(p.filename()).substr(0, kTemporaryStemBytes);
    const std::string name = "." + stem + ".tmp" + std::to_string(CurrentProcessId()) + "-" +
                             std::to_string(counter++) + "-" +
                             std::to_string(static_cast<unsigned long long>(now) % 1000000u) + "-" +
                             std::to_string(attempt);
    return Utf8FromPath(p.parent_path() / PathFromUtf8(name));
}

// Writing through a symbolic link replaces what it points to, not the link.
std::string FinalTarget(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(PathFromUtf8(path), ec)) {
        const auto target = std::filesystem::canonical(PathFromUtf8(path), ec);
        if (!ec) return Utf8FromPath(target);
    }
    return path;
}

}  // namespace

bool TextFileWriter::WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long n = ops_.Write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;  // a full disk shows as -1 or as no progress
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool TextFileWriter::Replace(const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;
    const std::string target = FinalTarget(path);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = TemporaryName(target, attempt);
        fd = ops_.CreateNew(temp);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return false;
    ops_.CopyMode(target, fd);
    const bool written = WriteAll(fd, bytes) && ops_.Sync(fd);
    const bool closed = ops_.Close(fd);
    if (!written || !closed || !ops_.Rename(temp, target)) {
        ops_.Remove(temp);
        return false;
    }
    ops_.SyncFolder(Utf8FromPath(PathFromUtf8(target).parent_path()));
    return true;
}

}  // namespace velmor::files
