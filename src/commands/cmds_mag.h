#pragma once
// The command and parameter store: copies the command sets, motion lists, motor
// settings, language and cleaning parameters of the controller object to and from
// their INI documents. It owns no lasting data; one object serves one operation.
//
// Each operation reads its document once, runs its steps on the document in memory and
// writes it once, replacing the file atomically: a failed save leaves the previous file
// untouched and reports failure.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "commands/checksum_buffer.h"
#include "commands/store_document.h"
#include "controller/main_operation.h"
#include "ini/text_file_ops.h"

namespace velmor::commands {

class CCmdsMag {
  public:
    // Which stored path: the configuration document or the cleaning file.
    enum class PathKind { Configuration, Cleaning };

    // A count read from a document is trusted up to this or up to the number of lines
    // the document holds, whichever is larger. A larger count is corrupt: the list is
    // read up to the limit and the load reports failure (a count of two billion must not
    // take hours or all memory; a real list of that length needs at least a line per
    // entry: a key for a name, a section for a command or a motion step).
    static constexpr int kMaxEntries = 10000;

    explicit CCmdsMag(controller::CMainOperation& operation,
                      ini::FileOps& ops = ini::DefaultFileOps());
    virtual ~CCmdsMag();
    CCmdsMag(const CCmdsMag&) = delete;
    CCmdsMag& operator=(const CCmdsMag&) = delete;

    // ---- operations ----
    bool LoadConfigDocument(const std::string& path);
    bool SaveConfigDocument(const std::string& path);
    std::string GetStoredPath(PathKind kind);
    bool SetStoredPath(const std::string& path, PathKind kind);
    bool WriteJetType(const std::string& path, std::uint8_t code);
    bool WriteDpiType(const std::string& path, std::uint8_t code);
    bool WriteFlashSel(const std::string& path, int index);
    void LoadLanguage(const std::string& path);
    bool LoadCleanParams(const std::string& path);
    bool SaveCleanParams(const std::string& path);

    // ---- steps, on a document in memory ----
    bool ReadNameList(StoreDocument& doc, const std::string& section,
                      std::vector<std::string>& list);
    bool WriteNameList(StoreDocument& doc, const std::string& section,
                       const std::vector<std::string>& list);
    void ReadCmdList(StoreDocument& doc);
    bool WriteCmdList(StoreDocument& doc);
    // Mode 0: the movement list; mode 1: the movetest list.
    bool ReadMotionList(StoreDocument& doc, int mode);
    bool WriteMotionList(StoreDocument& doc, int mode);
    // Finishes and checks the checksum; true when it is accepted.
    bool ReadMotorState(StoreDocument& doc);
    void WriteMotorState(StoreDocument& doc);

    // The bytes the last load or save gathered.
    const ChecksumBuffer& Checksum() const { return checksum_; }
    // True when the last load met a count above its limit.
    bool CountClamped() const { return countClamped_; }
    // True when the last load's checksum was accepted.
    bool ChecksumAccepted() const { return checksumAccepted_; }

    // The motor settings under their [MotorState] keys, in write order ("Multiply"
    // last), for tools that show them.
    static std::vector<std::pair<std::string, std::int64_t>> MotorStateValues(
        const controller::MotorSettings& settings);

    // ---- where the documents live ----
    // "<program folder>CmdsRecord/".
    static std::string RecordFolder(const std::string& programFolder);
    // The default configuration document, which is also the path store.
    static std::string DefaultDocumentPath(const std::string& programFolder);

  private:
    int ReadCount(StoreDocument& doc, const std::string& section, const std::string& key);
    bool WriteSingle(const std::string& path, const char* section, const char* key,
                     const std::string& value);

    controller::CMainOperation& operation_;
    ini::FileOps& ops_;
    ChecksumBuffer checksum_;
    bool countClamped_ = false;
    bool checksumAccepted_ = false;
};

}  // namespace velmor::commands
