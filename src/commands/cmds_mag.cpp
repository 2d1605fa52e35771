#include "commands/cmds_mag.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <initializer_list>
#include <variant>

#include "commands/clean_file.h"
#include "commands/operation_keywords.h"
#include "files/utf8_path.h"
#include "ini/text_number.h"

namespace velmor::commands {
namespace {

using controller::CMD_INFO;
using controller::MotorListInfo;
using controller::MotorSettings;
using controller::SharedField;

// One motor setting of [MotorState]: its key, its field and the value a missing key gives.
struct MotorSetting {
    const char* key;
    std::variant<std::uint32_t MotorSettings::*, std::uint8_t MotorSettings::*,
                 SharedField<std::uint32_t> MotorSettings::*,
                 SharedField<std::uint8_t> MotorSettings::*>
        field;
    int defaultValue;
};

// Settings 1 to 32 in write order, which is also the order of their checksum bytes.
// "Multiply" (33) follows with its own rule.
const std::array<MotorSetting, 32> kMotorSettings{{
    {"Y0Selected", &MotorSettings::Y0Selected, 1},
    {"Y1Selected", &MotorSettings::Y1Selected, 0},
    {"XMoto_LimtEable", &MotorSettings::XMoto_LimtEable, 0},
    {"YMoto0_LimtEable", &MotorSettings::YMoto0_LimtEable, 0},
    {"YMoto1_LimtEable", &MotorSettings::YMoto1_LimtEable, 0},
    {"ZMoto0_LimtEable", &MotorSettings::ZMoto0_LimtEable, 0},
    {"ZMoto1_LimtEable", &MotorSettings::ZMoto1_LimtEable, 0},
    {"XLimtPol", &MotorSettings::XLimtPol, 0},
    {"Y0LimtPol", &MotorSettings::Y0LimtPol, 0},
    {"Y1LimtPol", &MotorSettings::Y1LimtPol, 0},
    {"XLimtPolLeft", &MotorSettings::XLimtPolLeft, 0},
    {"Y0LimtPolLeft", &MotorSettings::Y0LimtPolLeft, 0},
    {"Y1LimtPolLeft", &MotorSettings::Y1LimtPolLeft, 0},
    {"XDirPol", &MotorSettings::XDirPol, 0},
    {"Y0DirPol", &MotorSettings::Y0DirPol, 0},
    {"Y1DirPol", &MotorSettings::Y1DirPol, 0},
    {"Z0LimtPol", &MotorSettings::Z0LimtPol, 0},
    {"Z0LimtPolDown", &MotorSettings::Z0LimtPolDown, 0},
    {"Z0DirPol", &MotorSettings::Z0DirPol, 0},
    {"Z0Gear", &MotorSettings::Z0Gear, 1000},
    {"Z0Board", &MotorSettings::Z0Board, 0},
    {"Z1LimtPol", &MotorSettings::Z1LimtPol, 0},
    {"Z1DirPol", &MotorSettings::Z1DirPol, 0},
    {"BoardType", &MotorSettings::BoardType, 0},
    {"Moto0_LimtEable", &MotorSettings::Moto0_LimtEable, 0},
    {"Moto0DirPol", &MotorSettings::Moto0DirPol, 0},
    {"Moto0LimtPol", &MotorSettings::Moto0LimtPol, 0},
    {"Moto0LimtPolDown", &MotorSettings::Moto0LimtPolDown, 0},
    {"Moto1_LimtEable", &MotorSettings::Moto1_LimtEable, 0},
    {"Moto1DirPol", &MotorSettings::Moto1DirPol, 0},
    {"Moto1LimtPol", &MotorSettings::Moto1LimtPol, 0},
    {"Moto1LimtPolLeft", &MotorSettings::Moto1LimtPolLeft, 0},
}};

// The printer keys of a configuration document.
struct PrinterKey {
    const char* section;
    const char* key;
};
constexpr PrinterKey kJetTypeKey{"JETTYPE", "JetType"};
constexpr PrinterKey kDpiTypeKey{"DPITYPE", "DPIType"};
constexpr PrinterKey kFlashSelKey{"FlashSel", "FlashSel"};

CCmdsMag::PrinterKeys ReadPrinterKeys(const ProfileDocument& profile) {
    const auto read = [&profile](const PrinterKey& k) {
        return profile.GetInt(k.section, k.key, 0);
    };
    return {static_cast<std::uint8_t>(read(kJetTypeKey)),
            static_cast<std::uint8_t>(read(kDpiTypeKey)), read(kFlashSelKey)};
}

constexpr const char* kMultiplyKey = "Multiply";
constexpr int kMultiplyAbsent = -101;
constexpr const char* kMotorSection = "MotorState";
constexpr const char* kInitDone = "InitDone";

int Get(const MotorSettings& s, const MotorSetting& m) {
    return std::visit([&s](auto field) { return static_cast<int>(s.*field); }, m.field);
}

void Set(MotorSettings& s, const MotorSetting& m, int value) {
    std::visit(
        [&s, value](auto field) {
            using T = controller::PlainValue<std::remove_reference_t<decltype(s.*field)>>;
            s.*field = static_cast<T>(static_cast<std::uint32_t>(value));
        },
        m.field);
}

struct MotionNames {
    const char* countSection;  // also the count key
    const char* entryPrefix;
};

MotionNames MotionSections(int mode) {
    return mode == 0 ? MotionNames{"nMotorcmdtotalNums", "MotoCmdInfo"}
                     : MotionNames{"nTestMotorcmdtotalNums", "TestMotoCmdInfo"};
}

constexpr const char* kCommandPrefix = "CmdInfo";

std::vector<MotorListInfo>& MotionList(controller::CMainOperation& op, int mode) {
    return mode == 0 ? op.motionList : op.testMotionList;
}

std::string Indexed(const char* name, int i) { return name + std::to_string(i); }
std::string Slot(const char* name, int i) {
    return std::string(name) + "[" + std::to_string(i) + "]";
}

void AppendCommandBytes(ChecksumBuffer& sum, const CMD_INFO& cmd) {
    if (const auto code = OperationCode(cmd.OptType)) sum.Append(*code);
    sum.AppendHighLow(cmd.Addr);
    sum.Append(cmd.Data);
}

// The 35 bytes of one motion entry: per motor slot the low 16 bits of acceleration
// steps, top speed and distance, high byte first, and 1 for the direction "Orignal".
void AppendMotionBytes(ChecksumBuffer& sum, const MotorListInfo& e) {
    for (int i = 0; i < controller::kMotorSlots; ++i) {
        sum.AppendHighLow(static_cast<std::uint32_t>(e.MotonTabLen[i]));
        sum.AppendHighLow(static_cast<std::uint32_t>(e.MotonnMaxSpeed[i]));
        sum.AppendHighLow(static_cast<std::uint32_t>(e.MotonnnMoveLenth[i]));
        sum.Append(e.MotonnnstrDir[i] == "Orignal" ? 1 : 0);
    }
}

bool HoldsAnySection(const ProfileDocument& profile, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(),
                       [&profile](const char* name) { return profile.HasSection(name); });
}

// Sections every saved configuration document has.
bool HoldsConfigSections(const ProfileDocument& profile) {
    return HoldsAnySection(
        profile, {"AllCommandName", "CommandName", "TotalCmdNumbers", "nMotorcmdtotalNums",
                  "nTestMotorcmdtotalNums", kMotorSection});
}

const char* StoredPathSection(CCmdsMag::PathKind kind) {
    return kind == CCmdsMag::PathKind::Configuration ? "DefaultPath" : "CleanPath";
}
const char* StoredPathKey(CCmdsMag::PathKind kind) {
    return kind == CCmdsMag::PathKind::Configuration ? "Path" : "Path1";
}

}  // namespace

