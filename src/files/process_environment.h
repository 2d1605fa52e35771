#pragma once
// What the program asks of its own process, the same way on every platform: its id,
// the executable's file and environment variables, all as UTF-8 (the Windows side
// reads the wide forms, so a user or folder name in Chinese comes through whole).

#include <optional>
#include <string>

namespace velmor::files {

unsigned long CurrentProcessId();

// The running executable's full path with '/' between folders; empty when unknown.
std::string ExecutableFile();

// The variable's value; nullopt when it is not set.
std::optional<std::string> EnvironmentValue(const char* name);

// Where the program keeps its own lasting files for this user: %LOCALAPPDATA% on
// Windows; $XDG_STATE_HOME (when absolute) or ~/.local/state elsewhere. No trailing
// slash; empty when the environment names no such folder.
std::string UserDataFolder();

}  // namespace velmor::files
