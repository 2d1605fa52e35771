#pragma once
// The lines of one INI file in memory, grouped by section, with fast look-up.
//
// Two sets of rules read the same lines: the whole-file rules of CIniFile (names
// compared exactly, trimmed of any white space, every non-comment line an entry) and
// the profile rules (ASCII letter case ignored, trimmed of blanks and tabs, only lines
// holding '=' are keys). Both need "the first section of this name" and "the first key
// of this name in it"; on a document of thousands of sections a scan per look-up would
// cost seconds, so sections are found through a hash table, built once per document.
// Documents are read and written section after section: the key lines of the short
// section looked up last are collected in one pass over it (their hashes and where
// they are) and answer its further look-ups, and are kept current as its lines change;
// large sections get a key table of their own. Every change keeps the lines otherwise
// exactly as they were.
//
// What a document costs in memory follows its content, not its line count: all line
// text lives in one buffer, each line followed by '\n' (a line never holds a line end).
// A section whose lines lie one after another in the buffer, as all lines of a loaded
// file do, is kept as the position of its header and its number of lines, so a blank
// line costs its one byte and a section eight bytes more than its text. A long section
// read by position gets the position of every 32nd line; only a section changed in its
// middle gets a table with the position of each line. The hash tables compare names in
// the buffer rather than holding copies of them.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmor::ini {

enum class IniRules { Exact, Profile };

class IniLines;

// Where the line at `offset` of a buffer of lines ends (its '\n'). Most lines are short,
// many empty: the first 32 bytes are tested eight at a time, memchr then takes over.
inline std::size_t LineEndIn(const char* data, std::size_t size, std::size_t offset) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    std::size_t i = offset;
    for (; i + 8 <= size && i < offset + 32; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, data + i, 8);
        const std::uint64_t x = w ^ (kOnes * '\n');
        // The lowest byte marked is the first '\n' (a false mark can only follow a true one).
        const std::uint64_t marks = (x - kOnes) & ~x & kHigh;
        if (marks != 0) return i + static_cast<std::size_t>(std::countr_zero(marks) / 8);
    }
    return static_cast<std::size_t>(
        static_cast<const char*>(std::memchr(data + i, '\n', size - i)) - data);
}

// The preamble or the body of one section, read in place. Valid until the lines change.
class LineRange {
  public:
    class const_iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string_view*;
        using reference = std::string_view;

        const_iterator() = default;
        std::string_view operator*() const {
            return scattered_ ? ScatteredLine() : std::string_view(data_ + offset_, end_ - offset_);
        }
        const_iterator& operator++() {
            if (++index_ < count_ && !scattered_) FindEnd(end_ + 1);
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) {
            return a.index_ == b.index_;
        }

      private:
        friend class LineRange;
        const_iterator(const IniLines* lines, std::size_t block, std::size_t index);
        std::string_view ScatteredLine() const;
        void FindEnd(std::size_t offset) {
            offset_ = offset;
            end_ = LineEndIn(data_, size_, offset);
        }