CCmdsMag::CCmdsMag(controller::CMainOperation& operation, files::FileOps& ops)
    : operation_(operation), ops_(ops) {}

CCmdsMag::~CCmdsMag() = default;

std::vector<std::pair<std::string, std::int64_t>> CCmdsMag::MotorStateValues(
    const controller::MotorSettings& settings) {
    std::vector<std::pair<std::string, std::int64_t>> values;
    for (const MotorSetting& setting : kMotorSettings) {
        const std::int64_t value = std::visit(
            [&settings](auto field) { return static_cast<std::int64_t>(settings.*field); },
            setting.field);
        values.emplace_back(setting.key, value);
    }
    values.emplace_back(kMultiplyKey, settings.Multiply);
    return values;
}

std::string CCmdsMag::RecordFolder(const std::string& programFolder) {
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + "CmdsRecord/";
}

std::string CCmdsMag::DefaultDocumentPath(const std::string& programFolder) {
    // The path store "default" and the document "Default" are one file; new files get
    // the capitalised name.
    return RecordFolder(programFolder) + "Default";
}

std::string CCmdsMag::StartDocument(PathKind kind) {
    const std::string folder = RecordFolder(operation_.programFolder);
    std::error_code error;
    std::filesystem::create_directories(files::PathFromUtf8(folder), error);
    const std::string stored = GetStoredPath(kind);
    if (!stored.empty() && std::filesystem::is_regular_file(
                               files::PathFromUtf8(StoreDocument::ResolveFileName(stored)), error))
        return stored;
    return folder + kFirstConfigName;
}

