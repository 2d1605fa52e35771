#include "ini/ini_file.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "files/text_file_writer.h"
#include "files/utf8_path.h"
#include "ini/text_codec.h"
#include "ini/text_number.h"

namespace velmor::ini {

using files::FileOps;
using files::TextFileWriter;

CIniFile::CIniFile(FileOps& ops) : ops_(ops) {}

CIniFile::~CIniFile() = default;

bool CIniFile::Load() {
    std::string text;
    tooLarge_ = false;
    if (!ops_.ReadAll(path_, text)) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(files::PathFromUtf8(path_), ec);
        tooLarge_ = !ec && size > static_cast<std::uintmax_t>(FileOps::kMaxReadBytes);
        loaded_ = false;
        return false;
    }
    // The lines are made in the decoded buffer itself: the file's bytes are not kept
    // beside a copy of them.
    if (!DecodeGbkInPlace(text, kMaxTextBytes)) {
        tooLarge_ = true;
        loaded_ = false;
        return false;
    }
    lines_.Adopt(std::move(text));
    loaded_ = true;
    return true;
}

bool CIniFile::Save() {
    std::string bytes = lines_.Join();
    EncodeGbkInPlace(bytes);
    loaded_ = TextFileWriter(ops_).Replace(path_, bytes);
    return loaded_;
}

void CIniFile::Reset() {
    lines_.Clear();
    loaded_ = true;
}

std::string CIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultText) const {
    if (!loaded_) return defaultText;
    const std::size_t s = lines_.FindSection(section, IniRules::Exact);
    if (s == IniLines::npos) return defaultText;
    const IniLines::Entry entry = lines_.FindEntry(s, key, IniRules::Exact);
    if (entry.pos == IniLines::npos) return defaultText;
    return std::string(IniLines::EntryValue(entry.line, IniRules::Exact));
}

int CIniFile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const {
    return ParseCInt(ReadString(section, key, FormatInt(defaultValue)));
}

double CIniFile::ReadDouble(const std::string& section, const std::string& key,
                            double defaultValue) const {
    return ParseCDouble(ReadString(section, key, FormatDouble(defaultValue)));
}

void CIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    const std::size_t s = lines_.FindSection(section, IniRules::Exact);
    if (s == IniLines::npos) {
        lines_.AppendSection("[" + section + "]", key + " = " + value);
        return;
    }
    const std::size_t k = lines_.FindKey(s, key, IniRules::Exact);
    if (k != IniLines::npos) {
        lines_.ReplaceLine(s, k, key + " = " + value);
    } else {
        // The last line of the section: just before the next header.
        lines_.InsertLine(s, lines_.Body(s).size(), key + "=" + value);
    }
}

void CIniFile::WriteInt(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, FormatInt(value));
}

void CIniFile::WriteDouble(const std::string& section, const std::string& key, double value) {
    WriteString(section, key, FormatDouble(value));
}

}  // namespace velmor::ini
