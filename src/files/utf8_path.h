#pragma once
// Paths are UTF-8 text everywhere inside the program. std::filesystem takes a narrow
// string in the system's own code page on Windows, so every path crosses over to
// std::filesystem through these two functions, which say UTF-8 on every platform.
// Neither throws: bytes that are not UTF-8 become the replacement character on
// Windows (where names are UTF-16) and stay as they are elsewhere.

#include <filesystem>
#include <string>
#include <string_view>

namespace velmor::files {

std::filesystem::path PathFromUtf8(std::string_view utf8);

// With '/' between folders.
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace velmor::files
