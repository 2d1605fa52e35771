#include "ini/ini_lines.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace velmor::ini {
namespace {

// A plain scan over the lines, the obvious reading of the rules, to check the maps against.
std::size_t ScanKey(const IniLines& lines, std::size_t section, const std::string& key,
                    IniRules rules) {
    const auto& body = lines.Body(section);
    for (std::size_t i = 0; i < body.size(); ++i) {
        const auto k = IniLines::EntryKey(body[i], rules);
        if (k && IniLines::NamesEqual(*k, IniLines::CallerName(key, rules), rules)) return i;
    }
    return IniLines::npos;
}

TEST(IniLines, SplitsAtEveryLineEndAndJoinsWithCrlf) {
    IniLines lines;
    lines.Assign("pre\r\n[A]\nx=1\r\r\n[B]\ry");
    EXPECT_EQ(lines.Preamble(), std::vector<std::string>{"pre"});
    ASSERT_EQ(lines.SectionCount(), 2u);
    EXPECT_EQ(lines.Body(0), (std::vector<std::string>{"x=1", ""}));
    EXPECT_EQ(lines.Join(), "pre\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny\r\n");
    EXPECT_EQ(lines.LineCount(), 6u);
}

TEST(IniLines, LineEndsInNewLinesBecomeBlanks) {
    IniLines lines;
    const std::size_t s = lines.AppendSection("[A]", "k=a\r\n[B]\nb=1");
    EXPECT_EQ(lines.Body(s)[0], "k=a  [B] b=1");
    EXPECT_EQ(lines.SectionCount(), 1u);
}

TEST(IniLines, ProfileRulesIgnoreCaseAndNeedAnEqualsSign) {
    IniLines lines;
    lines.Assign("[Sec]\r\nnoequals\r\n\tKEY = v\r\n");
    EXPECT_EQ(lines.FindSection("sEC", IniRules::Profile), 0u);
    EXPECT_EQ(lines.FindSection("sEC", IniRules::Exact), IniLines::npos);
    EXPECT_EQ(lines.FindKey(0, "noequals", IniRules::Profile), IniLines::npos);
    EXPECT_EQ(lines.FindKey(0, "noequals", IniRules::Exact), 0u);
    EXPECT_EQ(lines.FindKey(0, "key", IniRules::Profile), 1u);
}

// Random edits on one long section: the key maps must always agree with a plain scan.
TEST(IniLines, KeyMapsOfLongSectionsStayCurrentThroughEdits) {
    std::mt19937 rng(99);
    IniLines lines;
    lines.AppendSection("[S]", "k0=0");
    std::vector<std::string> pool;
    for (int i = 0; i < 60; ++i) pool.push_back("k" + std::to_string(i));
    for (int step = 0; step < 1500; ++step) {
        const auto& body = lines.Body(0);
        const int op = static_cast<int>(rng() % 4);
        const std::string key = pool[rng() % pool.size()];
        if (op == 0) {
            lines.InsertLine(0, body.size(), key + "=" + std::to_string(step));
        } else if (op == 1) {
            lines.InsertLine(0, lines.EndOfKeys(0),
                             (rng() % 3 == 0 ? "K" : "k") + key.substr(1) + "=x");
        } else if (op == 2 && !body.empty()) {
            const std::size_t at = rng() % body.size();
            const int kind = static_cast<int>(rng() % 3);
            lines.ReplaceLine(0, at, kind == 0 ? "; comment" : kind == 1 ? "" : key + " = y");
        } else {
            lines.InsertLine(0, rng() % (body.size() + 1), rng() % 2 ? "" : key + "=mid");
        }
        for (IniRules rules : {IniRules::Exact, IniRules::Profile}) {
            const std::string probe = pool[rng() % pool.size()];
            ASSERT_EQ(lines.FindKey(0, probe, rules), ScanKey(lines, 0, probe, rules))
                << "step " << step << " key " << probe;
        }
    }
    EXPECT_GT(lines.Body(0).size(), 100u);  // the maps were in use
}

TEST(IniLines, FirstSectionOfANameWinsAlsoForAppendedOnes) {
    IniLines lines;
    lines.Assign("[A]\r\n[b]\r\n");
    lines.FindSection("A", IniRules::Profile);  // build the map first
    lines.AppendSection("[B]", "x=1");
    lines.AppendSection("[C]", "y=1");
    EXPECT_EQ(lines.FindSection("B", IniRules::Profile), 1u);
    EXPECT_EQ(lines.FindSection("B", IniRules::Exact), 2u);
    EXPECT_EQ(lines.FindSection("c", IniRules::Profile), 3u);
}

}  // namespace
}  // namespace velmor::ini
