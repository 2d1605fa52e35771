#include "ini/ini_lines.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <unordered_map>

#include "ini/name_hash.h"
#include "ini/slot_table.h"

namespace velmor::ini {
namespace {

// A body up to this many lines has its key lines collected in one pass when a look-up
// first comes to it; they serve the look-ups that follow, until one goes to another body
// (documents are read and written section after section). Longer bodies are scanned
// until the lines scanned in them add up to their length, and then get a key table: a
// single look-up near the top of a long section costs no table, many look-ups cost one.
constexpr std::size_t kShortBody = 64;
// In a long body kept in the buffer's order, every kMarkStep-th line position is noted.
constexpr std::size_t kMarkStep = 32;
constexpr std::uint32_t kNoHeader = 0xFFFFFFFF;
constexpr std::uint32_t kScatteredBit = 0x80000000;
// Buffer positions and line counts are 32-bit (the top bit of a count is a flag).
constexpr std::size_t kMaxText = 0x7FFFFFFF;

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

int RuleIndex(IniRules rules) { return rules == IniRules::Exact ? 0 : 1; }

// The first CR or LF at or after `from`, or `size`: eight bytes are tested at a time.
std::size_t LineBreakIn(const char* data, std::size_t size, std::size_t from) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    std::size_t i = from;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, data + i, 8);
        const std::uint64_t cr = w ^ (kOnes * '\r');
        const std::uint64_t lf = w ^ (kOnes * '\n');
        // The lowest byte marked is the first that equals one of them (a false mark can
        // only follow a true one).
        const std::uint64_t marks = ((cr - kOnes) & ~cr & kHigh) | ((lf - kOnes) & ~lf & kHigh);
        if (marks != 0) return i + static_cast<std::size_t>(std::countr_zero(marks) / 8);
    }
    while (i < size && data[i] != '\r' && data[i] != '\n') ++i;
    return i;
}

// Under the profile rules ASCII letters are folded, as the names compare.
std::uint32_t HashBy(std::string_view name, IniRules rules) {
    return NameHash(name, rules == IniRules::Profile);
}

}  // namespace

struct IniLines::Tables {
    // Line positions of the bodies changed in their middle, by block.
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> scattered;
    // Every kMarkStep-th line position of long bodies in the buffer's order, by block.
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> marks;

    // Sections: the first of each name under the profile rules, which also answers the
    // exact rules for most names (an exact match is a profile match when blanks are all
    // the white space around the name). The sections it cannot answer for, a later
    // spelling in other letter case or a name with other white space at its ends, go
    // into a second table, the first of each exact name.
    bool sectionsBuilt = false;
    SlotTable profileSections;
    SlotTable exactOthers;
    // The last section looked up under each set of rules: reads come key after key of one
    // section. A new section can only change a look-up that found nothing.
    struct Memo {
        bool valid = false;
        std::string name;
        std::size_t section = npos;
    };
    Memo last[2];

    // Short bodies: the key lines of the body looked up last, under each set of rules,
    // in body order (so the first match is the first entry of its key).
    struct Recent {
        std::size_t block = npos;
        std::vector<KeyLine> keys;
    };
    Recent recent[2];

    // Long bodies: the first position of each key, by block, under each set of rules.
    struct Keys {
        std::size_t scanned = 0;  // lines scanned by look-ups before the table was built
        bool built = false;
        SlotTable table;
        std::size_t maxPos = 0;  // the largest position held in the table
    };
    std::unordered_map<std::uint32_t, Keys> keys[2];
};

IniLines::IniLines() : preamble_{kNoHeader, 0} {}
IniLines::~IniLines() = default;

IniLines::IniLines(IniLines&& other) noexcept
    : text_(std::move(other.text_)),
      preamble_(other.preamble_),
      sections_(std::move(other.sections_)),
      lineCount_(other.lineCount_),
      tail_(other.tail_),
      tables_(std::move(other.tables_)) {
    other.Clear();
}

IniLines& IniLines::operator=(IniLines&& other) noexcept {
    if (this != &other) {
        text_ = std::move(other.text_);
        preamble_ = other.preamble_;
        sections_ = std::move(other.sections_);
        lineCount_ = other.lineCount_;
        tail_ = other.tail_;
        tables_ = std::move(other.tables_);
        other.Clear();
    }
    return *this;
}

