#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "files/process_environment.h"
#include "files/utf8_path.h"
#include "files/wide_text_win.h"

namespace velmor::files {

unsigned long CurrentProcessId() { return ::GetCurrentProcessId(); }

std::string ExecutableFile() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            return Utf8FromPath(std::filesystem::path(std::wstring(buffer.data(), n)));
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> EnvironmentValue(const char* name) {
    const wchar_t* value = ::_wgetenv(WideFromUtf8(name).c_str());
    if (value == nullptr) return std::nullopt;
    return Utf8FromWide(value);
}

std::string UserDataFolder() {
    std::string folder = Utf8FromPath(PathFromUtf8(EnvironmentValue("LOCALAPPDATA").value_or("")));
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace velmor::files
