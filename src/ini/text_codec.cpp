#include "ini/text_codec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "ini/gbk_converter.h"

namespace velmor::ini {
namespace {

// Both directions as lookup tables, filled once from the system's converter. Asking it per pair and
// checking that each pair encodes back to itself makes the round trip exact by
// construction, and the tables keep decoding a large document fast.
struct GbkTables {
    std::array<char16_t, 65536> pairToUnicode{};      // lead << 8 | trail -> code point, 0 = none
    std::array<char16_t, 256> singleToUnicode{};      // single high byte -> code point, 0 = none
    std::array<std::uint16_t, 65536> unicodeToGbk{};  // code point -> bytes (1 or 2), 0 = none
};

// The converter's code point for `bytes`, unless it is ASCII or one of the code points
// that stand for raw bytes.
char32_t RoundTrip(const GbkConverter& converter, const char* bytes, std::size_t len) {
    const char32_t cp = converter.RoundTrip(bytes, len);
    if (cp < 0x80 || (cp >= kRawByteFirst && cp <= kRawByteLast)) return 0;
    return cp;
}

std::unique_ptr<GbkTables> BuildTables() {
    auto t = std::make_unique<GbkTables>();
    const GbkConverter converter;
    // Without a GBK converter every high byte is kept raw: still lossless.
    if (!converter.Available()) return t;
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char one = static_cast<char>(b);
        if (const char32_t cp = RoundTrip(converter, &one, 1)) {
            t->singleToUnicode[b] = static_cast<char16_t>(cp);
            t->unicodeToGbk[cp] = static_cast<std::uint16_t>(b);
        }
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            if (const char32_t cp = RoundTrip(converter, two, 2)) {
                t->pairToUnicode[(lead << 8) | trail] = static_cast<char16_t>(cp);
                if (t->unicodeToGbk[cp] == 0) {
                    t->unicodeToGbk[cp] = static_cast<std::uint16_t>((lead << 8) | trail);
                }
            }
        }
    }
    return t;
}

const GbkTables& Tables() {
    static const std::unique_ptr<GbkTables> tables = BuildTables();
    return *tables;
}

// Where the run of ASCII bytes from `i` ends: eight bytes are tested at a time, as runs
// of ASCII are the bulk of every document.
std::size_t AsciiEnd(std::string_view s, std::size_t i) {
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    while (i + 8 <= s.size()) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        if (w & kHigh) break;
        i += 8;
    }
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
    return i;
}

void AppendUtf8(std::string& out, char32_t cp) {
    char bytes[3];
    std::size_t n = 0;
    if (cp < 0x80) {
        bytes[n++] = static_cast<char>(cp);
    } else if (cp < 0x800) {
        bytes[n++] = static_cast<char>(0xC0 | (cp >> 6));
        bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        bytes[n++] = static_cast<char>(0xE0 | (cp >> 12));
        bytes[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
    out.append(bytes, n);
}

// Reads one UTF-8 character at `i`; returns its code point (0xFFFFFFFF when malformed)
// and advances `i` past it (one byte when malformed).
char32_t NextUtf8(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        ++i;
        return 0xFFFFFFFF;
    }
    if (i + extra >= s.size()) {
        ++i;
        return 0xFFFFFFFF;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFFFFFF;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += extra + 1;
    return cp;
}

// The GBK bytes of one code point: count 1 or 2 in `len`; '?' when GBK has no such character.
std::uint16_t EncodeOne(char32_t cp, int& len) {
    if (cp < 0x80) {
        len = 1;
        return static_cast<std::uint16_t>(cp);
    }
    if (cp >= kRawByteFirst && cp <= kRawByteLast) {
        len = 1;
        return static_cast<std::uint16_t>(cp - 0xF700);
    }
    if (cp <= 0xFFFF) {
        const std::uint16_t code = Tables().unicodeToGbk[cp];
        if (code != 0) {
            len = code > 0xFF ? 2 : 1;
            return code;
        }
    }
    len = 1;
    return '?';
}

// Decodes into `out`; false as soon as it would pass `maxBytes`.
bool DecodeInto(std::string_view gbk, std::string& out, std::size_t maxBytes) {
    const GbkTables& t = Tables();
    std::size_t i = 0;
    const std::size_t n = gbk.size();
    while (i < n) {
        if (out.size() > maxBytes) return false;
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            // Runs of ASCII are copied in one go.
            const std::size_t j = AsciiEnd(gbk, i);
            if (j - i > maxBytes - out.size()) return false;
            out.append(gbk.data() + i, j - i);
            i = j;
            continue;
        }
        if (i + 1 < n) {
            const auto trail = static_cast<unsigned char>(gbk[i + 1]);
            if (const char16_t cp = t.pairToUnicode[(b << 8) | trail]) {
                AppendUtf8(out, cp);
                i += 2;
                continue;
            }
        }
        if (const char16_t cp = t.singleToUnicode[b]) {
            AppendUtf8(out, cp);
        } else {
            AppendUtf8(out, 0xF700 + b);
        }
        ++i;
    }
    return out.size() <= maxBytes;
}

// Encodes into `out`, which has room for utf8.size() bytes (no character takes more in
// GBK than in UTF-8) and may be where `utf8` itself lies: a character is read whole
// before its bytes are written, and they never pass where it began.
std::size_t EncodeInto(std::string_view utf8, char* out) {
    std::size_t i = 0;
    std::size_t w = 0;
    while (i < utf8.size()) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            const std::size_t j = AsciiEnd(utf8, i);
            if (out + w != utf8.data() + i) std::memmove(out + w, utf8.data() + i, j - i);
            w += j - i;
            i = j;
            continue;
        }
        int len = 0;
        const std::uint16_t code = EncodeOne(NextUtf8(utf8, i), len);
        if (len == 2) out[w++] = static_cast<char>(code >> 8);
        out[w++] = static_cast<char>(code & 0xFF);
    }
    return w;
}

}  // namespace

std::string DecodeGbk(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    DecodeInto(gbk, out, static_cast<std::size_t>(-1));
    return out;
}

bool DecodeGbkInPlace(std::string& text, std::size_t maxBytes) {
    if (AsciiEnd(text, 0) == text.size()) return text.size() <= maxBytes;
    // A byte decodes to at most three: reserving that (address space, not memory until
    // written) means the text is never copied while it grows.
    std::string out;
    out.reserve(std::min(maxBytes, text.size() * 3) + 4);
    if (!DecodeInto(text, out, maxBytes)) return false;
    text = std::move(out);
    return true;
}

std::string EncodeGbk(std::string_view utf8) {
    std::string out(utf8.size(), '\0');
    out.resize(EncodeInto(utf8, out.data()));
    return out;
}

void EncodeGbkInPlace(std::string& text) { text.resize(EncodeInto(text, text.data())); }

std::size_t GbkLength(std::string_view utf8) { return EncodeGbk(utf8).size(); }

std::string_view TruncateToGbkBytes(std::string_view utf8, std::size_t maxBytes) {
    // No character takes more bytes in GBK than in UTF-8 (a byte that is no UTF-8 becomes
    // one byte, '?'), so a text within the budget in memory is within it in GBK.
    if (utf8.size() <= maxBytes) return utf8;
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t next = i;
        int len = 0;
        EncodeOne(NextUtf8(utf8, next), len);
        if (used + static_cast<std::size_t>(len) > maxBytes) break;
        used += static_cast<std::size_t>(len);
        i = next;
    }
    return utf8.substr(0, i);
}

}  // namespace velmor::ini
