#include "commands/profile_document.h"

#include <algorithm>
#include <cstdint>

#include "ini/text_codec.h"

namespace velmor::commands {
namespace {

using ini::IniLines;
using ini::IniRules;

std::string_view StripQuotes(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v.remove_prefix(1);
        v.remove_suffix(1);
    }
    return v;
}

std::string_view Limit(std::string_view v) {
    return ini::TruncateToGbkBytes(v, ProfileDocument::kMaxString);
}

// The k of a name "<prefix><k>", when the rest of the name is k as the store writes it.
std::optional<long long> NumberAfter(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() ||
        !IniLines::NamesEqual(name.substr(0, prefix.size()), prefix, IniRules::Profile)) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 10 || (digits.size() > 1 && digits.front() == '0')) return std::nullopt;
    long long k = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        k = k * 10 + (c - '0');
    }
    // The store numbers entries with an int below a count that is itself an int.
    if (k >= 0x7FFFFFFF) return std::nullopt;
    return k;
}

void Note(ProfileDocument::Numbered& held, long long k) {
    ++held.count;
    held.highest = std::max(held.highest, k);
}

}  // namespace

bool ProfileDocument::HasSection(std::string_view section) const {
    return lines_.FindSection(section, IniRules::Profile) != IniLines::npos;
}

std::optional<std::string_view> ProfileDocument::FindLine(std::string_view section,
                                                          std::string_view key) const {
    const std::size_t s = lines_.FindSection(section, IniRules::Profile);
    if (s == IniLines::npos) return std::nullopt;
    const IniLines::Entry entry = lines_.FindEntry(s, key, IniRules::Profile);
    if (entry.pos == IniLines::npos) return std::nullopt;
    return entry.line;
}

std::vector<ProfileDocument::Numbered> ProfileDocument::NumberedSections(
    const std::vector<std::string_view>& prefixes) const {
    std::vector<Numbered> held(prefixes.size());
    for (std::size_t s = 0; s < lines_.SectionCount(); ++s) {
        const std::string_view name = IniLines::SectionName(lines_.Header(s), IniRules::Profile);
        for (std::size_t f = 0; f < prefixes.size(); ++f) {
            if (const auto k = NumberAfter(name, prefixes[f])) Note(held[f], *k);
        }
    }
    return held;
}

ProfileDocument::Numbered ProfileDocument::NumberedKeys(std::string_view section,
                                                        std::string_view prefix) const {
    Numbered held;
    const std::size_t s = lines_.FindSection(section, IniRules::Profile);
    if (s == IniLines::npos) return held;
    for (std::string_view line : lines_.Body(s)) {
        const auto key = IniLines::EntryKey(line, IniRules::Profile);
        if (!key) continue;
        if (const auto k = NumberAfter(*key, prefix)) Note(held, *k);
    }
    return held;
}

std::string ProfileDocument::GetString(std::string_view section, std::string_view key,
                                       std::string_view defaultText) const {
    const auto line = FindLine(section, key);
    if (!line) {
        while (!defaultText.empty() && defaultText.back() == ' ') defaultText.remove_suffix(1);
        return std::string(Limit(defaultText));
    }
    return std::string(Limit(StripQuotes(IniLines::EntryValue(*line, IniRules::Profile))));
}

int ProfileDocument::GetInt(std::string_view section, std::string_view key,
                            int defaultValue) const {
    const auto line = FindLine(section, key);
    if (!line) return defaultValue;
    return ParseInt(Limit(StripQuotes(IniLines::EntryValue(*line, IniRules::Profile))),
                    defaultValue);
}

int ProfileDocument::ParseInt(std::string_view text, int defaultValue) {
    if (text.empty()) return defaultValue;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

bool ProfileDocument::WriteString(std::string_view section, std::string_view key,
                                  std::string_view value) {
    const std::string_view sectionName = IniLines::CallerName(section, IniRules::Profile);
    const std::string_view keyName = IniLines::CallerName(key, IniRules::Profile);
    const std::size_t s = lines_.FindSection(sectionName, IniRules::Profile);
    if (s == IniLines::npos) {
        scratch_.assign("[").append(sectionName).append("]");
        const std::size_t headerSize = scratch_.size();
        scratch_.append(keyName).append("=").append(value);
        const std::string_view both = scratch_;
        lines_.AppendSection(both.substr(0, headerSize), both.substr(headerSize));
        return true;
    }
    const IniLines::Entry entry = lines_.FindEntry(s, keyName, IniRules::Profile);
    if (entry.pos != IniLines::npos) {
        scratch_.assign(*IniLines::EntryKey(entry.line, IniRules::Profile)).append("=").append(value);
        lines_.ReplaceLine(s, entry.pos, scratch_);
    } else {
        scratch_.assign(keyName).append("=").append(value);
        lines_.InsertLine(s, lines_.EndOfKeys(s), scratch_);
    }
    return true;
}

}  // namespace velmor::commands
