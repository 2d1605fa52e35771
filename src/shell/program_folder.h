#pragma once
// Where the program keeps its data ("CmdsRecord/" lives in this folder): the
// executable's folder, unless `--home DIR` or the environment variable
// VELMOR_HOME names another. Always ends with '/'.

#include <string>

namespace velmor::shell {

// The folder of the running executable, with a trailing '/'. Falls back to the
// folder of `argv0`, then to the current folder.
std::string ExecutableFolder(const char* argv0);

// `homeOption` (from --home) wins over `envHome` (VELMOR_HOME, may be null),
// which wins over `executableFolder`. Empty values count as absent.
std::string ResolveProgramFolder(const std::string& homeOption, const char* envHome,
                                 const std::string& executableFolder);

// `folder` with exactly one trailing '/' (an empty folder stays the current one: "./").
std::string WithTrailingSlash(std::string folder);

}  // namespace velmor::shell