        const IniLines* lines_ = nullptr;
        std::size_t block_ = 0;
        std::size_t index_ = 0;
        std::size_t count_ = 0;
        bool scattered_ = false;
        // The buffer, and the current line while the body is in the buffer's order.
        const char* data_ = nullptr;
        std::size_t size_ = 0;
        std::size_t offset_ = 0;
        std::size_t end_ = 0;
    };
    using iterator = const_iterator;
    using value_type = std::string_view;
    using size_type = std::size_t;

    std::size_t size() const;
    bool empty() const { return size() == 0; }
    std::string_view operator[](std::size_t i) const;
    const_iterator begin() const { return const_iterator(lines_, block_, 0); }
    const_iterator end() const { return const_iterator(lines_, block_, size()); }

    friend bool operator==(const LineRange& range, const std::vector<std::string>& lines);

  private:
    friend class IniLines;
    LineRange(const IniLines& lines, std::size_t block) : lines_(&lines), block_(block) {}

    const IniLines* lines_;
    std::size_t block_;
};

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
    // The same, working in the buffer of `text` instead of a copy of it.
    void Adopt(std::string text);
    void Clear();
    // Every line followed by CRLF.
    std::string Join() const;
    std::size_t LineCount() const { return lineCount_; }

    // Lines before the first section header: no rules read them.
    LineRange Preamble() const { return LineRange(*this, 0); }
    std::size_t SectionCount() const { return sections_.size(); }
    std::string_view Header(std::size_t section) const;
    LineRange Body(std::size_t section) const;

    // The first section of that name, or npos.
    std::size_t FindSection(std::string_view name, IniRules rules) const;
    // The first entry of a key in a section's body: its position and its line (npos and
    // an empty line when there is none). Valid until the lines change.
    struct Entry {
        std::size_t pos = npos;
        std::string_view line;
    };
    Entry FindEntry(std::size_t section, std::string_view key, IniRules rules) const;
    // The first entry of that key in the section's body, or npos.
    std::size_t FindKey(std::size_t section, std::string_view key, IniRules rules) const {
        return FindEntry(section, key, rules).pos;
    }
    // The body position just after the section's last line holding '=' (0 when none).
    std::size_t EndOfKeys(std::size_t section) const;

    // Line ends inside a new line would split it on disk; they become blanks.
    void ReplaceLine(std::size_t section, std::size_t pos, std::string_view text);
    void InsertLine(std::size_t section, std::size_t pos, std::string_view text);
    // Appends a section with its header and one body line; returns its index.
    std::size_t AppendSection(std::string_view header, std::string_view firstLine);

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
    friend class LineRange;
    friend class LineRange::const_iterator;
    // The preamble is block 0 (it has no header); section s is block s + 1.
    struct Block {
        std::uint32_t header;  // buffer position of the header line
        std::uint32_t count;   // body lines; the top bit marks a body with its own table
    };
    struct Tables;  // line tables of changed sections, and the look-up tables
    // An entry line of a short body: the hash of its key, where the line and its key are.
    struct KeyLine {
        std::uint32_t hash;
        std::uint32_t pos;  // in the body
        std::uint32_t line;
        std::uint32_t lineSize;
        std::uint32_t key;
        std::uint32_t keySize;
    };

    Tables& T() const;
    const Block& B(std::size_t block) const {
        return block == 0 ? preamble_ : sections_[block - 1];
    }
    Block& B(std::size_t block) { return block == 0 ? preamble_ : sections_[block - 1]; }
    std::size_t BlockOf(std::size_t section) const;
    std::size_t Lines(std::size_t block) const;
    bool Scattered(std::size_t block) const;
    std::uint32_t BodyStart(std::size_t block) const;
    std::uint32_t LineOffset(std::size_t block, std::size_t pos) const;
    std::string_view LineAt(std::uint32_t offset) const;
    std::uint32_t LineEnd(std::uint32_t offset) const;  // the '\n' after the line
    std::uint32_t NextLine(std::uint32_t offset) const { return LineEnd(offset) + 1; }
    std::uint32_t Store(std::string_view line);
    bool InBuffer(std::string_view text) const;
    std::vector<std::uint32_t>& Scatter(std::size_t block);
    void AddToSectionTables(std::size_t section) const;
    std::size_t FindSectionIn(Tables& tables, std::string_view wanted, IniRules rules) const;
    // The key lines of a short body, collected when a look-up first comes to it.
    const std::vector<KeyLine>& KeyLines(std::size_t block, IniRules rules) const;
    std::optional<KeyLine> KeyLineOf(std::string_view line, std::size_t pos, IniRules rules) const;
    std::string_view KeyOf(const KeyLine& key) const;
    std::string_view LineOf(const KeyLine& key) const;
    // Keeps the key lines collected for `block` current after its line at `pos` was
    // replaced or inserted; `line` is the new line, as stored.
    void NoteNewLine(std::size_t block, std::size_t pos, std::string_view line, bool inserted);
    // About how many key names a long body holds.
    static std::size_t DistinctKeys(const LineRange& body, IniRules rules);
    // Notes the key of `line`, at `pos` of the block's body, in the block's key table.
    void AddKey(std::size_t block, IniRules rules, std::size_t pos, std::string_view line) const;

    std::string text_;
    Block preamble_;
    std::vector<Block> sections_;
    std::size_t lineCount_ = 0;
    // The block whose lines run in order up to the end of the buffer: a line added at its
    // end is simply appended. npos when there is none.
    std::size_t tail_ = 0;
    mutable std::unique_ptr<Tables> tables_;
};

}  // namespace velmor::ini
