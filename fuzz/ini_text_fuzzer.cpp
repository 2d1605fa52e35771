// The text of a document as it comes from disk: the GBK boundary, the line model and
// the whole-file reads and writes.
//
// Properties: decoding then encoding gives back the very bytes (every file survives a
// load and a save); the GBK length of a text is the length of its encoding, also for
// text that is not valid UTF-8; a cut to a byte budget is a prefix within the budget;
// lines joined, split and joined again do not change; a value written into a loaded
// document, saved and loaded again reads back.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/fuzz_check.h"
#include "common/memory_file_ops.h"
#include "ini/ini_file.h"
#include "ini/ini_lines.h"
#include "ini/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string text = ini::DecodeGbk(bytes);
    FUZZ_CHECK(ini::EncodeGbk(text) == bytes);
    FUZZ_CHECK(ini::GbkLength(text) == size);
    const std::string_view half = ini::TruncateToGbkBytes(text, size / 2);
    FUZZ_CHECK(text.substr(0, half.size()) == half && ini::GbkLength(half) <= size / 2);

    // The raw bytes taken as UTF-8 (valid or not): encoding never fails.
    FUZZ_CHECK(ini::GbkLength(bytes) == ini::EncodeGbk(bytes).size());

    ini::IniLines lines;
    lines.Assign(text);
    const std::string joined = lines.Join();
    ini::IniLines again;
    again.Assign(joined);
    FUZZ_CHECK(again.Join() == joined);
    FUZZ_CHECK(again.LineCount() == lines.LineCount());

    fuzz::MemoryFileOps ops;
    ops.files["doc"] = std::string(bytes);
    ini::CIniFile ini(ops);
    ini.SetPath("doc");
    FUZZ_CHECK(ini.Load());
    // Every section's first entry reads as the line says.
    for (std::size_t s = 0; s < ini.Lines().SectionCount() && s < 64; ++s) {
        const std::string name(
            ini::IniLines::SectionName(ini.Lines().Header(s), ini::IniRules::Exact));
        for (const std::string_view line : ini.Lines().Body(s)) {
            if (const auto key = ini::IniLines::EntryKey(line, ini::IniRules::Exact)) {
                ini.ReadString(name, std::string(*key), "");
                ini.ReadInt(name, std::string(*key), 5);
                ini.ReadDouble(name, std::string(*key), 1.5);
                break;
            }
        }
    }
    ini.WriteString("FuzzSection", "FuzzKey", "value 1");
    ini.WriteInt("MotorState", "Z0Gear", -12345);
    FUZZ_CHECK(ini.Save());
    ini::CIniFile back(ops);
    back.SetPath("doc");
    FUZZ_CHECK(back.Load());
    FUZZ_CHECK(back.ReadString("FuzzSection", "FuzzKey", "") == "value 1");
    FUZZ_CHECK(back.ReadInt("MotorState", "Z0Gear", 0) == -12345);
    return 0;
}
