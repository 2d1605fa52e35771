#pragma once
// Paths are UTF-8 text everywhere inside the program. std::filesystem takes a narrow
// string in the system's own code page on Windows, so every path crosses over to
// std::filesystem through these two functions, which say UTF-8 on every platform.

#include <filesystem>
#include <string>
#include <string_view>

namespace velmor::files {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace velmor::files
