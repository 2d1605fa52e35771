#pragma once
// A controller object whose program folder is a fresh temporary folder with its
// record directory, and a store on it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "support/temp_dir.h"

namespace velmor::commands {

class StoreTest : public ::testing::Test {
  protected:
    StoreTest() {
        op_.programFolder = dir_.Path().string() + "/";
        std::filesystem::create_directories(dir_.Path() / "CmdsRecord");
    }
    std::string Record(const std::string& name) const {
        return CCmdsMag::RecordFolder(op_.programFolder) + name;
    }
    std::string DefaultDoc() const { return CCmdsMag::DefaultDocumentPath(op_.programFolder); }

    velmor::testing::TempDir dir_;
    controller::CMainOperation op_;
};

}  // namespace velmor::commands
