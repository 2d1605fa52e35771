#pragma once
// The lines of one INI file in memory, grouped by section, with fast look-up.
//
// Two sets of rules read the same lines: the whole-file rules of CIniFile (names
// compared exactly, trimmed of any white space, every non-comment line an entry) and
// the profile rules (ASCII letter case ignored, trimmed of blanks and tabs, only lines
// holding '=' are keys). Both need "the first section of this name" and "the first key
// of this name in it"; on a document of thousands of sections a scan per look-up would
// cost seconds, so sections are found through a map and large sections get a key map.
// Every change keeps the lines otherwise exactly as they were.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmor::ini {

enum class IniRules { Exact, Profile };

class IniLines {
  public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    IniLines();
    ~IniLines();
    IniLines(IniLines&&) noexcept;
    IniLines& operator=(IniLines&&) noexcept;
    IniLines(const IniLines&) = delete;
    IniLines& operator=(const IniLines&) = delete;

    // Splits text at CRLF, LF and lone CR; a final line end adds no empty line.
    void Assign(std::string_view text);
    void Clear();
    // Every line followed by CRLF.
    std::string Join() const;
    std::size_t LineCount() const;

    // Lines before the first section header: no rules read them.
    const std::vector<std::string>& Preamble() const { return preamble_; }
    std::size_t SectionCount() const { return blocks_.size(); }
    const std::string& Header(std::size_t section) const;
    const std::vector<std::string>& Body(std::size_t section) const;

    // The first section of that name, or npos.
    std::size_t FindSection(std::string_view name, IniRules rules) const;
    // The first entry of that key in the section's body, or npos.
    std::size_t FindKey(std::size_t section, std::string_view key, IniRules rules) const;
    // The body position just after the section's last line holding '=' (0 when none).
    std::size_t EndOfKeys(std::size_t section) const;

    // Line ends inside a new line would split it on disk; they become blanks.
    void ReplaceLine(std::size_t section, std::size_t pos, std::string text);
    void InsertLine(std::size_t section, std::size_t pos, std::string text);
    // Appends a section with its header and one body line; returns its index.
    std::size_t AppendSection(std::string header, std::string firstLine);

    // ---- the line grammar ----
    static bool IsHeader(std::string_view line);
    static std::string_view SectionName(std::string_view header, IniRules rules);
    // The key of an entry line, or nothing for empty and comment lines (and, under the
    // profile rules, lines without '=').
    static std::optional<std::string_view> EntryKey(std::string_view line, IniRules rules);
    static std::string_view EntryValue(std::string_view line, IniRules rules);
    // A name as the caller passes it, trimmed as the rules say.
    static std::string_view CallerName(std::string_view name, IniRules rules);
    static bool NamesEqual(std::string_view a, std::string_view b, IniRules rules);

  private:
    // The first body position of each key, built on the first look-up in a long section
    // and kept current by the changes.
    struct KeyIndex {
        bool built = false;
        std::unordered_map<std::string, std::size_t> first;
        std::size_t maxPos = 0;  // the largest position held in `first`

        void Reset() {
            built = false;
            first.clear();
            maxPos = 0;
        }
    };
    struct Block {
        std::string header;
        std::vector<std::string> body;
        mutable KeyIndex exact;
        mutable KeyIndex profile;
    };

    static std::string MapKey(std::string_view name, IniRules rules);
    void IndexSections(IniRules rules) const;
    KeyIndex& Index(const Block& block, IniRules rules) const;

    std::vector<std::string> preamble_;
    std::vector<Block> blocks_;
    mutable std::unique_ptr<std::unordered_map<std::string, std::size_t>> exactSections_;
    mutable std::unique_ptr<std::unordered_map<std::string, std::size_t>> profileSections_;
};

}  // namespace velmor::ini