// ---- configuration document ----

bool CCmdsMag::LoadConfigDocument(const std::string& path) {
    StoreDocument doc(ops_);
    doc.Open(path);
    loadedKeys_ = ReadPrinterKeys(doc.Profile());
    countClamped_ = false;
    documentTooLarge_ = doc.Ini().TooLarge();
    heldKnownSections_ = HoldsConfigSections(doc.Profile());
    operation_.allCmdNames.clear();
    operation_.cmdNames.clear();
    operation_.cmdList.clear();
    operation_.motionList.clear();
    operation_.testMotionList.clear();

    // The entry sections of the three lists are counted in one pass, when a count first
    // needs them.
    std::vector<ProfileDocument::Numbered> sections;
    auto held = [&](std::size_t family) -> Held {
        return [&, family] {
            if (sections.empty()) {
                sections = doc.Profile().NumberedSections(
                    {kCommandPrefix, MotionSections(0).entryPrefix, MotionSections(1).entryPrefix});
            }
            return sections[family];
        };
    };
    ReadNameList(doc, "AllCommandName", operation_.allCmdNames);
    ReadNameList(doc, "CommandName", operation_.cmdNames);
    ReadCmdList(doc, held(0));
    const bool movementRead = ReadMotionList(doc, 0, held(1));
    ReadMotionList(doc, 1, held(2));
    const bool checksumAccepted = ReadMotorState(doc);
    checksumAccepted_ = checksumAccepted;

    if (operation_.cmdNames.empty()) operation_.cmdNames.emplace_back(kInitDone);
    if (operation_.allCmdNames.empty()) operation_.allCmdNames.emplace_back(kInitDone);
    return movementRead && checksumAccepted && !countClamped_;
}

bool CCmdsMag::SaveConfigDocument(const std::string& path) {
    // Built from nothing, as the file is deleted before it is written anew; the new
    // content then replaces the old file in one step.
    StoreDocument doc(ops_);
    doc.OpenEmpty(path);
    const bool written = FillConfigDocument(doc);
    // Nothing reached the disk unless the final write did.
    return doc.Commit() && written;
}

bool CCmdsMag::SaveConfigDocument(const std::string& path, const PrinterKeys& keys) {
    StoreDocument doc(ops_);
    doc.OpenEmpty(path);
    const bool written = FillConfigDocument(doc);
    // The same profile writes the single-key operations make, on the lines in memory
    // instead of on the file they would read back.
    const auto put = [&doc](const PrinterKey& name, int value) {
        doc.Profile().WriteString(name.section, name.key, ini::FormatInt(value));
    };
    put(kJetTypeKey, keys.jetType);
    put(kDpiTypeKey, keys.dpiType);
    if (keys.flashSel) put(kFlashSelKey, *keys.flashSel);
    return doc.Commit() && written;
}

bool CCmdsMag::FillConfigDocument(StoreDocument& doc) {
    if (operation_.cmdNames.empty()) operation_.cmdNames.emplace_back(kInitDone);
    if (operation_.allCmdNames.empty()) operation_.allCmdNames.emplace_back(kInitDone);

    bool written = WriteNameList(doc, "AllCommandName", operation_.allCmdNames);
    written = WriteNameList(doc, "CommandName", operation_.cmdNames) || written;
    written = WriteCmdList(doc) || written;
    written = WriteMotionList(doc, 0) || written;
    written = WriteMotionList(doc, 1) || written;
    WriteMotorState(doc);
    return written;
}

