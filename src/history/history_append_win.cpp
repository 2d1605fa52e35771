#include <windows.h>

#include "files/wide_text_win.h"
#include "history/history_append.h"

namespace velmor::history {

namespace {

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace

AppendLock::AppendLock(const std::string& lockFile) {
    HANDLE handle = ::CreateFileW(files::WideFromUtf8(lockFile).c_str(),
                                  GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    OVERLAPPED whole{};
    locked_ = handle != INVALID_HANDLE_VALUE &&
              ::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) != 0;
}

void AppendLock::Release() {
    if (AsHandle(handle_) != INVALID_HANDLE_VALUE) ::CloseHandle(AsHandle(handle_));
    handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
}

bool AppendWhole(const std::string& path, const std::string& line, AppendLock& lock) {
    HANDLE file = ::CreateFileW(files::WideFromUtf8(path).c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool wrote =
        ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) != 0 &&
        written == line.size();
    lock.Release();
    const bool ok = wrote && ::FlushFileBuffers(file) != 0;
    return ::CloseHandle(file) != 0 && ok;
}

}  // namespace velmor::history
