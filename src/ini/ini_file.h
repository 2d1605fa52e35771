#pragma once
// Whole-file INI access: the file is read as lines, values are looked up and changed in
// memory, and the whole file is written back on request. Names and keys are compared
// exactly (case matters), without surrounding white space; the first section of a name
// is the only one searched.
//
// On disk the text is GBK with CRLF line ends (CRLF, LF and lone CR all read); in
// memory it is UTF-8. A save replaces the file atomically, so a failed save leaves the
// previous file as it was.

#include <string>

#include "ini/ini_lines.h"
#include "ini/text_file_ops.h"

namespace velmor::ini {

class CIniFile {
  public:
    explicit CIniFile(FileOps& ops = DefaultFileOps());
    virtual ~CIniFile();
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    void SetPath(const std::string& path) { path_ = path; }
    const std::string& Path() const { return path_; }

    // False when the file cannot be read; the lines in memory then stay as they were.
    bool Load();
    // False when the file cannot be replaced; the file on disk is then unchanged.
    bool Save();

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultText) const;
    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const;
    double ReadDouble(const std::string& section, const std::string& key,
                      double defaultValue) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInt(const std::string& section, const std::string& key, int value);
    void WriteDouble(const std::string& section, const std::string& key, double value);

    // Result of the last load or save (reads give their defaults while it is false).
    bool Loaded() const { return loaded_; }
    // Starts from no content, as after deleting the file: nothing to read, all to write.
    void Reset();

    // The lines in memory; profile access works on the same lines during a store operation.
    IniLines& Lines() { return lines_; }
    const IniLines& Lines() const { return lines_; }

  private:
    FileOps& ops_;
    std::string path_;
    bool loaded_ = false;
    IniLines lines_;
};

}  // namespace velmor::ini
