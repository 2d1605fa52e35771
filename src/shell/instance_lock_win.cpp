#include <windows.h>

#include <string>

#include "files/wide_text_win.h"
#include "shell/instance_lock.h"

namespace velmor::shell {

std::string InstanceLock::DefaultPath() { return kName; }

InstanceLock::InstanceLock(std::string path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::TryAcquire() {
    if (held_) return true;
    // A mutex name may hold any character but the backslash.
    std::string name = path_;
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, files::WideFromUtf8(name).c_str());
    if (mutex == nullptr) {
        held_ = true;  // no mutex to be had: run rather than refuse
        return true;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {  // another instance made it
        ::CloseHandle(mutex);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
    held_ = true;
    return true;
}

void InstanceLock::Release() {
    if (handle_ != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));  // the last handle ends the mutex
        handle_ = -1;
    }
    held_ = false;
}

}  // namespace velmor::shell