IniLines::Tables& IniLines::T() const {
    if (!tables_) tables_ = std::make_unique<Tables>();
    return *tables_;
}

void IniLines::Clear() {
    std::string().swap(text_);
    std::vector<Block>().swap(sections_);
    preamble_ = Block{kNoHeader, 0};
    lineCount_ = 0;
    tail_ = 0;
    tables_.reset();
}

void IniLines::Assign(std::string_view text) { Adopt(std::string(text)); }

void IniLines::Adopt(std::string text) {
    Clear();
    if (text.size() >= kMaxText) throw std::length_error("INI text too long");
    text_ = std::move(text);
    // Every header holds a '[': an upper bound that spares regrowing a long section list
    // (what is reserved and never written takes no memory).
    std::size_t brackets = 0;
    const char* const end = text_.data() + text_.size();
    const char* p = text_.data();
    while ((p = static_cast<const char*>(std::memchr(p, '[', static_cast<std::size_t>(end - p))))) {
        ++brackets;
        ++p;
    }
    sections_.reserve(brackets);
    // Each line is moved down to its place with a single '\n' after it; a line end
    // takes one or two bytes, so the writing never overtakes the reading.
    char* d = text_.data();
    const std::size_t n = text_.size();
    std::size_t r = 0;
    std::size_t w = 0;
    bool lastOpen = false;
    while (r < n) {
        const std::size_t end = LineBreakIn(d, n, r);
        std::size_t next = end;
        if (end < n) next += (d[end] == '\r' && end + 1 < n && d[end + 1] == '\n') ? 2 : 1;
        const std::size_t len = end - r;
        if (w != r) std::memmove(d + w, d + r, len);
        const std::size_t start = w;
        w += len;
        if (end < n) {
            d[w++] = '\n';
        } else {
            lastOpen = true;
        }
        if (IsHeader(std::string_view(d + start, len))) {
            sections_.push_back(Block{static_cast<std::uint32_t>(start), 0});
        } else {
            ++(sections_.empty() ? preamble_ : sections_.back()).count;
        }
        ++lineCount_;
        r = next;
    }
    text_.resize(w);
    if (lastOpen) text_.push_back('\n');
    tail_ = sections_.size();
}

std::string IniLines::Join() const {
    // Each line in the buffer is followed by one '\n' and no two lines share their
    // bytes; joined, each is followed by two bytes: the buffer's size plus one byte a
    // line holds them all.
    std::string out(text_.size() + lineCount_, '\0');
    char* w = out.data();
    const auto put = [&w](std::string_view line) {
        std::memcpy(w, line.data(), line.size());
        w += line.size();
        *w++ = '\r';
        *w++ = '\n';
    };
    for (std::size_t b = 0; b <= sections_.size(); ++b) {
        if (b > 0) put(LineAt(B(b).header));
        for (std::string_view line : LineRange(*this, b)) put(line);
    }
    out.resize(static_cast<std::size_t>(w - out.data()));
    return out;
}

std::string_view IniLines::Header(std::size_t section) const {
    return LineAt(B(BlockOf(section)).header);
}

LineRange IniLines::Body(std::size_t section) const { return LineRange(*this, BlockOf(section)); }

// ---- the buffer ----

std::size_t IniLines::BlockOf(std::size_t section) const {
    if (section >= sections_.size()) throw std::out_of_range("IniLines: no such section");
    return section + 1;
}

std::size_t IniLines::Lines(std::size_t block) const { return B(block).count & ~kScatteredBit; }

bool IniLines::Scattered(std::size_t block) const { return (B(block).count & kScatteredBit) != 0; }

std::uint32_t IniLines::BodyStart(std::size_t block) const {
    return block == 0 ? 0 : NextLine(B(block).header);
}

std::uint32_t IniLines::LineEnd(std::uint32_t offset) const {
    return static_cast<std::uint32_t>(LineEndIn(text_.data(), text_.size(), offset));
}

std::string_view IniLines::LineAt(std::uint32_t offset) const {
    return std::string_view(text_.data() + offset, LineEnd(offset) - offset);
}