int CCmdsMag::ReadCount(StoreDocument& doc, const std::string& section, const std::string& key,
                        const Held& held, int ceiling) {
    const int count = doc.Profile().GetInt(section, key, 0);
    if (count <= kMaxEntries) return count;
    const ProfileDocument::Numbered present = held();
    const long long holds = std::min(present.highest + 1, present.count + kMaxEntries);
    const long long limit = std::min<long long>(std::max<long long>(kMaxEntries, holds), ceiling);
    if (count <= limit) return count;
    countClamped_ = true;
    return static_cast<int>(std::min<long long>(holds, ceiling));
}

bool CCmdsMag::ReadNameList(StoreDocument& doc, const std::string& section,
                            std::vector<std::string>& list) {
    ProfileDocument& profile = doc.Profile();
    const int count = ReadCount(
        doc, section, "TotalNums", [&] { return profile.NumberedKeys(section, "KeyName"); },
        kMaxListEntries);
    for (int k = 0; k < count; ++k) {
        std::string name = profile.GetString(section, Indexed("KeyName", k), "");
        if (!name.empty()) list.push_back(std::move(name));
    }
    return true;
}

bool CCmdsMag::WriteNameList(StoreDocument& doc, const std::string& section,
                             const std::vector<std::string>& list) {
    ProfileDocument& profile = doc.Profile();
    bool written = false;
    for (std::size_t k = 0; k < list.size(); ++k) {
        written = profile.WriteString(section, Indexed("KeyName", static_cast<int>(k)), list[k]) ||
                  written;
    }
    written =
        profile.WriteString(section, "TotalNums", ini::FormatInt(static_cast<int>(list.size()))) ||
        written;
    return written;
}

void CCmdsMag::ReadCmdList(StoreDocument& doc) {
    ReadCmdList(doc, [&doc] { return doc.Profile().NumberedSections({kCommandPrefix})[0]; });
}

void CCmdsMag::ReadCmdList(StoreDocument& doc, const Held& held) {
    ProfileDocument& profile = doc.Profile();
    auto& list = operation_.cmdList;
    list.clear();
    const int count = ReadCount(doc, "TotalCmdNumbers", "CmdNums", held, kMaxListEntries);
    // The flag belongs to the list just loaded: a document with commands clears what
    // an earlier empty one set, or the next list update would drop its "InitDone"
    // and "default" commands. A negative count holds none either.
    operation_.rebuildFlag = count <= 0;
    list.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int k = 0; k < count; ++k) {
        const std::string section = Indexed(kCommandPrefix, k);
        CMD_INFO cmd;
        cmd.KeyName = profile.GetString(section, "KeyName", "");
        cmd.OptType = profile.GetString(section, "OptType", "");
        cmd.RegName = profile.GetString(section, "RegName", "");
        cmd.Addr = static_cast<std::uint16_t>(profile.GetInt(section, "Addr", 0));
        cmd.Data = static_cast<std::uint8_t>(profile.GetInt(section, "Data", 0));
        list.push_back(std::move(cmd));
    }
    checksum_.Clear();
    for (const CMD_INFO& cmd : list) AppendCommandBytes(checksum_, cmd);
}

bool CCmdsMag::WriteCmdList(StoreDocument& doc) {
    ProfileDocument& profile = doc.Profile();
    checksum_.Clear();
    const auto& list = operation_.cmdList;
    bool written = profile.WriteString("TotalCmdNumbers", "CmdNums",
                                       ini::FormatInt(static_cast<int>(list.size())));
    for (std::size_t k = 0; k < list.size(); ++k) {
        const CMD_INFO& cmd = list[k];
        const std::string section = Indexed(kCommandPrefix, static_cast<int>(k));
        written = profile.WriteString(section, "KeyName", cmd.KeyName) || written;
        written = profile.WriteString(section, "OptType", cmd.OptType) || written;
        written = profile.WriteString(section, "RegName", cmd.RegName) || written;
        written = profile.WriteString(section, "Addr", ini::FormatInt(cmd.Addr)) || written;
        written = profile.WriteString(section, "Data", ini::FormatInt(cmd.Data)) || written;
        AppendCommandBytes(checksum_, cmd);
    }
    return written;
}

