#include "config/system_disk.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "files/utf8_path.h"

namespace velmor::config {

namespace {

constexpr std::array<std::string_view, 14> kSystemFolders{"bin",   "boot",  "dev",    "etc", "lib",
                                                          "lib32", "lib64", "libx32", "opt", "proc",
                                                          "run",   "sbin",  "sys",    "usr"};
constexpr std::string_view kVarFolder = "var";
// Under /var only the folder meant for files that outlive a reboot is open.
constexpr std::string_view kVarTmp = "tmp";

}  // namespace

bool OnSystemDisk(std::string_view path) {
    if (!path.empty() && path.front() == 'C') return true;
    const std::filesystem::path normal = files::PathFromUtf8(path).lexically_normal();
    if (!normal.has_root_directory()) return false;
    const std::filesystem::path relative = normal.relative_path();
    auto part = relative.begin();
    if (part == relative.end()) return true;  // "/" itself
    const std::string first = files::Utf8FromPath(*part);
    if (++part == relative.end()) return true;  // a file directly in "/"
    if (first == kVarFolder) return files::Utf8FromPath(*part) != kVarTmp;
    return std::find(kSystemFolders.begin(), kSystemFolders.end(), first) != kSystemFolders.end();
}

}  // namespace velmor::config
