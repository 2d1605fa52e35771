#include "shell/program_folder.h"

#include <filesystem>
#include <system_error>

#include "files/process_environment.h"
#include "files/utf8_path.h"

namespace velmor::shell {

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty()) return "./";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder != "/") folder += '/';
    return folder;
}

std::string ExecutableFolder(const char* argv0) {
    std::error_code ec;
    if (const std::string self = files::ExecutableFile(); !self.empty())
        return WithTrailingSlash(files::Utf8FromPath(files::PathFromUtf8(self).parent_path()));
    if (argv0 && *argv0) {
        const auto path = std::filesystem::absolute(files::PathFromUtf8(argv0), ec);
        if (!ec) return WithTrailingSlash(files::Utf8FromPath(path.parent_path()));
    }
    return "./";
}

std::string ResolveProgramFolder(const std::string& homeOption, const char* envHome,
                                 const std::string& executableFolder) {
    if (!homeOption.empty()) return WithTrailingSlash(homeOption);
    if (envHome && *envHome) return WithTrailingSlash(envHome);
    return WithTrailingSlash(executableFolder);
}

}  // namespace velmor::shell
