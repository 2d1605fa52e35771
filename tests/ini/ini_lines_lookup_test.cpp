// Look-ups of the line store against an oracle of its own: names compared byte by byte
// with ASCII letters folded, the profile key of a line read the plain way. The store
// answers look-ups from the key lines of the section looked up last and hashes names
// eight bytes at a time; these cases go where that could go wrong: edits to the section
// just looked up, sections growing past the short limit, names of every length up to
// two words, names that differ only in case or in a byte of a Chinese character.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ini/ini_lines.h"

namespace velmor::ini {
namespace {

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Folded(a[i]) != Folded(b[i])) return false;
    }
    return true;
}

// The profile key of a line: blanks and tabs trimmed, no comment, an '=' required.
std::optional<std::string> OracleKey(const std::string& line) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == ';') return std::nullopt;
    const auto eq = line.find('=', first);
    if (eq == std::string::npos) return std::nullopt;
    std::string key = line.substr(first, eq - first);
    key.erase(key.find_last_not_of(" \t") + 1);
    return key;
}

// The first entry of a key as the caller names it (only spaces trimmed from that name).
std::size_t OracleFind(const std::vector<std::string>& body, std::string key) {
    key.erase(0, key.find_first_not_of(' '));
    key.erase(key.find_last_not_of(' ') + 1);
    for (std::size_t i = 0; i < body.size(); ++i) {
        const auto k = OracleKey(body[i]);
        if (k && SameFolded(*k, key)) return i;
    }
    return IniLines::npos;
}

TEST(IniLinesLookup, NamesMatchAsTheirFoldedBytesDo) {
    // Every length up to 17, and at every position the byte 0x20 below (a capital, or for
    // a byte of a Chinese character, UTF-8 in memory, another byte) or the next byte.
    std::vector<std::string> names;
    for (std::size_t length = 1; length <= 17; ++length) {
        const std::string base = std::string("cmdinfo_key\xe9\x94\xaemotor").substr(0, length);
        names.push_back(base);
        for (std::size_t at = 0; at < length; ++at) {
            for (int delta : {-32, 1}) {
                std::string variant = base;
                variant[at] = static_cast<char>(variant[at] + delta);
                names.push_back(variant);
            }
        }
    }
    std::string text;
    for (const std::string& name : names) text += "[" + name + "]\n" + name + "=v\n";
    IniLines lines;
    lines.Assign(text);
    for (const std::string& name : names) {
        std::size_t expected = IniLines::npos;
        for (std::size_t s = 0; s < names.size() && expected == IniLines::npos; ++s) {
            if (SameFolded(names[s], name)) expected = s;
        }
        ASSERT_EQ(lines.FindSection(name, IniRules::Profile), expected) << name;
        for (std::size_t s = 0; s < names.size(); ++s) {
            ASSERT_EQ(IniLines::NamesEqual(names[s], name, IniRules::Profile),
                      SameFolded(names[s], name))
                << names[s] << " / " << name;
        }
    }
}

TEST(IniLinesLookup, EditsToTheSectionJustLookedUpKeepTheFirstOfEachKey) {
    std::mt19937 rng(19);
    const std::vector<std::string> keys = {"Addr", "ADDR", " addr\t", "键名", "键名A", "键名a",
                                           "MotonTabLen[0]", "motontablen[0]", "k"};
    auto pick = [&rng](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    auto randomLine = [&] {
        switch (pick(6)) {
            case 0: return std::string();
            case 1: return "; " + keys[pick(keys.size())] + "=c";
            case 2: return keys[pick(keys.size())];  // no '=': no key
            default: return keys[pick(keys.size())] + "=" + std::to_string(pick(100));
        }
    };
    // Short sections, one that grows past the short limit, one long from the start.
    std::vector<std::vector<std::string>> model = {{"Addr=1", "k=2"}, {}, {"x=1"}, {}};
    for (int i = 0; i < 80; ++i) model[3].push_back(randomLine());
    std::string text;
    for (std::size_t s = 0; s < model.size(); ++s) {
        text += "[S" + std::to_string(s) + "]\r\n";
        for (const auto& line : model[s]) text += line + "\r\n";
    }
    IniLines lines;
    lines.Assign(text);
    std::size_t s = 0;
    for (int step = 0; step < 3000; ++step) {
        if (pick(8) == 0) s = pick(model.size());  // mostly the same section, as a store does
        auto& body = model[s];
        const std::string line = randomLine();
        if (pick(3) == 0 && !body.empty()) {
            const std::size_t at = pick(body.size());
            lines.ReplaceLine(s, at, line);
            body[at] = line;
        } else if (pick(2) == 0 && (s % 2 == 1 || body.size() < 60)) {  // 0 and 2 stay short
            const std::size_t at = pick(body.size() + 1);
            lines.InsertLine(s, at, line);
            body.insert(body.begin() + static_cast<std::ptrdiff_t>(at), line);
        }
        for (int probe = 0; probe < 3; ++probe) {
            const std::string& key = keys[pick(keys.size())];
            const std::size_t expected = OracleFind(body, key);
            const IniLines::Entry found = lines.FindEntry(s, key, IniRules::Profile);
            ASSERT_EQ(found.pos, expected) << "step " << step << " section " << s << " key " << key;
            if (expected != IniLines::npos) {
                ASSERT_EQ(found.line, body[expected]);
            }
        }
        std::size_t end = body.size();
        while (end > 0 && !OracleKey(body[end - 1])) --end;
        ASSERT_EQ(lines.EndOfKeys(s), end) << "step " << step;
    }
    EXPECT_GT(model[1].size(), 64u);  // a section did grow past the short limit
}

TEST(IniLinesLookup, ALineTakenFromTheLinesThemselvesIsCopiedBeforeTheBufferMoves) {
    IniLines lines;
    lines.Assign("[A]\r\nfirst=1\r\nsecond=2\r\n");
    std::vector<std::string> model = {"first=1", "second=2"};
    for (int i = 0; i < 200; ++i) {
        lines.InsertLine(0, i % 3, lines.Body(0)[i % 2]);
        model.insert(model.begin() + i % 3, model[i % 2]);
        lines.ReplaceLine(0, 0, lines.Body(0)[model.size() - 1]);
        model[0] = model.back();
        // The buffer grows many times over: some time while the header is stored.
        lines.AppendSection(lines.Header(0), lines.Body(0)[i % 2]);
        ASSERT_EQ(lines.Body(lines.SectionCount() - 1), std::vector<std::string>{model[i % 2]});
    }
    EXPECT_EQ(lines.Body(0), model);
}

}  // namespace
}  // namespace velmor::ini