std::uint32_t IniLines::LineOffset(std::size_t block, std::size_t pos) const {
    if (Scattered(block)) return T().scattered.at(static_cast<std::uint32_t>(block))[pos];
    std::uint32_t offset = BodyStart(block);
    if (pos >= kMarkStep) {
        std::vector<std::uint32_t>& marks = T().marks[static_cast<std::uint32_t>(block)];
        if (marks.empty()) {
            const std::size_t n = Lines(block);
            marks.reserve(n / kMarkStep + 1);
            for (std::size_t i = 0; i < n; ++i, offset = NextLine(offset)) {
                if (i % kMarkStep == 0) marks.push_back(offset);
            }
        }
        offset = marks[pos / kMarkStep];
        pos %= kMarkStep;
    }
    for (; pos > 0; --pos) offset = NextLine(offset);
    return offset;
}

std::uint32_t IniLines::Store(std::string_view line) {
    if (text_.size() + line.size() + 1 >= kMaxText) throw std::length_error("INI text too long");
    // (Appending copies a line taken from the buffer itself before the buffer moves.)
    const auto offset = static_cast<std::uint32_t>(text_.size());
    text_.append(line);
    text_.push_back('\n');
    // Line ends inside a new line would split it on disk; they become blanks.
    char* const stored = text_.data() + offset;
    if (std::memchr(stored, '\r', line.size()) || std::memchr(stored, '\n', line.size())) {
        std::replace_if(
            stored, stored + line.size(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    }
    return offset;
}

bool IniLines::InBuffer(std::string_view text) const {
    const std::less_equal<const char*> notAfter;
    return !text.empty() && notAfter(text_.data(), text.data()) &&
           notAfter(text.data(), text_.data() + text_.size());
}

std::vector<std::uint32_t>& IniLines::Scatter(std::size_t block) {
    Tables& t = T();
    const auto key = static_cast<std::uint32_t>(block);
    if (Scattered(block)) return t.scattered.at(key);
    std::vector<std::uint32_t> offsets;
    offsets.reserve(Lines(block));
    std::uint32_t offset = BodyStart(block);
    for (std::size_t i = 0; i < Lines(block); ++i, offset = NextLine(offset)) {
        offsets.push_back(offset);
    }
    t.marks.erase(key);
    B(block).count |= kScatteredBit;
    return t.scattered[key] = std::move(offsets);
}

// ---- LineRange ----

LineRange::const_iterator::const_iterator(const IniLines* lines, std::size_t block,
                                          std::size_t index)
    : lines_(lines),
      block_(block),
      index_(index),
      count_(lines->Lines(block)),
      scattered_(lines->Scattered(block)),
      data_(lines->text_.data()),
      size_(lines->text_.size()) {
    if (index_ < count_ && !scattered_) FindEnd(lines_->LineOffset(block_, index_));
}

std::string_view LineRange::const_iterator::ScatteredLine() const {
    return lines_->LineAt(lines_->LineOffset(block_, index_));
}

std::size_t LineRange::size() const { return lines_->Lines(block_); }

std::string_view LineRange::operator[](std::size_t i) const {
    if (i >= size()) throw std::out_of_range("IniLines: no such line");
    return lines_->LineAt(lines_->LineOffset(block_, i));
}

bool operator==(const LineRange& range, const std::vector<std::string>& lines) {
    if (range.size() != lines.size()) return false;
    return std::equal(range.begin(), range.end(), lines.begin());
}

// ---- grammar ----

bool IniLines::IsHeader(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && IsWhite(line[i])) ++i;
    return i < line.size() && line[i] == '[';
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
    return rules == IniRules::Exact ? a == b : EqualFolded(a, b);
}

// ---- look-up ----

void IniLines::AddToSectionTables(std::size_t section) const {
    Tables& t = *tables_;
    const std::string_view header = Header(section);
    const std::string_view profileName = SectionName(header, IniRules::Profile);
    const std::string_view exactName = SectionName(header, IniRules::Exact);
    const std::uint32_t* head =
        t.profileSections.Find(HashBy(profileName, IniRules::Profile), [&](std::uint32_t s) {
            return NamesEqual(SectionName(Header(s), IniRules::Profile), profileName,
                              IniRules::Profile);
        });
    bool other = profileName != exactName;
    if (head) {
        other = other || SectionName(Header(*head), IniRules::Exact) != exactName;
    } else {
        t.profileSections.Add(HashBy(profileName, IniRules::Profile),
                              static_cast<std::uint32_t>(section));
    }
    if (!other) return;
    const std::uint32_t hash = HashBy(exactName, IniRules::Exact);
    const bool known = t.exactOthers.Find(hash, [&](std::uint32_t s) {
        return SectionName(Header(s), IniRules::Exact) == exactName;
    }) != nullptr;
    if (!known) t.exactOthers.Add(hash, static_cast<std::uint32_t>(section));
}

std::size_t IniLines::FindSection(std::string_view name, IniRules rules) const {
    Tables& t = T();
    if (!t.sectionsBuilt) {
        t.profileSections.Reserve(sections_.size());
        for (std::size_t s = 0; s < sections_.size(); ++s) AddToSectionTables(s);
        t.sectionsBuilt = true;
    }
    const std::string_view wanted = CallerName(name, rules);
    Tables::Memo& memo = t.last[RuleIndex(rules)];
    if (memo.valid && memo.name == wanted) return memo.section;
    memo.valid = true;
    memo.name.assign(wanted);
    memo.section = FindSectionIn(t, wanted, rules);
    return memo.section;
}

std::size_t IniLines::FindSectionIn(Tables& t, std::string_view wanted, IniRules rules) const {
    const std::uint32_t* head =
        t.profileSections.Find(HashBy(wanted, IniRules::Profile), [&](std::uint32_t s) {
            return NamesEqual(SectionName(Header(s), IniRules::Profile), wanted, IniRules::Profile);
        });
    if (rules == IniRules::Profile) return head ? *head : npos;
    std::size_t found = npos;
    if (head && SectionName(Header(*head), IniRules::Exact) == wanted) found = *head;
    const std::uint32_t* other = t.exactOthers.Find(
        HashBy(wanted, IniRules::Exact),
        [&](std::uint32_t s) { return SectionName(Header(s), IniRules::Exact) == wanted; });
    if (other) found = std::min<std::size_t>(found, *other);
    return found;
}

void IniLines::AddKey(std::size_t block, IniRules rules, std::size_t pos,
                      std::string_view line) const {
    const auto key = EntryKey(line, rules);
    if (!key) return;
    Tables::Keys& keys = T().keys[RuleIndex(rules)].at(static_cast<std::uint32_t>(block));
    const std::uint32_t hash = HashBy(*key, rules);
    std::uint32_t* first = keys.table.Find(hash, [&](std::uint32_t p) {
        const auto k = EntryKey(LineAt(LineOffset(block, p)), rules);
        return k && NamesEqual(*k, *key, rules);
    });
    if (!first) {
        keys.table.Add(hash, static_cast<std::uint32_t>(pos));
    } else if (*first > pos) {
        *first = static_cast<std::uint32_t>(pos);
    }
    keys.maxPos = std::max(keys.maxPos, pos);
}

std::size_t IniLines::DistinctKeys(const LineRange& body, IniRules rules) {
    // The table is sized before it is filled, so that it never grows in steps (a step
    // holds the old table beside the new): by the number of key names, estimated from how
    // many bits of a map of at least one bit a line their hashes leave unset. A body of
    // few keys among many other lines, or of one key repeated a million times, gets a
    // small table; a body of distinct keys one as large as their count. Should the
    // estimate come out short, the table still grows.
    const std::size_t bits = std::bit_ceil(std::max<std::size_t>(body.size(), 64));
    std::vector<std::uint64_t> map(bits / 64);
    std::size_t count = 0;
    for (std::string_view line : body) {
        const auto key = EntryKey(line, rules);
        if (!key) continue;
        ++count;
        const std::uint32_t bit = HashBy(*key, rules) & static_cast<std::uint32_t>(bits - 1);
        map[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    std::size_t unset = bits;
    for (const std::uint64_t word : map) unset -= static_cast<std::size_t>(std::popcount(word));
    if (unset == 0) return count;
    const double estimate =
        static_cast<double>(bits) * std::log(static_cast<double>(bits) / static_cast<double>(unset));
    return std::min(count, static_cast<std::size_t>(estimate * 1.05) + 16);
}

std::optional<IniLines::KeyLine> IniLines::KeyLineOf(std::string_view line, std::size_t pos,
                                                     IniRules rules) const {
    const auto key = EntryKey(line, rules);
    if (!key) return std::nullopt;
    const auto at = [this](const char* p) { return static_cast<std::uint32_t>(p - text_.data()); };
    return KeyLine{HashBy(*key, rules),
                   static_cast<std::uint32_t>(pos),
                   at(line.data()),
                   static_cast<std::uint32_t>(line.size()),
                   key->empty() ? at(line.data()) : at(key->data()),
                   static_cast<std::uint32_t>(key->size())};
}

std::string_view IniLines::KeyOf(const KeyLine& key) const {
    return std::string_view(text_.data() + key.key, key.keySize);
}

std::string_view IniLines::LineOf(const KeyLine& key) const {
    return std::string_view(text_.data() + key.line, key.lineSize);
}

const std::vector<IniLines::KeyLine>& IniLines::KeyLines(std::size_t block, IniRules rules) const {
    Tables::Recent& recent = T().recent[RuleIndex(rules)];
    if (recent.block == block) return recent.keys;
    recent.block = block;
    recent.keys.clear();
    std::size_t pos = 0;
    for (const std::string_view line : LineRange(*this, block)) {
        if (const auto key = KeyLineOf(line, pos, rules)) recent.keys.push_back(*key);
        ++pos;
    }
    return recent.keys;
}

IniLines::Entry IniLines::FindEntry(std::size_t section, std::string_view key,
                                    IniRules rules) const {
    if (section >= sections_.size()) return {};
    const std::size_t block = section + 1;
    const std::string_view wanted = CallerName(key, rules);
    const LineRange body(*this, block);
    if (body.size() <= kShortBody) {
        const std::uint32_t hash = HashBy(wanted, rules);
        for (const KeyLine& k : KeyLines(block, rules)) {
            if (k.hash == hash && NamesEqual(KeyOf(k), wanted, rules)) return {k.pos, LineOf(k)};
        }
        return {};
    }
    Tables::Keys& keys = T().keys[RuleIndex(rules)][static_cast<std::uint32_t>(block)];
    if (!keys.built && keys.scanned < body.size()) {
        std::size_t i = 0;
        for (std::string_view line : body) {
            const auto k = EntryKey(line, rules);
            if (k && NamesEqual(*k, wanted, rules)) {
                keys.scanned += i + 1;
                return {i, line};
            }
            ++i;
        }
        keys.scanned += body.size();
        return {};
    }
    if (!keys.built) {
        keys.table.Reserve(DistinctKeys(body, rules));
        keys.built = true;
        std::size_t i = 0;
        for (std::string_view line : body) AddKey(block, rules, i++, line);
    }
    Entry found;
    keys.table.Find(HashBy(wanted, rules), [&](std::uint32_t p) {
        const std::string_view line = LineAt(LineOffset(block, p));
        const auto k = EntryKey(line, rules);
        if (!k || !NamesEqual(*k, wanted, rules)) return false;
        found = {p, line};
        return true;
    });
    return found;
}

std::size_t IniLines::EndOfKeys(std::size_t section) const {
    const std::size_t block = BlockOf(section);
    const std::size_t n = Lines(block);
    if (n == 0) return 0;
    // The key lines of the body just looked up answer at once (a new key is looked up
    // before it is added).
    if (tables_ && tables_->recent[RuleIndex(IniRules::Profile)].block == block) {
        const std::vector<KeyLine>& keys = tables_->recent[RuleIndex(IniRules::Profile)].keys;
        return keys.empty() ? 0 : keys.back().pos + 1;
    }
    // From the end backwards: new keys go to the end of a section, one after another.
    const std::uint32_t start = Scattered(block) ? 0 : BodyStart(block);
    std::uint32_t offset = LineOffset(block, n - 1);
    for (std::size_t i = n; i > 0; --i) {
        if (EntryKey(LineAt(offset), IniRules::Profile)) return i;
        if (i == 1) break;
        if (Scattered(block)) {
            offset = LineOffset(block, i - 2);
        } else {
            // The line before ends just before this one starts.
            offset -= 1;
            while (offset > start && text_[offset - 1] != '\n') --offset;
        }
    }
    return 0;
}

// ---- changes ----

void IniLines::NoteNewLine(std::size_t block, std::size_t pos, std::string_view line,
                           bool inserted) {
    if (!tables_) return;
    for (IniRules rules : {IniRules::Exact, IniRules::Profile}) {
        Tables::Recent& recent = tables_->recent[RuleIndex(rules)];
        if (recent.block != block) continue;
        if (Lines(block) > kShortBody) {
            // Now a long body: its look-ups take the long way.
            recent.block = npos;
            recent.keys.clear();
            continue;
        }
        std::vector<KeyLine>& keys = recent.keys;
        auto at = std::lower_bound(keys.begin(), keys.end(), pos,
                                   [](const KeyLine& k, std::size_t p) { return k.pos < p; });
        if (inserted) {
            for (auto it = at; it != keys.end(); ++it) ++it->pos;
        } else if (at != keys.end() && at->pos == pos) {
            at = keys.erase(at);
        }
        if (const auto key = KeyLineOf(line, pos, rules)) keys.insert(at, *key);
    }
}

void IniLines::ReplaceLine(std::size_t section, std::size_t pos, std::string_view text) {
    const std::size_t block = BlockOf(section);
    if (pos >= Lines(block)) throw std::out_of_range("IniLines: no such line");
    const std::uint32_t old = LineOffset(block, pos);
    const std::uint32_t offset = Store(text);
    if (tables_) {
        for (IniRules rules : {IniRules::Exact, IniRules::Profile}) {
            auto& byBlock = tables_->keys[RuleIndex(rules)];
            const auto it = byBlock.find(static_cast<std::uint32_t>(block));
            if (it == byBlock.end() || !it->second.built) continue;
            const auto before = EntryKey(LineAt(old), rules);
            const auto after = EntryKey(LineAt(offset), rules);
            const bool same = before.has_value() == after.has_value() &&
                              (!before || NamesEqual(*before, *after, rules));
            if (!same) byBlock.erase(static_cast<std::uint32_t>(block));
        }
    }
    Scatter(block)[pos] = offset;
    tail_ = npos;
    NoteNewLine(block, pos, std::string_view(text_.data() + offset, text.size()), false);
}

void IniLines::InsertLine(std::size_t section, std::size_t pos, std::string_view text) {
    const std::size_t block = BlockOf(section);
    const std::size_t count = Lines(block);
    pos = std::min(pos, count);
    std::uint32_t offset = 0;
    if (block == tail_ && pos == count && !Scattered(block)) {
        offset = Store(text);
        if (tables_ && count % kMarkStep == 0) {
            const auto marks = tables_->marks.find(static_cast<std::uint32_t>(block));
            if (marks != tables_->marks.end()) marks->second.push_back(offset);
        }
    } else {
        std::vector<std::uint32_t>& offsets = Scatter(block);
        offset = Store(text);
        offsets.insert(offsets.begin() + static_cast<std::ptrdiff_t>(pos), offset);
        tail_ = npos;
    }
    ++B(block).count;
    ++lineCount_;
    if (!tables_) return;
    const std::string_view stored(text_.data() + offset, text.size());
    NoteNewLine(block, pos, stored, true);
    for (IniRules rules : {IniRules::Exact, IniRules::Profile}) {
        auto& byBlock = tables_->keys[RuleIndex(rules)];
        const auto it = byBlock.find(static_cast<std::uint32_t>(block));
        if (it == byBlock.end() || !it->second.built) continue;
        Tables::Keys& keys = it->second;
        if (!keys.table.Empty() && keys.maxPos >= pos) {
            keys.table.ForEach([pos](std::uint32_t& p) {
                if (p >= pos) ++p;
            });
            ++keys.maxPos;
        }
        AddKey(block, rules, pos, stored);
    }
}

std::size_t IniLines::AppendSection(std::string_view header, std::string_view firstLine) {
    // A first line taken from the buffer itself would move when the header makes it grow.
    if (InBuffer(firstLine)) return AppendSection(header, std::string(firstLine));
    const std::uint32_t at = Store(header);
    Store(firstLine);
    sections_.push_back(Block{at, 1});
    lineCount_ += 2;
    tail_ = sections_.size();
    const std::size_t section = sections_.size() - 1;
    if (tables_ && tables_->sectionsBuilt) AddToSectionTables(section);
    if (tables_) {
        // A look-up that found nothing now finds the new section if it has that name
        // (the usual case: a write looked for the section before adding it).
        for (IniRules rules : {IniRules::Exact, IniRules::Profile}) {
            Tables::Memo& memo = tables_->last[RuleIndex(rules)];
            if (memo.valid && memo.section == npos &&
                NamesEqual(SectionName(Header(section), rules), memo.name, rules)) {
                memo.section = section;
            }
        }
    }
    return section;
}

}  // namespace velmor::ini
