#pragma once
// Profile access with the rules of the Windows private-profile functions, on the lines
// of one document in memory (the store reads a document once per operation and writes
// it once, instead of re-reading the file for every key).
//
// - Section and key names match without regard to ASCII letter case.
// - A string read returns at most 259 bytes of the file's encoding (whole characters),
//   without the blanks around it and without one pair of matching outer quotes.
// - An integer read parses a decimal number that wraps modulo 2^32 ("12abc" gives 12,
//   "B12" gives 0); a missing key or an empty value gives the default.
// - A write replaces the value in place (keeping the file's spelling of the key, as
//   "key=value"), adds a new key after the section's last key line, or appends a new
//   section at the end; every other line stays as it is.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ini/ini_lines.h"

namespace velmor::commands {

class ProfileDocument {
  public:
    static constexpr std::size_t kMaxString = 259;  // a buffer of 260 with its terminator

    explicit ProfileDocument(ini::IniLines& lines) : lines_(lines) {}

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultText) const;
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    // Whether reads find a section of that name.
    bool HasSection(std::string_view section) const;
    // True when the value is now in the document (the file itself is written later, once).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    // The integer rule on its own: decimal with wrap; `defaultValue` for an empty text.
    static int ParseInt(std::string_view text, int defaultValue);

    // What the document holds of a numbered family of names "<prefix><k>", with k in
    // decimal as the store writes it (no sign, no leading zero, below 2^31 - 1): how many
    // such names and the highest k (-1 when none). Names match as reads match them.
    struct Numbered {
        long long count = 0;
        long long highest = -1;
    };
    // Sections of each family, in one pass over the sections.
    std::vector<Numbered> NumberedSections(const std::vector<std::string_view>& prefixes) const;
    // Keys in the section that reads of `section` find.
    Numbered NumberedKeys(std::string_view section, std::string_view prefix) const;

  private:
    // The line holding the key, or nothing when the section or key is missing.
    std::optional<std::string_view> FindLine(std::string_view section, std::string_view key) const;

    ini::IniLines& lines_;
    // The text of the line a write makes, kept between writes so that its buffer is reused.
    std::string scratch_;
};

}  // namespace velmor::commands