bool CCmdsMag::ReadMotionList(StoreDocument& doc, int mode) {
    const char* prefix = MotionSections(mode).entryPrefix;
    return ReadMotionList(doc, mode,
                          [&doc, prefix] { return doc.Profile().NumberedSections({prefix})[0]; });
}

bool CCmdsMag::ReadMotionList(StoreDocument& doc, int mode, const Held& held) {
    ProfileDocument& profile = doc.Profile();
    const MotionNames names = MotionSections(mode);
    auto& list = MotionList(operation_, mode);
    list.clear();
    const int count =
        ReadCount(doc, names.countSection, names.countSection, held, kMaxMotionEntries);
    for (int k = 0; k < count; ++k) {
        const std::string section = Indexed(names.entryPrefix, k);
        MotorListInfo e;
        e.nMotorNums = static_cast<std::uint8_t>(profile.GetInt(section, "nMotorNums", 0));
        e.motorIndex = static_cast<std::uint8_t>(profile.GetInt(section, "motorIndex", 0));
        e.strLedIndx = profile.GetString(section, "strLedIndx", "");
        e.MotonnFrequency = profile.GetInt(section, "MotonnFrequency", 0);
        for (int i = 0; i < controller::kMotorSlots; ++i) {
            e.MotonTabLen[i] = profile.GetInt(section, Slot("MotonTabLen", i), 0);
            e.MotonnMaxSpeed[i] = profile.GetInt(section, Slot("MotonnMaxSpeed", i), 0);
            e.MotonnnMoveLenth[i] = profile.GetInt(section, Slot("MotonnnMoveLenth", i), 0);
            e.MotonnnstrDir[i] = profile.GetString(section, Slot("MotonnnstrDir", i), "");
        }
        AppendMotionBytes(checksum_, e);
        if (e.nMotorNums != 0) list.push_back(std::move(e));
    }
    return count > 0;
}

bool CCmdsMag::WriteMotionList(StoreDocument& doc, int mode) {
    ProfileDocument& profile = doc.Profile();
    const MotionNames names = MotionSections(mode);
    const auto& list = MotionList(operation_, mode);
    // The count is that of the entries written: entries without motors are left out,
    // and counting them would make the next load gather bytes for sections that do not
    // exist and refuse the document's own checksum.
    const auto written = std::count_if(list.begin(), list.end(),
                                       [](const MotorListInfo& e) { return e.nMotorNums != 0; });
    bool ok = profile.WriteString(names.countSection, names.countSection,
                                  ini::FormatInt(static_cast<int>(written)));
    int k = 0;
    for (const MotorListInfo& e : list) {
        if (e.nMotorNums == 0) continue;
        const std::string section = Indexed(names.entryPrefix, k++);
        ok = profile.WriteString(section, "nMotorNums", ini::FormatInt(e.nMotorNums)) || ok;
        ok = profile.WriteString(section, "motorIndex", ini::FormatInt(e.motorIndex)) || ok;
        ok = profile.WriteString(section, "strLedIndx", e.strLedIndx) || ok;
        const std::string frequency = ini::FormatInt(e.MotonnFrequency);
        for (int i = 0; i < controller::kMotorSlots; ++i) {
            ok = profile.WriteString(section, Slot("MotonTabLen", i),
                                     ini::FormatInt(e.MotonTabLen[i])) ||
                 ok;
            ok = profile.WriteString(section, Slot("MotonnMaxSpeed", i),
                                     ini::FormatInt(e.MotonnMaxSpeed[i])) ||
                 ok;
            ok = profile.WriteString(section, Slot("MotonnnMoveLenth", i),
                                     ini::FormatInt(e.MotonnnMoveLenth[i])) ||
                 ok;
            ok = profile.WriteString(section, "MotonnFrequency", frequency) || ok;
            ok = profile.WriteString(section, Slot("MotonnnstrDir", i), e.MotonnnstrDir[i]) || ok;
        }
        AppendMotionBytes(checksum_, e);
    }
    return ok;
}

