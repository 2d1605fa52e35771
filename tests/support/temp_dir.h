#pragma once
// A fresh temporary folder for one test, removed with everything in it afterwards.
// Its paths use '/' between folders on every platform, as the program's own do.
// VELMOR_TEST_TEMP names the folder to make it in (the Windows suites keep theirs
// off the system disk, where saving is refused); else the system's temporary folder.

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace velmor::testing {

class TempDir {
  public:
    TempDir() {
        std::random_device rd;
        const char* base = std::getenv("VELMOR_TEST_TEMP");
        const std::filesystem::path folder = base != nullptr && *base != '\0'
                                                 ? std::filesystem::path(base)
                                                 : std::filesystem::temp_directory_path();
        path_ = (folder / ("velmor-test-" + std::to_string(rd()) + "-" + std::to_string(rd())))
                    .generic_string();
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_.generic_string() + "/" + name; }

  private:
    std::filesystem::path path_;
};

}  // namespace velmor::testing
