#include "ini/ini_lines.h"

#include <algorithm>

namespace velmor::ini {
namespace {

// Sections up to this many lines are scanned; longer ones get a key map.
constexpr std::size_t kScanLimit = 32;

bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSpaceOnly(char c) { return c == ' '; }

template <typename Pred>
std::string_view Trim(std::string_view s, Pred pred) {
    while (!s.empty() && pred(s.front())) s.remove_prefix(1);
    while (!s.empty() && pred(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view TrimBy(std::string_view s, IniRules rules) {
    return rules == IniRules::Exact ? Trim(s, IsWhite) : Trim(s, IsBlank);
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace

IniLines::IniLines() = default;
IniLines::~IniLines() = default;
IniLines::IniLines(IniLines&&) noexcept = default;
IniLines& IniLines::operator=(IniLines&&) noexcept = default;

void IniLines::Clear() {
    preamble_.clear();
    blocks_.clear();
    exactSections_.reset();
    profileSections_.reset();
}

void IniLines::Assign(std::string_view text) {
    Clear();
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        std::size_t end = i;
        while (end < n && text[end] != '\r' && text[end] != '\n') ++end;
        std::string line(text.substr(i, end - i));
        if (end < n) {
            end += (text[end] == '\r' && end + 1 < n && text[end + 1] == '\n') ? 2 : 1;
        }
        i = end;
        if (IsHeader(line)) {
            blocks_.push_back(Block{std::move(line), {}, {}, {}});
        } else if (blocks_.empty()) {
            preamble_.push_back(std::move(line));
        } else {
            blocks_.back().body.push_back(std::move(line));
        }
    }
}

std::string IniLines::Join() const {
    std::size_t size = 0;
    for (const auto& l : preamble_) size += l.size() + 2;
    for (const auto& b : blocks_) {
        size += b.header.size() + 2;
        for (const auto& l : b.body) size += l.size() + 2;
    }
    std::string out;
    out.reserve(size);
    auto put = [&out](const std::string& l) {
        out += l;
        out += "\r\n";
    };
    for (const auto& l : preamble_) put(l);
    for (const auto& b : blocks_) {
        put(b.header);
        for (const auto& l : b.body) put(l);
    }
    return out;
}

std::size_t IniLines::LineCount() const {
    std::size_t count = preamble_.size();
    for (const auto& b : blocks_) count += 1 + b.body.size();
    return count;
}

const std::string& IniLines::Header(std::size_t section) const {
    return blocks_.at(section).header;
}

const std::vector<std::string>& IniLines::Body(std::size_t section) const {
    return blocks_.at(section).body;
}

// ---- grammar ----

bool IniLines::IsHeader(std::string_view line) {
    const std::string_view s = Trim(line, IsWhite);
    return !s.empty() && s.front() == '[';
}

std::string_view IniLines::SectionName(std::string_view header, IniRules rules) {
    std::string_view s = Trim(header, IsWhite);
    if (s.empty() || s.front() != '[') return {};
    s.remove_prefix(1);
    const std::size_t close = s.find(']');
    if (close != std::string_view::npos) s = s.substr(0, close);
    return TrimBy(s, rules);
}

std::optional<std::string_view> IniLines::EntryKey(std::string_view line, IniRules rules) {
    const std::string_view s = TrimBy(line, rules);
    if (s.empty() || s.front() == ';') return std::nullopt;
    const std::size_t eq = s.find('=');
    if (eq == std::string_view::npos) {
        if (rules == IniRules::Profile) return std::nullopt;
        return s;
    }
    return TrimBy(s.substr(0, eq), rules);
}

std::string_view IniLines::EntryValue(std::string_view line, IniRules rules) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    return TrimBy(line.substr(eq + 1), rules);
}

std::string_view IniLines::CallerName(std::string_view name, IniRules rules) {
    return rules == IniRules::Exact ? Trim(name, IsWhite) : Trim(name, IsSpaceOnly);
}

bool IniLines::NamesEqual(std::string_view a, std::string_view b, IniRules rules) {
    if (a.size() != b.size()) return false;
    if (rules == IniRules::Exact) return a == b;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

std::string IniLines::MapKey(std::string_view name, IniRules rules) {
    std::string key(name);
    if (rules == IniRules::Profile) {
        // Bytes of multi-byte characters are all >= 0x80 in memory (UTF-8), so folding
        // ASCII letters never touches part of a Chinese character.
        for (char& c : key) c = Lower(c);
    }
    return key;
}

// ---- look-up ----

void IniLines::IndexSections(IniRules rules) const {
    auto& map = rules == IniRules::Exact ? exactSections_ : profileSections_;
    if (map) return;
    map = std::make_unique<std::unordered_map<std::string, std::size_t>>();
    map->reserve(blocks_.size());
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        map->try_emplace(MapKey(SectionName(blocks_[i].header, rules), rules), i);
    }
}

std::size_t IniLines::FindSection(std::string_view name, IniRules rules) const {
    IndexSections(rules);
    const auto& map = rules == IniRules::Exact ? *exactSections_ : *profileSections_;
    const auto it = map.find(MapKey(CallerName(name, rules), rules));
    return it == map.end() ? npos : it->second;
}

IniLines::KeyIndex& IniLines::Index(const Block& block, IniRules rules) const {
    KeyIndex& index = rules == IniRules::Exact ? block.exact : block.profile;
    if (!index.built) {
        index.first.reserve(block.body.size());
        for (std::size_t i = 0; i < block.body.size(); ++i) {
            if (const auto key = EntryKey(block.body[i], rules)) {
                index.first.try_emplace(MapKey(*key, rules), i);
                index.maxPos = i;
            }
        }
        index.built = true;
    }
    return index;
}

std::size_t IniLines::FindKey(std::size_t section, std::string_view key, IniRules rules) const {
    if (section >= blocks_.size()) return npos;
    const Block& block = blocks_[section];
    const std::string_view wanted = CallerName(key, rules);
    if (block.body.size() <= kScanLimit) {
        for (std::size_t i = 0; i < block.body.size(); ++i) {
            const auto k = EntryKey(block.body[i], rules);
            if (k && NamesEqual(*k, wanted, rules)) return i;
        }
        return npos;
    }
    const KeyIndex& index = Index(block, rules);
    const auto it = index.first.find(MapKey(wanted, rules));
    return it == index.first.end() ? npos : it->second;
}

std::size_t IniLines::EndOfKeys(std::size_t section) const {
    const auto& body = blocks_.at(section).body;
    for (std::size_t i = body.size(); i > 0; --i) {
        if (EntryKey(body[i - 1], IniRules::Profile)) return i;
    }
    return 0;
}

// ---- changes ----

void IniLines::ReplaceLine(std::size_t section, std::size_t pos, std::string text) {
    Block& block = blocks_.at(section);
    std::string& line = block.body.at(pos);
    text = OneLine(std::move(text));
    for (IniRules rules : {IniRules::Exact, IniRules::Profile}) {
        KeyIndex& index = rules == IniRules::Exact ? block.exact : block.profile;
        if (!index.built) continue;
        const auto before = EntryKey(line, rules);
        const auto after = EntryKey(text, rules);
        const bool same = before.has_value() == after.has_value() &&
                          (!before || MapKey(*before, rules) == MapKey(*after, rules));
        if (!same) index.Reset();
    }
    line = std::move(text);
}

void IniLines::InsertLine(std::size_t section, std::size_t pos, std::string text) {
    Block& block = blocks_.at(section);
    pos = std::min(pos, block.body.size());
    text = OneLine(std::move(text));
    for (IniRules rules : {IniRules::Exact, IniRules::Profile}) {
        KeyIndex& index = rules == IniRules::Exact ? block.exact : block.profile;
        if (!index.built) continue;
        if (!index.first.empty() && index.maxPos >= pos) {
            for (auto& entry : index.first) {
                if (entry.second >= pos) ++entry.second;
            }
            ++index.maxPos;
        }
        if (const auto key = EntryKey(text, rules)) {
            auto [it, added] = index.first.try_emplace(MapKey(*key, rules), pos);
            if (!added && it->second > pos) it->second = pos;
            index.maxPos = std::max(index.maxPos, pos);
        }
    }
    block.body.insert(block.body.begin() + static_cast<std::ptrdiff_t>(pos), std::move(text));
}

std::size_t IniLines::AppendSection(std::string header, std::string firstLine) {
    const std::size_t index = blocks_.size();
    blocks_.push_back(Block{OneLine(std::move(header)), {OneLine(std::move(firstLine))}, {}, {}});
    for (IniRules rules : {IniRules::Exact, IniRules::Profile}) {
        auto& map = rules == IniRules::Exact ? exactSections_ : profileSections_;
        if (map) map->try_emplace(MapKey(SectionName(blocks_[index].header, rules), rules), index);
    }
    return index;
}

}  // namespace velmor::ini
