#include "files/utf8_path.h"
#include "files/wide_text_win.h"

namespace velmor::files {

// Through the Win32 conversions, which replace what does not convert, rather than the
// library's, which throw.
std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(WideFromUtf8(utf8));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return Utf8FromWide(path.generic_wstring());
}

}  // namespace velmor::files
