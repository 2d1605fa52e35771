#pragma once
// UTF-8 inside the program, UTF-16 at the Windows API. Text that is not valid UTF-8
// (or UTF-16) converts with the replacement character, never to nothing.

#include <string>
#include <string_view>

namespace velmor::files {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace velmor::files
