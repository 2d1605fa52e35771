#include "ini/ini_lines.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <unordered_map>

namespace velmor::ini {
namespace {

// Sections up to this many lines are always scanned. Longer ones are scanned too until
// the lines scanned in them add up to their length, and then get a key table: a single
// look-up near the top of a long section costs no table, many look-ups cost one.
constexpr std::size_t kScanLimit = 32;
// In a long body kept in the buffer's order, every kMarkStep-th line position is noted.
constexpr std::size_t kMarkStep = 32;
constexpr std::uint32_t kNoHeader = 0xFFFFFFFF;
constexpr std::uint32_t kScatteredBit = 0x80000000;
constexpr std::uint32_t kEmptySlot = 0xFFFFFFFF;
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

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

int RuleIndex(IniRules rules) { return rules == IniRules::Exact ? 0 : 1; }

// FNV-1a; under the profile rules ASCII letters are folded, as the names compare.
// Multi-byte characters are UTF-8 in memory, all bytes >= 0x80, so folding never
// touches part of a Chinese character.
std::uint32_t NameHash(std::string_view name, IniRules rules) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : name) {
        if (rules == IniRules::Profile) c = Lower(c);
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

// Open addressing over 32-bit values (section numbers, body positions), each kept with
// the hash of its name: a probe asks the caller to compare names only on equal hashes.
class SlotTable {
  public:
    template <typename Same>
    std::uint32_t* Find(std::uint32_t hash, Same same) {
        if (slots_.empty()) return nullptr;
        for (std::size_t i = Home(hash);; i = Next(i)) {
            Slot& slot = slots_[i];
            if (slot.value == kEmptySlot) return nullptr;
            if (slot.hash == hash && same(slot.value)) return &slot.value;
        }
    }
    // For a value whose name is not in the table yet.
    void Add(std::uint32_t hash, std::uint32_t value) {
        if ((used_ + 1) * 4 > slots_.size() * 3) Rehash(std::max<std::size_t>(16, used_ * 3));
        Place(hash, value);
        ++used_;
    }
    void Reserve(std::size_t entries) {
        const std::size_t wanted = entries + entries / 3 + 1;
        if (wanted > slots_.size()) Rehash(wanted);
    }
    template <typename F>
    void ForEach(F f) {
        for (Slot& slot : slots_) {
            if (slot.value != kEmptySlot) f(slot.value);
        }
    }
    bool Empty() const { return used_ == 0; }

  private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t value = kEmptySlot;
    };
    std::size_t Home(std::uint32_t hash) const {
        return static_cast<std::size_t>((std::uint64_t{hash} * slots_.size()) >> 32);
    }
    std::size_t Next(std::size_t i) const { return i + 1 == slots_.size() ? 0 : i + 1; }
    void Place(std::uint32_t hash, std::uint32_t value) {
        std::size_t i = Home(hash);
        while (slots_[i].value != kEmptySlot) i = Next(i);
        slots_[i] = Slot{hash, value};
    }
    void Rehash(std::size_t size) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(size, Slot{});
        for (const Slot& slot : old) {
            if (slot.value != kEmptySlot) Place(slot.hash, slot.value);
        }
    }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

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
    sections_.reserve(static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '[')));
    // Each line is moved down to its place with a single '\n' after it; a line end
    // takes one or two bytes, so the writing never overtakes the reading.
    char* d = text_.data();
    const std::size_t n = text_.size();
    std::size_t r = 0;
    std::size_t w = 0;
    bool lastOpen = false;
    while (r < n) {
        std::size_t end = r;
        while (end < n && d[end] != '\n' && d[end] != '\r') ++end;
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
    std::size_t size = 0;
    for (std::size_t b = 0; b <= sections_.size(); ++b) {
        if (b > 0) size += LineAt(B(b).header).size() + 2;
        for (std::string_view line : LineRange(*this, b)) size += line.size() + 2;
    }
    std::string out;
    out.reserve(size);
    auto put = [&out](std::string_view line) {
        out += line;
        out += "\r\n";
    };
    for (std::size_t b = 0; b <= sections_.size(); ++b) {
        if (b > 0) put(LineAt(B(b).header));
        for (std::string_view line : LineRange(*this, b)) put(line);
    }
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
    const auto offset = static_cast<std::uint32_t>(text_.size());
    text_.append(line);
    text_.push_back('\n');
    return offset;
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

// ---- look-up ----

void IniLines::AddToSectionTables(std::size_t section) const {
    Tables& t = *tables_;
    const std::string_view header = Header(section);
    const std::string_view profileName = SectionName(header, IniRules::Profile);
    const std::string_view exactName = SectionName(header, IniRules::Exact);
    const std::uint32_t* head =
        t.profileSections.Find(NameHash(profileName, IniRules::Profile), [&](std::uint32_t s) {
            return NamesEqual(SectionName(Header(s), IniRules::Profile), profileName,
                              IniRules::Profile);
        });
    bool other = profileName != exactName;
    if (head) {
        other = other || SectionName(Header(*head), IniRules::Exact) != exactName;
    } else {
        t.profileSections.Add(NameHash(profileName, IniRules::Profile),
                              static_cast<std::uint32_t>(section));
    }
    if (!other) return;
    const std::uint32_t hash = NameHash(exactName, IniRules::Exact);
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
        t.profileSections.Find(NameHash(wanted, IniRules::Profile), [&](std::uint32_t s) {
            return NamesEqual(SectionName(Header(s), IniRules::Profile), wanted, IniRules::Profile);
        });
    if (rules == IniRules::Profile) return head ? *head : npos;
    std::size_t found = npos;
    if (head && SectionName(Header(*head), IniRules::Exact) == wanted) found = *head;
    const std::uint32_t* other = t.exactOthers.Find(
        NameHash(wanted, IniRules::Exact),
        [&](std::uint32_t s) { return SectionName(Header(s), IniRules::Exact) == wanted; });
    if (other) found = std::min<std::size_t>(found, *other);
    return found;
}

void IniLines::AddKey(std::size_t block, IniRules rules, std::size_t pos,
                      std::string_view line) const {
    const auto key = EntryKey(line, rules);
    if (!key) return;
    Tables::Keys& keys = T().keys[RuleIndex(rules)].at(static_cast<std::uint32_t>(block));
    const std::uint32_t hash = NameHash(*key, rules);
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

std::size_t IniLines::FindKey(std::size_t section, std::string_view key, IniRules rules) const {
    if (section >= sections_.size()) return npos;
    const std::size_t block = section + 1;
    const std::string_view wanted = CallerName(key, rules);
    const LineRange body(*this, block);
    if (body.size() <= kScanLimit) {
        std::size_t i = 0;
        for (std::string_view line : body) {
            const auto k = EntryKey(line, rules);
            if (k && NamesEqual(*k, wanted, rules)) return i;
            ++i;
        }
        return npos;
    }
    Tables::Keys& keys = T().keys[RuleIndex(rules)][static_cast<std::uint32_t>(block)];
    if (!keys.built && keys.scanned < body.size()) {
        std::size_t i = 0;
        for (std::string_view line : body) {
            const auto k = EntryKey(line, rules);
            if (k && NamesEqual(*k, wanted, rules)) break;
            ++i;
        }
        keys.scanned += std::min(i + 1, body.size());
        return i < body.size() ? i : npos;
    }
    if (!keys.built) {
        // Counted first, so that a body of few keys among many other lines gets a small table.
        std::size_t count = 0;
        for (std::string_view line : body) count += EntryKey(line, rules).has_value() ? 1 : 0;
        keys.table.Reserve(count);
        keys.built = true;
        std::size_t i = 0;
        for (std::string_view line : body) AddKey(block, rules, i++, line);
    }
    const std::uint32_t* pos = keys.table.Find(NameHash(wanted, rules), [&](std::uint32_t p) {
        const auto k = EntryKey(LineAt(LineOffset(block, p)), rules);
        return k && NamesEqual(*k, wanted, rules);
    });
    return pos ? *pos : npos;
}

std::size_t IniLines::EndOfKeys(std::size_t section) const {
    // From the end backwards: new keys go to the end of a section, one after another.
    const std::size_t block = BlockOf(section);
    const std::size_t n = Lines(block);
    if (n == 0) return 0;
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

void IniLines::ReplaceLine(std::size_t section, std::size_t pos, std::string text) {
    const std::size_t block = BlockOf(section);
    if (pos >= Lines(block)) throw std::out_of_range("IniLines: no such line");
    text = OneLine(std::move(text));
    if (tables_) {
        for (IniRules rules : {IniRules::Exact, IniRules::Profile}) {
            auto& byBlock = tables_->keys[RuleIndex(rules)];
            const auto it = byBlock.find(static_cast<std::uint32_t>(block));
            if (it == byBlock.end() || !it->second.built) continue;
            const auto before = EntryKey(LineAt(LineOffset(block, pos)), rules);
            const auto after = EntryKey(text, rules);
            const bool same = before.has_value() == after.has_value() &&
                              (!before || NamesEqual(*before, *after, rules));
            if (!same) byBlock.erase(static_cast<std::uint32_t>(block));
        }
    }
    std::vector<std::uint32_t>& offsets = Scatter(block);
    offsets[pos] = Store(text);
    tail_ = npos;
}

void IniLines::InsertLine(std::size_t section, std::size_t pos, std::string text) {
    const std::size_t block = BlockOf(section);
    const std::size_t count = Lines(block);
    pos = std::min(pos, count);
    text = OneLine(std::move(text));
    if (block == tail_ && pos == count && !Scattered(block)) {
        const std::uint32_t offset = Store(text);
        if (tables_ && count % kMarkStep == 0) {
            const auto marks = tables_->marks.find(static_cast<std::uint32_t>(block));
            if (marks != tables_->marks.end()) marks->second.push_back(offset);
        }
    } else {
        std::vector<std::uint32_t>& offsets = Scatter(block);
        offsets.insert(offsets.begin() + static_cast<std::ptrdiff_t>(pos), Store(text));
        tail_ = npos;
    }
    ++B(block).count;
    ++lineCount_;
    if (!tables_) return;
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
        AddKey(block, rules, pos, LineAt(LineOffset(block, pos)));
    }
}

std::size_t IniLines::AppendSection(std::string header, std::string firstLine) {
    const std::uint32_t at = Store(OneLine(std::move(header)));
    Store(OneLine(std::move(firstLine)));
    sections_.push_back(Block{at, 1});
    lineCount_ += 2;
    tail_ = sections_.size();
    const std::size_t section = sections_.size() - 1;
    if (tables_ && tables_->sectionsBuilt) AddToSectionTables(section);
    if (tables_) {
        for (Tables::Memo& memo : tables_->last) memo.valid = memo.valid && memo.section != npos;
    }
    return section;
}

}  // namespace velmor::ini
