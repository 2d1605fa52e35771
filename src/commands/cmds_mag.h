#pragma once
// The command and parameter store: copies the command sets, motion lists, motor
// settings, language and cleaning parameters of the controller object to and from
// their INI documents. It owns no lasting data; one object serves one operation.
//
// Each operation reads its document once, runs its steps on the document in memory and
// writes it once, replacing the file atomically: a failed save leaves the previous file
// untouched and reports failure.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands/checksum_buffer.h"
#include "commands/store_document.h"
#include "controller/main_operation.h"
#include "files/file_ops.h"

namespace velmor::commands {

class CCmdsMag {
  public:
    // Which stored path: the configuration document or the cleaning file.
    enum class PathKind { Configuration, Cleaning };

    // The printer keys the configuration page writes into a document after saving it:
    // [JETTYPE] JetType, [DPITYPE] DPIType and, from "保存" only, [FlashSel] FlashSel.
    struct PrinterKeys {
        std::uint8_t jetType = 0;
        std::uint8_t dpiType = 0;
        std::optional<int> flashSel;
    };

    // Counts up to this are read as the document states them; entries it lacks read as
    // empty, as in a count with gaps. A larger count must be backed by entries: the keys
    // "KeyName<k>" of a name list, the sections "CmdInfo<k>", "MotoCmdInfo<k>" or
    // "TestMotoCmdInfo<k>" of the other lists. It is good up to the highest k present
    // + 1, with at most kMaxEntries of the entries below it missing (one far-off k must
    // not stretch it). A count above that is corrupt: the list is read as far as the
    // entries go and the load reports failure. Reading thus costs what the document
    // holds, not what it claims.
    static constexpr int kMaxEntries = 10000;
    // No list is read past its ceiling, whatever the document holds: 100,000 names or
    // commands (forty times the 2,500 commands of the 10,000-byte checksum), 10,000 steps
    // per motion list (350,000 checksum bytes; a controller image takes 1,022 records).
    // In memory a step costs some 260 bytes and a command some 100, against a few bytes
    // of a hand-made document: the ceilings keep any load within tens of megabytes.
    static constexpr int kMaxListEntries = 100000;
    static constexpr int kMaxMotionEntries = kMaxEntries;

    explicit CCmdsMag(controller::CMainOperation& operation,
                      files::FileOps& ops = files::DefaultFileOps());
    virtual ~CCmdsMag();
    CCmdsMag(const CCmdsMag&) = delete;
    CCmdsMag& operator=(const CCmdsMag&) = delete;

    // ---- operations ----
    bool LoadConfigDocument(const std::string& path);
    // The printer keys of the document the last LoadConfigDocument read, taken from
    // the same document in memory, so that the file is read once: [JETTYPE] JetType,
    // [DPITYPE] DPIType and [FlashSel] FlashSel, each 0 when absent (flashSel is then
    // set too).
    const PrinterKeys& LoadedPrinterKeys() const { return loadedKeys_; }
    bool SaveConfigDocument(const std::string& path);
    // The save followed by the printer keys, as one replacement of the file. The file
    // ends exactly as the save and the three single-key writes would leave it, but a
    // failure anywhere leaves the previous file whole: never a new document without
    // its keys, nor the old document with new keys. Same result as the plain save.
    bool SaveConfigDocument(const std::string& path, const PrinterKeys& keys);
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
    // True when the last load found at least one of the sections every saved file of
    // its kind has: for a configuration document the name lists, the command count,
    // the motion counts or [MotorState]; for a cleaning file its parameter sections.
    // A file without any is not of that kind, though the pages read it as one of
    // defaults.
    bool HeldKnownSections() const { return heldKnownSections_; }

    // The motor settings under their [MotorState] keys, in write order ("Multiply"
    // last), for tools that show them.
    static std::vector<std::pair<std::string, std::int64_t>> MotorStateValues(
        const controller::MotorSettings& settings);

    // True when the last load refused its file for its size (ini::CIniFile::TooLarge):
    // it then loaded as a missing file does, and reported failure.
    bool DocumentTooLarge() const { return documentTooLarge_; }

    // ---- where the documents live ----
    // "<program folder>CmdsRecord/".
    static std::string RecordFolder(const std::string& programFolder);
    // The default configuration document, which is also the path store.
    static std::string DefaultDocumentPath(const std::string& programFolder);
    // The document a page opens when it starts: the stored path of `kind` when a file
    // is there (its name matched as the store matches names), else FirstConfig.cfg in
    // the record folder. The record folder is made when it is missing (a failure
    // shows when a file is saved there).
    static constexpr const char* kFirstConfigName = "FirstConfig.cfg";
    std::string StartDocument(PathKind kind);

  private:
    // The save's steps on a document started empty; true when a list was written.
    bool FillConfigDocument(StoreDocument& doc);
    using Held = std::function<ProfileDocument::Numbered()>;

    // The count of a list, bounded by what `held` says the document holds (asked only
    // for a count above kMaxEntries) and by the list's ceiling.
    int ReadCount(StoreDocument& doc, const std::string& section, const std::string& key,
                  const Held& held, int ceiling);
    void ReadCmdList(StoreDocument& doc, const Held& held);
    bool ReadMotionList(StoreDocument& doc, int mode, const Held& held);
    bool WriteSingle(const std::string& path, const char* section, const char* key,
                     const std::string& value);

    controller::CMainOperation& operation_;
    files::FileOps& ops_;
    ChecksumBuffer checksum_;
    bool countClamped_ = false;
    bool checksumAccepted_ = false;
    bool heldKnownSections_ = false;
    bool documentTooLarge_ = false;
    PrinterKeys loadedKeys_;
};

}  // namespace velmor::commands
