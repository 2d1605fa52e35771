#include "controller/main_operation.h"

#include <cstdlib>
#include <filesystem>

#include "controller/test_pattern.h"

namespace velmor::controller {

CMainOperation* CMainOperation::GetInstance() {
    // Created on the first call from whichever thread makes it; deliberately never
    // destroyed, so pages and workers may use it until the process ends.
    static CMainOperation* instance = new CMainOperation();
    return instance;
}

CMainOperation::CMainOperation() {
    programFolder = DefaultProgramFolder();
    programFolder2 = programFolder;
}

CMainOperation::~CMainOperation() = default;

std::string CMainOperation::DefaultProgramFolder() {
    std::string folder;
    if (const char* home = std::getenv("VELMOR_HOME"); home != nullptr && *home != '\0') {
        folder = home;
    } else {
        std::error_code ec;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        folder = ec ? std::string(".") : exe.parent_path().string();
    }
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

void CMainOperation::FillTestPattern(std::uint8_t* buffer, int length, int kind) const {
    FillPattern(buffer, length, kind, patternFile_);
}

}  // namespace velmor::controller
