#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>

#include "cli/ctl_console.h"
#include "files/wide_text_win.h"

namespace velmor::cli {

void PrepareConsole() {
    ::SetConsoleOutputCP(CP_UTF8);
    // JSON, images written to "-" and everything else go out byte for byte, with no
    // carriage returns added.
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (words == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) arguments.push_back(files::Utf8FromWide(words[i]));
    ::LocalFree(words);
    return arguments;
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace velmor::cli
