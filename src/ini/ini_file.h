#pragma once
// Whole-file INI access: the file is read as lines, values are looked up and changed in
// memory, and the whole file is written back on request. Names and keys are compared
// exactly (case matters), without surrounding white space; the first section of a name
// is the only one searched.
//
// On disk the text is GBK with CRLF line ends (CRLF, LF and lone CR all read); in
// memory it is UTF-8. A save replaces the file atomically, so a failed save leaves the
// previous file as it was.

#include <cstddef>
#include <string>

#include "files/file_ops.h"
#include "ini/ini_lines.h"

namespace velmor::ini {

class CIniFile {
  public:
    // The text of a document in memory is at most this long. In memory a two-byte GBK
    // character takes three bytes and ASCII one, so every file of such text within
    // files::FileOps::kMaxReadBytes fits. Only single high bytes take three each: the euro sign
    // 0x80, and bytes that are no text at all (kept as characters of their own so that a
    // save writes them back); a file made mostly of those is refused.
    static constexpr std::size_t kMaxTextBytes = 24u * 1024 * 1024;

    explicit CIniFile(files::FileOps& ops = files::DefaultFileOps());
    virtual ~CIniFile();
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    void SetPath(const std::string& path) { path_ = path; }
    const std::string& Path() const { return path_; }

    // False when the file cannot be read, or is refused for its size (see TooLarge); the
    // lines in memory then stay as they were.
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
    // True when the last Load refused the file because it is larger than
    // files::FileOps::kMaxReadBytes or its text larger than kMaxTextBytes: no document of the
    // program comes near either, so such a file is bad input, not a document.
    bool TooLarge() const { return tooLarge_; }
    // Starts from no content, as after deleting the file: nothing to read, all to write.
    void Reset();

    // The lines in memory; profile access works on the same lines during a store operation.
    IniLines& Lines() { return lines_; }
    const IniLines& Lines() const { return lines_; }

  private:
    files::FileOps& ops_;
    std::string path_;
    bool loaded_ = false;
    bool tooLarge_ = false;
    IniLines lines_;
};

}  // namespace velmor::ini
