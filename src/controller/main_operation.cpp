#include "controller/main_operation.h"

#include <cstdlib>
#include <filesystem>

#include "controller/test_pattern.h"
#include "files/process_environment.h"
#include "files/utf8_path.h"

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
    if (const auto home = files::EnvironmentValue("VELMOR_HOME"); home && !home->empty()) {
        folder = *home;
    } else if (const std::string exe = files::ExecutableFile(); !exe.empty()) {
        folder = files::Utf8FromPath(files::PathFromUtf8(exe).parent_path());
    } else {
        folder = ".";
    }
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

void CMainOperation::FillTestPattern(std::uint8_t* buffer, int length, int kind) const {
    FillPattern(buffer, length, kind, patternFile_);
}

}  // namespace velmor::controller
