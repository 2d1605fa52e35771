#include "files/utf8_path.h"

namespace velmor::files {

// The bytes are the name: nothing is converted.
std::filesystem::path PathFromUtf8(std::string_view utf8) { return std::filesystem::path(utf8); }

std::string Utf8FromPath(const std::filesystem::path& path) { return path.generic_string(); }

}  // namespace velmor::files