bool CCmdsMag::ReadMotorState(StoreDocument& doc) {
    ini::CIniFile& ini = doc.Ini();
    MotorSettings& settings = operation_.motorSettings;
    for (const MotorSetting& m : kMotorSettings) {
        Set(settings, m, ini.ReadInt(kMotorSection, m.key, m.defaultValue));
    }
    for (const MotorSetting& m : kMotorSettings) {
        checksum_.Append(static_cast<std::uint8_t>(Get(settings, m)));
    }
    const std::int32_t kept = settings.Multiply;
    const int multiply = ini.ReadInt(kMotorSection, kMultiplyKey, kMultiplyAbsent);
    if (multiply == kMultiplyAbsent) {
        settings.Multiply = kept;
    } else {
        settings.Multiply = multiply;
        checksum_.Append(static_cast<std::uint8_t>(multiply));
    }
    const auto stored = static_cast<std::uint16_t>(ini.ReadInt("AllCmdInfo", "CRC16", 0));
    return stored == 0 || stored == checksum_.Crc();
}

void CCmdsMag::WriteMotorState(StoreDocument& doc) {
    ini::CIniFile& ini = doc.Ini();
    const MotorSettings& settings = operation_.motorSettings;
    for (const MotorSetting& m : kMotorSettings)
        ini.WriteInt(kMotorSection, m.key, Get(settings, m));
    ini.WriteInt(kMotorSection, kMultiplyKey, settings.Multiply);
    for (const MotorSetting& m : kMotorSettings) {
        checksum_.Append(static_cast<std::uint8_t>(Get(settings, m)));
    }
    checksum_.Append(static_cast<std::uint8_t>(settings.Multiply));
    ini.WriteInt("AllCmdInfo", "CRC16", checksum_.Crc());
    ini.WriteString(
        "Language", "Language",
        std::string(controller::LanguageSetting(operation_.language, operation_.otherLanguage)));
}

// ---- single keys and the path store ----

bool CCmdsMag::WriteSingle(const std::string& path, const char* section, const char* key,
                           const std::string& value) {
    StoreDocument doc(ops_);
    if (!doc.OpenForUpdate(path)) return false;
    doc.Profile().WriteString(section, key, value);
    return doc.Commit();
}

std::string CCmdsMag::GetStoredPath(PathKind kind) {
    StoreDocument doc(ops_);
    doc.Open(DefaultDocumentPath(operation_.programFolder));
    return doc.Profile().GetString(StoredPathSection(kind), StoredPathKey(kind), "");
}

bool CCmdsMag::SetStoredPath(const std::string& path, PathKind kind) {
    return WriteSingle(DefaultDocumentPath(operation_.programFolder), StoredPathSection(kind),
                       StoredPathKey(kind), path);
}

bool CCmdsMag::WriteJetType(const std::string& path, std::uint8_t code) {
    return WriteSingle(path, kJetTypeKey.section, kJetTypeKey.key, ini::FormatInt(code));
}

bool CCmdsMag::WriteDpiType(const std::string& path, std::uint8_t code) {
    return WriteSingle(path, kDpiTypeKey.section, kDpiTypeKey.key, ini::FormatInt(code));
}

bool CCmdsMag::WriteFlashSel(const std::string& path, int index) {
    return WriteSingle(path, kFlashSelKey.section, kFlashSelKey.key, ini::FormatInt(index));
}

void CCmdsMag::LoadLanguage(const std::string& path) {
    StoreDocument doc(ops_);
    doc.Open(path);
    const std::string setting =
        doc.Ini().ReadString("Language", "Language", std::string(controller::kChineseSetting));
    operation_.language = controller::LanguageOf(setting);
    operation_.otherLanguage =
        operation_.language == controller::Language::kOther ? setting : std::string();
}

// ---- cleaning file ----

bool CCmdsMag::LoadCleanParams(const std::string& path) {
    StoreDocument doc(ops_);
    doc.Open(path);
    documentTooLarge_ = doc.Ini().TooLarge();
    heldKnownSections_ =
        HoldsAnySection(doc.Profile(), {"PARAMS_CLEAR", "PARAMS_MOMENT", "PARAMS_CLEAR2"});
    return CleanFile::Load(doc.Ini(), operation_.cleanParams, checksum_);
}

bool CCmdsMag::SaveCleanParams(const std::string& path) {
    StoreDocument doc(ops_);
    doc.OpenEmpty(path);
    CleanFile::Save(doc.Ini(), operation_.cleanParams, checksum_);
    return doc.Commit();
}

}  // namespace velmor::commands
