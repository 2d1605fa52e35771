#pragma once
// Replaces a file without ever leaving it half written: the new content goes to a
// temporary file in the same folder, is flushed to the device, and is renamed over the
// old file. On any failure the old file stays as it was and the temporary file is removed.

#include <string>
#include <string_view>

#include "files/file_ops.h"

namespace velmor::files {

class TextFileWriter {
  public:
    explicit TextFileWriter(FileOps& ops = DefaultFileOps()) : ops_(ops) {}

    // True when `path` now holds exactly `bytes`. A missing folder is not created.
    bool Replace(const std::string& path, std::string_view bytes);

  private:
    bool WriteAll(int fd, std::string_view bytes);

    FileOps& ops_;
};

}  // namespace velmor::files
