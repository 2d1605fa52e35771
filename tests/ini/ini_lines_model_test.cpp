// The compact line store against a plain model of the lines (a vector of strings per
// section, read the obvious way), through loading, random changes and saving.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ini/ini_lines.h"

namespace velmor::ini {
namespace {

struct Model {
    std::vector<std::string> preamble;
    std::vector<std::pair<std::string, std::vector<std::string>>> sections;

    std::string Join() const {
        std::string out;
        for (const auto& l : preamble) out += l + "\r\n";
        for (const auto& [header, body] : sections) {
            out += header + "\r\n";
            for (const auto& l : body) out += l + "\r\n";
        }
        return out;
    }
    std::size_t FindSection(const std::string& name, IniRules rules) const {
        for (std::size_t s = 0; s < sections.size(); ++s) {
            if (IniLines::NamesEqual(IniLines::SectionName(sections[s].first, rules),
                                     IniLines::CallerName(name, rules), rules)) {
                return s;
            }
        }
        return IniLines::npos;
    }
    std::size_t FindKey(std::size_t s, const std::string& key, IniRules rules) const {
        const auto& body = sections[s].second;
        for (std::size_t i = 0; i < body.size(); ++i) {
            const auto k = IniLines::EntryKey(body[i], rules);
            if (k && IniLines::NamesEqual(*k, IniLines::CallerName(key, rules), rules)) return i;
        }
        return IniLines::npos;
    }
    std::size_t EndOfKeys(std::size_t s) const {
        const auto& body = sections[s].second;
        for (std::size_t i = body.size(); i > 0; --i) {
            if (IniLines::EntryKey(body[i - 1], IniRules::Profile)) return i;
        }
        return 0;
    }
};

TEST(IniLinesModel, LoadedAndChangedLinesAgreeWithAPlainModel) {
    std::mt19937 rng(2024);
    const std::vector<std::string> names = {"A", "a", " A ",      "A\v",
                                            "b", "B", "CmdInfo7", "cmdINFO7"};
    const std::vector<std::string> keys = {"k1", "K1", "k2", " k3 ", "KeyName0"};
    auto pick = [&rng](const std::vector<std::string>& from) { return from[rng() % from.size()]; };
    auto randomLine = [&] {
        switch (rng() % 5) {
            case 0:
                return std::string();
            case 1:
                return std::string(";") + pick(keys) + "=c";
            case 2:
                return std::string(" \t");
            default:
                return pick(keys) + "=" + std::to_string(rng() % 100);
        }
    };

    // Loaded text: long bodies, blank and comment lines, CRLF, LF and (before headers,
    // where it cannot merge with a following LF) a lone CR.
    Model model;
    std::string text = "pre\r\n;c\n";
    model.preamble = {"pre", ";c"};
    for (int s = 0; s < 12; ++s) {
        const std::string header = "[" + pick(names) + "]";
        text += header + "\n";
        model.sections.push_back({header, {}});
        const int count = static_cast<int>(rng() % 120);
        for (int i = 0; i < count; ++i) {
            const std::string line = randomLine();
            text += line + (rng() % 2 ? "\r\n" : "\n");
            model.sections.back().second.push_back(line);
        }
        if (!text.empty() && text.back() == '\n' && rng() % 3 == 0) {
            text.pop_back();
            if (!text.empty() && text.back() == '\r') text.pop_back();
            text += "\r";
        }
    }
    IniLines lines;
    lines.Assign(text);
    ASSERT_EQ(lines.Preamble(), model.preamble);
    ASSERT_EQ(lines.SectionCount(), model.sections.size());
    for (std::size_t s = 0; s < model.sections.size(); ++s) {
        ASSERT_EQ(lines.Body(s), model.sections[s].second) << s;
    }
    ASSERT_EQ(lines.Join(), model.Join());

    for (int step = 0; step < 600; ++step) {
        const std::size_t s = rng() % model.sections.size();
        auto& body = model.sections[s].second;
        const std::string line = randomLine();
        const int op = static_cast<int>(rng() % 8);
        if (op < 3 && !body.empty()) {
            const std::size_t at = rng() % body.size();
            lines.ReplaceLine(s, at, line);
            body[at] = line;
        } else if (op < 6) {
            const std::size_t at = rng() % (body.size() + 3);  // past the end appends
            lines.InsertLine(s, at, line);
            body.insert(body.begin() + static_cast<std::ptrdiff_t>(std::min(at, body.size())),
                        line);
        } else if (op == 6) {
            // The end of the newest section: the line is appended to the buffer in place.
            auto& last = model.sections.back().second;
            lines.InsertLine(model.sections.size() - 1, last.size(), line);
            last.push_back(line);
        } else {
            const std::string header = "[" + pick(names) + "]";
            EXPECT_EQ(lines.AppendSection(header, line), model.sections.size());
            model.sections.push_back({header, {line}});
        }
        ASSERT_EQ(lines.Body(s), model.sections[s].second) << "step " << step;
        ASSERT_EQ(lines.EndOfKeys(s), model.EndOfKeys(s)) << "step " << step;
        const std::string name = pick(names);
        const std::string key = pick(keys);
        for (IniRules rules : {IniRules::Exact, IniRules::Profile}) {
            ASSERT_EQ(lines.FindSection(name, rules), model.FindSection(name, rules))
                << "step " << step << " section " << name;
            ASSERT_EQ(lines.FindKey(s, key, rules), model.FindKey(s, key, rules))
                << "step " << step << " key " << key;
        }
    }
    std::size_t count = model.preamble.size();
    for (const auto& section : model.sections) count += 1 + section.second.size();
    EXPECT_EQ(lines.LineCount(), count);
    EXPECT_EQ(lines.Join(), model.Join());
}

}  // namespace
}  // namespace velmor::ini
