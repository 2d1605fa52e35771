#include <windows.h>

#include <cstdlib>
#include <vector>

#include "files/process_environment.h"
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
            std::string path = Utf8FromWide(std::wstring_view(buffer.data(), n));
            for (char& c : path) {
                if (c == '\\') c = '/';
            }
            return path;
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
    std::string folder = EnvironmentValue("LOCALAPPDATA").value_or("");
    for (char& c : folder) {
        if (c == '\\') c = '/';
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace velmor::files
