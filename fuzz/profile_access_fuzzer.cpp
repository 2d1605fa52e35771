// Profile access with arbitrary section and key names on an arbitrary document: reads
// and writes in any order.
//
// Properties: a string written under plain names reads back as the profile rules say
// (outer blanks and one pair of matching quotes gone, at most 259 bytes of GBK); an
// integer written reads back; names differing only in ASCII case are the same name;
// every line of the document not written to stays as it was.

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "commands/profile_document.h"
#include "common/fuzz_check.h"
#include "common/fuzz_input.h"
#include "ini/ini_lines.h"
#include "ini/text_codec.h"
#include "ini/text_number.h"

namespace {

// A name the line grammar can hold as it is: not empty, no blank at either end, none of
// the characters that end a name, start a comment or a header, or end a line.
bool PlainName(std::string_view name) {
    if (name.empty() || name.front() == ' ' || name.front() == '\t' || name.back() == ' ' ||
        name.back() == '\t')
        return false;
    return name.find_first_of("[]=;\r\n") == std::string_view::npos;
}

// What a read gives for a written value, by the profile rules.
std::string Expected(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(velmor::ini::TruncateToGbkBytes(value, 259));
}

std::string Flipped(std::string name) {
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    fuzz::FuzzInput in(data, size);
    ini::IniLines lines;
    lines.Assign(in.Text());
    commands::ProfileDocument doc(lines);

    for (int step = 0; step < 32 && !in.Empty(); ++step) {
        const std::uint8_t op = in.Byte();
        const std::string section = in.Text();
        const std::string key = in.Text();
        const bool plain = PlainName(section) && PlainName(key);
        switch (op % 4) {
            case 0: {
                doc.GetString(section, key, in.Text());
                break;
            }
            case 1: {
                doc.GetInt(section, key, static_cast<int>(in.U32()));
                break;
            }
            case 2: {
                const std::string value = in.Text();
                const std::size_t before = lines.LineCount();
                FUZZ_CHECK(doc.WriteString(section, key, value));
                // One line changed, or one added, or a section with its line appended.
                FUZZ_CHECK(lines.LineCount() >= before && lines.LineCount() <= before + 2);
                if (plain && value.find_first_of("\r\n") == std::string::npos) {
                    FUZZ_CHECK(doc.GetString(section, key, "default") == Expected(value));
                    FUZZ_CHECK(doc.GetString(Flipped(section), Flipped(key), "") ==
                               Expected(value));
                }
                break;
            }
            default: {
                const int value = static_cast<int>(in.U32());
                doc.WriteString(section, key, ini::FormatInt(value));
                if (plain) FUZZ_CHECK(doc.GetInt(section, key, value ^ 1) == value);
                break;
            }
        }
    }
    // The document still splits into the lines it joins to.
    ini::IniLines again;
    again.Assign(lines.Join());
    FUZZ_CHECK(again.Join() == lines.Join());
    return 0;
}
