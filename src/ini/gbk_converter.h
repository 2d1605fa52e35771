#pragma once
// The system's own GBK converter, asked one character at a time while the codec's
// lookup tables are filled: iconv on POSIX systems, code page 936 on Windows.

#include <cstddef>

namespace velmor::ini {

class GbkConverter {
  public:
    GbkConverter();
    ~GbkConverter();
    GbkConverter(const GbkConverter&) = delete;
    GbkConverter& operator=(const GbkConverter&) = delete;

    // False when the system has no GBK converter: every high byte is then kept raw.
    bool Available() const;

    // The code point (at most U+FFFF) that `bytes` decode to as exactly one character,
    // when that character encodes back to the same bytes; 0 otherwise.
    char32_t RoundTrip(const char* bytes, std::size_t len) const;

  private:
    void* toUnicode_ = nullptr;
    void* fromUnicode_ = nullptr;
};

}  // namespace velmor::ini
