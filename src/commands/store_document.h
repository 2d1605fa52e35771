#pragma once
// One document for one store operation: read from disk once, read and changed in memory
// through both the whole-file rules (CIniFile) and the profile rules, written back once.
// Because both views work on the same lines in the order the steps run, the file ends up
// exactly as if each step had read and written the file on its own.

#include <string>

#include "commands/profile_document.h"
#include "files/file_ops.h"
#include "ini/ini_file.h"

namespace velmor::commands {

class StoreDocument {
  public:
    explicit StoreDocument(files::FileOps& ops = files::DefaultFileOps());
    StoreDocument(const StoreDocument&) = delete;
    StoreDocument& operator=(const StoreDocument&) = delete;

    // Reads the file. False when it does not exist or cannot be read: the document is
    // then empty and every read gives its default.
    bool Open(const std::string& path);
    // For a change of a few keys: like Open, but false (and nothing to commit) when the
    // file exists and cannot be read, so that a write never replaces a file it could
    // not read with a file holding only the new keys. A missing file is not an error.
    bool OpenForUpdate(const std::string& path);
    // Starts from no content, as if the file had been deleted; the file itself stays
    // until Commit replaces it.
    void OpenEmpty(const std::string& path);
    // Writes the whole document, replacing the file atomically. False leaves the file
    // on disk as it was.
    bool Commit();

    const std::string& Path() const { return ini_.Path(); }
    ini::CIniFile& Ini() { return ini_; }
    ProfileDocument& Profile() { return profile_; }

    // File names match without regard to ASCII letter case, as on the system the
    // documents come from: an existing file whose name differs only in case is the same
    // file. When there is none the path is used as given.
    static std::string ResolveFileName(const std::string& path);

  private:
    ini::CIniFile ini_;
    ProfileDocument profile_;
};

}  // namespace velmor::commands
